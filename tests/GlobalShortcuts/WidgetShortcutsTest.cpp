#include "ShortcutFixture.h"

#include "GlobalShortcuts/MenuItemShortcuts.h"
#include "GlobalShortcuts/ViewModifiers.h"

#include <QAction>
#include <QCoreApplication>
#include <QPushButton>
#include <QWidget>

using namespace GlobalShortcuts;

namespace {

class WidgetShortcuts : public ShortcutFixture
{
protected:
    static QKeySequence keys(const char* text) { return QKeySequence(QString::fromLatin1(text)); }
    void expectBoth(const char* expected) const
    {
        EXPECT_EQ(action.shortcut(), keys(expected));
        EXPECT_EQ(button.shortcut(), keys(expected));
    }

    ManualMainQueue queue;
    QAction action;
    QPushButton button;
};

TEST_F(WidgetShortcuts, AnActionFollowsOneNameAtATimeAndItsChangesArriveOnTheMainQueue)
{
    const Name first(QStringLiteral("first"));
    const Name second(QStringLiteral("second"), optionCommand(Key::m));
    setShortcut(action, std::optional(first), queue);
    EXPECT_TRUE(action.shortcut().isEmpty());
    first.setShortcut(optionCommand(Key::n));
    EXPECT_TRUE(action.shortcut().isEmpty());
    queue.runPending();
    EXPECT_EQ(action.shortcut(), keys("Ctrl+Alt+N"));
    // What is set by hand stays until the followed name itself changes.
    setShortcut(action, std::optional(optionCommand(Key::x)));
    second.setShortcut(optionCommand(Key::y));
    queue.runPending();
    EXPECT_EQ(action.shortcut(), keys("Ctrl+Alt+X"));

    setShortcut(action, std::optional(second), queue);
    first.setShortcut(optionCommand(Key::z));
    queue.runPending();
    EXPECT_EQ(action.shortcut(), keys("Ctrl+Alt+Y"));
    // A change still queued when the action detaches applies nothing.
    second.setShortcut(optionCommand(Key::m));
    setShortcut(action, std::optional<Name>(), queue);
    EXPECT_TRUE(action.shortcut().isEmpty());
    queue.runPending();
    EXPECT_TRUE(action.shortcut().isEmpty());
}

TEST_F(WidgetShortcuts, OnlyKeysWithAMenuKeyEquivalentGiveAKeySequence)
{
    const std::pair<Shortcut, const char*> cases[] = {
        {optionCommand(Key::keypad5), ""},
        {Shortcut(Key::f5, ModifierFlag::command), "Ctrl+F5"},
        {Shortcut(Key::returnKey, ModifierFlag::shift), "Shift+Return"},
        {Shortcut(Key::n, ModifierFlag::function), ""},
    };
    const Name name(QStringLiteral("name"));
    globalKeyboardShortcut(button, name, queue);
    for (const auto& [shortcut, expected] : cases) {
        SCOPED_TRACE(expected);
        setShortcut(action, std::optional(shortcut));
        name.setShortcut(shortcut);
        queue.runPending();
        expectBoth(expected);
    }
}

TEST_F(WidgetShortcuts, WidgetsCarryNoKeySequenceWhileARecorderRecords)
{
    const Name name(QStringLiteral("name"), optionCommand(Key::n));
    recorderDidStart();
    globalKeyboardShortcut(action, name, queue);
    globalKeyboardShortcut(button, name, queue);
    expectBoth("");
    name.setShortcut(optionCommand(Key::m));
    queue.runPending();
    expectBoth("");
    recorderDidFinish();
    queue.runPending();
    expectBoth("Ctrl+Alt+M");
}

TEST_F(WidgetShortcuts, AWidgetsStreamsRunWhileItIsShownAndEndWhenItIsHiddenOrGone)
{
    const Name name(QStringLiteral("streamed"), optionCommand(Key::n));
    auto owner = std::make_unique<QWidget>();
    QList<EventType> events;
    onGlobalKeyboardShortcut(*owner, name, [&events](EventType type) { events.append(type); });
    onGlobalKeyboardShortcut(*owner, name, EventType::keyUp,
                             [&events] { events.append(EventType::keyUp); });
    // Not shown yet.
    QCoreApplication::processEvents();
    pressAndRelease();
    EXPECT_TRUE(events.isEmpty());
    const QList<std::function<void()>> leaveTheScreen = {[&owner] { owner->hide(); },
                                                         [&owner] { owner.reset(); }};
    for (const auto& leave : leaveTheScreen) {
        owner->show();
        QCoreApplication::processEvents();
        events.clear();
        ASSERT_TRUE(pressAndRelease());
        EXPECT_EQ(events, (QList{EventType::keyDown, EventType::keyUp, EventType::keyUp}));
        leave();
        // Pressed before the streams' end reaches the module, which then gives the hot key up.
        handleOnKeyUp(optionCommand(Key::n));
        QCoreApplication::processEvents();
        EXPECT_EQ(events.size(), 3);
        EXPECT_FALSE(center.isHeld(nKeyCode, controlAlt));
    }
}

} // namespace
