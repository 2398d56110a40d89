#include "ShortcutFixture.h"

#include "GlobalShortcuts/MenuItemShortcuts.h"
#include "GlobalShortcuts/ViewModifiers.h"

#include <QAction>
#include <QCoreApplication>
#include <QPushButton>

using namespace GlobalShortcuts;

namespace {

class WidgetShortcuts : public ShortcutFixture
{
protected:
    static QKeySequence keys(const char* text) { return QKeySequence(QString::fromLatin1(text)); }

    ManualMainQueue queue;
    QAction action;
};

TEST_F(WidgetShortcuts, AFollowedNameReachesTheActionOnTheMainQueueAndOnlyForItsOwnChanges)
{
    const Name followed(QStringLiteral("followed"));
    const Name other(QStringLiteral("other"), optionCommand(Key::m));
    setShortcut(action, std::optional(followed), queue);
    EXPECT_TRUE(action.shortcut().isEmpty());
    followed.setShortcut(optionCommand(Key::n));
    EXPECT_TRUE(action.shortcut().isEmpty());
    queue.runPending();
    EXPECT_EQ(action.shortcut(), keys("Ctrl+Alt+N"));
    // What is set by hand stays until the followed name itself changes.
    setShortcut(action, std::optional(optionCommand(Key::m)));
    other.setShortcut(optionCommand(Key::x));
    queue.runPending();
    EXPECT_EQ(action.shortcut(), keys("Ctrl+Alt+M"));
}

TEST_F(WidgetShortcuts, ASecondNameReplacesTheFirstAndDetachingEndsFollowingAtOnce)
{
    const Name first(QStringLiteral("first"), optionCommand(Key::n));
    const Name second(QStringLiteral("second"), optionCommand(Key::m));
    setShortcut(action, std::optional(first), queue);
    setShortcut(action, std::optional(second), queue);
    first.setShortcut(optionCommand(Key::x));
    queue.runPending();
    EXPECT_EQ(action.shortcut(), keys("Ctrl+Alt+M"));
    // A change that is still queued when the action detaches applies nothing.
    second.setShortcut(optionCommand(Key::y));
    setShortcut(action, std::optional<Name>(), queue);
    EXPECT_TRUE(action.shortcut().isEmpty());
    queue.runPending();
    second.setShortcut(optionCommand(Key::z));
    queue.runPending();
    EXPECT_TRUE(action.shortcut().isEmpty());
}

TEST_F(WidgetShortcuts, OnlyKeysWithAMenuKeyEquivalentGiveAKeySequence)
{
    struct Case
    {
        Shortcut shortcut;
        const char* expected;
    };
    const Case cases[] = {
        {optionCommand(Key::keypad5), ""},
        {Shortcut(Key::f5, ModifierFlag::command), "Ctrl+F5"},
        {Shortcut(Key::returnKey, ModifierFlag::shift), "Shift+Return"},
        {Shortcut(Key::n, ModifierFlag::function), ""},
    };
    const Name name(QStringLiteral("name"));
    QPushButton button;
    globalKeyboardShortcut(button, name, queue);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        setShortcut(action, std::optional(c.shortcut));
        name.setShortcut(c.shortcut);
        queue.runPending();
        EXPECT_EQ(action.shortcut(), keys(c.expected));
        EXPECT_EQ(button.shortcut(), keys(c.expected));
    }
}

TEST_F(WidgetShortcuts, WidgetsCarryNoKeySequenceWhileARecorderRecords)
{
    const Name name(QStringLiteral("name"), optionCommand(Key::n));
    QPushButton button;
    const auto expectBoth = [&](const char* expected) {
        EXPECT_EQ(action.shortcut(), keys(expected));
        EXPECT_EQ(button.shortcut(), keys(expected));
    };
    setRecorderActive(true);
    globalKeyboardShortcut(action, name, queue);
    globalKeyboardShortcut(button, name, queue);
    expectBoth("");
    name.setShortcut(optionCommand(Key::m));
    queue.runPending();
    expectBoth("");
    setRecorderActive(false);
    queue.runPending();
    expectBoth("Ctrl+Alt+M");
}

TEST_F(WidgetShortcuts, TheOwnersDestructionEndsItsStreams)
{
    const Name name(QStringLiteral("streamed"), optionCommand(Key::n));
    auto owner = std::make_unique<QObject>();
    QList<EventType> events;
    int releases = 0;
    onGlobalKeyboardShortcut(*owner, name, [&events](EventType type) { events.append(type); });
    onGlobalKeyboardShortcut(*owner, name, EventType::keyUp, [&releases] { ++releases; });
    QCoreApplication::processEvents();
    ASSERT_TRUE(pressAndRelease());
    EXPECT_EQ(events, (QList{EventType::keyDown, EventType::keyUp}));
    EXPECT_EQ(releases, 1);

    owner.reset();
    // Before the stream's end reaches the module, and after.
    handleOnKeyUp(optionCommand(Key::n));
    QCoreApplication::processEvents();
    EXPECT_FALSE(center.isHeld(nKeyCode, controlAlt));
    EXPECT_EQ(events.size(), 2);
    EXPECT_EQ(releases, 1);
}

} // namespace
