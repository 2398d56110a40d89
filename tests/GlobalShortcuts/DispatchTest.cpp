#include "ShortcutFixture.h"

#include "platform/UserDefaults.h"
#include "support/LogCapture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalSpy>

using namespace GlobalShortcuts;

namespace {

class Dispatch : public ShortcutFixture
{
protected:
    Action record(const QString& label)
    {
        return [this, label] { calls.append(label); };
    }

    QList<quint32> hotKeyIds() const
    {
        QList<quint32> ids;
        for (const auto& hotKey : CarbonGlobalShortcuts::hotKeys())
            ids.append(hotKey.id);
        return ids;
    }

    QStringList calls;
};

TEST_F(Dispatch, KeyUpHandlersRunOnceOnReleaseOnly)
{
    const Name name(QStringLiteral("togglePopover"), optionCommand(Key::n));
    onKeyUp(name, record(QStringLiteral("up")));
    ASSERT_TRUE(center.press(nKeyCode, controlAlt));
    EXPECT_TRUE(calls.isEmpty());
    ASSERT_TRUE(center.release(nKeyCode, controlAlt));
    EXPECT_EQ(calls, QStringList{QStringLiteral("up")});
    EXPECT_EQ(center.hotKeys().size(), 1u);
}

TEST_F(Dispatch, EveryMatchingNameRunsInTheOrderItGotHandlers)
{
    const Name first(QStringLiteral("first"), optionCommand(Key::n));
    const Name second(QStringLiteral("second"), optionCommand(Key::n));
    const Name other(QStringLiteral("other"), optionCommand(Key::m));
    onKeyDown(second, record(QStringLiteral("second down")));
    onKeyUp(second, record(QStringLiteral("second up 1")));
    onKeyUp(other, record(QStringLiteral("other up")));
    onKeyUp(first, record(QStringLiteral("first up")));
    onKeyUp(second, record(QStringLiteral("second up 2")));
    ASSERT_TRUE(pressAndRelease());
    EXPECT_EQ(calls, (QStringList{QStringLiteral("second down"), QStringLiteral("second up 1"),
                                  QStringLiteral("second up 2"), QStringLiteral("first up")}));
}

TEST_F(Dispatch, AStoredChangeTakesEffectWithoutRegisteringAgain)
{
    const Name first(QStringLiteral("first"), optionCommand(Key::n));
    const Name second(QStringLiteral("second"), optionCommand(Key::n));
    onKeyUp(first, record(QStringLiteral("first")));
    onKeyUp(second, record(QStringLiteral("second")));
    const int registrations = center.registrationCount();
    // Written behind the module's back, as another copy of the settings might.
    UserDefaults::standard().set(second.storageKey(),
                                 QString::fromUtf8(optionCommand(Key::m).toJson()));
    ASSERT_TRUE(pressAndRelease());
    EXPECT_EQ(calls, QStringList{QStringLiteral("first")});
    EXPECT_EQ(center.registrationCount(), registrations);
}

TEST_F(Dispatch, TheRecorderFlagSilencesDeliveryButKeepsTheHotKey)
{
    const Name name(QStringLiteral("toggle"), optionCommand(Key::n));
    onKeyUp(name, record(QStringLiteral("up")));
    QSignalSpy status(&ShortcutNotifications::instance(),
                      &ShortcutNotifications::recorderActiveStatusDidChange);
    setRecorderActive(true);
    setRecorderActive(true);
    ASSERT_TRUE(pressAndRelease());
    EXPECT_TRUE(calls.isEmpty());
    setRecorderActive(false);
    ASSERT_TRUE(pressAndRelease());
    EXPECT_EQ(calls.size(), 1);
    EXPECT_EQ(status.count(), 2);
    EXPECT_EQ(center.registrationCount(), 1);
}

TEST_F(Dispatch, StreamsGetNothingBeforeTheirStartOrAfterTheirEnd)
{
    const Name name(QStringLiteral("streamed"), optionCommand(Key::n));
    disable({name});
    auto all = events(name);
    auto releases = events(EventType::keyUp, name);
    QList<EventType> allEvents;
    QList<EventType> releaseEvents;
    QObject::connect(all.get(), &EventStream::eventReceived,
                     [&](EventType type) { allEvents.append(type); });
    QObject::connect(releases.get(), &EventStream::eventReceived,
                     [&](EventType type) { releaseEvents.append(type); });
    GlobalShortcuts::handleOnKeyUp(optionCommand(Key::n));
    EXPECT_TRUE(allEvents.isEmpty());
    EXPECT_FALSE(center.isHeld(nKeyCode, controlAlt));

    QCoreApplication::processEvents();
    EXPECT_TRUE(center.isHeld(nKeyCode, controlAlt));
    ASSERT_TRUE(pressAndRelease());
    EXPECT_EQ(allEvents, (QList{EventType::keyDown, EventType::keyUp}));
    EXPECT_EQ(releaseEvents, QList{EventType::keyUp});

    all.reset();
    releases.reset();
    QCoreApplication::processEvents();
    // No handler and no stream needs the hot key any more.
    EXPECT_FALSE(center.isHeld(nKeyCode, controlAlt));
    GlobalShortcuts::handleOnKeyUp(optionCommand(Key::n));
    EXPECT_EQ(allEvents.size(), 2);
}

TEST_F(Dispatch, RemovingHandlersKeepsTheHotKeyOfALiveStream)
{
    const Name streamed(QStringLiteral("streamed"), optionCommand(Key::n));
    const Name handled(QStringLiteral("handled"), optionCommand(Key::m));
    onKeyUp(streamed, record(QStringLiteral("streamed")));
    onKeyUp(handled, record(QStringLiteral("handled")));
    auto stream = events(streamed);
    QCoreApplication::processEvents();

    removeHandler(streamed);
    EXPECT_TRUE(center.isHeld(nKeyCode, controlAlt));
    removeAllHandlers();
    EXPECT_TRUE(center.isHeld(nKeyCode, controlAlt));
    EXPECT_FALSE(center.isHeld(mKeyCode, controlAlt));
    ASSERT_TRUE(pressAndRelease());
    EXPECT_TRUE(calls.isEmpty());
}

TEST_F(Dispatch, DisableThenEnableRegistersUnderANewIdentifier)
{
    const Name name(QStringLiteral("toggle"), optionCommand(Key::n));
    onKeyUp(name, record(QStringLiteral("up")));
    EXPECT_EQ(hotKeyIds(), QList<quint32>{1});
    disable({name});
    EXPECT_FALSE(center.isHeld(nKeyCode, controlAlt));
    EXPECT_FALSE(isEnabled(name));
    enable({name});
    EXPECT_EQ(hotKeyIds(), QList<quint32>{2});
    ASSERT_TRUE(pressAndRelease());
    EXPECT_EQ(calls.size(), 1);
}

TEST_F(Dispatch, SwitchingTheModuleOffAndOnKeepsIdentifiersAndDeliversNothingWhileOff)
{
    const Name name(QStringLiteral("toggle"), optionCommand(Key::n));
    onKeyUp(name, record(QStringLiteral("up")));
    setEnabled(false);
    EXPECT_FALSE(center.isHeld(nKeyCode, controlAlt));
    EXPECT_FALSE(isEnabled(name));
    EXPECT_EQ(hotKeyIds(), QList<quint32>{1});

    // Nor through an open menu.
    QMenu menu;
    menu.show();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_N, Qt::ControlModifier | Qt::AltModifier, nKeyCode, 0,
                    0);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_N, Qt::ControlModifier | Qt::AltModifier,
                      nKeyCode, 0, 0);
    QApplication::sendEvent(&menu, &press);
    QApplication::sendEvent(&menu, &release);
    menu.hide();
    EXPECT_TRUE(calls.isEmpty());

    setEnabled(true);
    EXPECT_EQ(center.hotKeys().begin()->first, 1u);
    EXPECT_TRUE(isEnabled(name));
    ASSERT_TRUE(pressAndRelease());
    EXPECT_EQ(calls.size(), 1);
}

TEST_F(Dispatch, WhileOffOrInAMenuANewShortcutIsKeptWithoutTakingIt)
{
    setEnabled(false);
    const Name name(QStringLiteral("toggle"), optionCommand(Key::n));
    onKeyUp(name, record(QStringLiteral("up")));
    EXPECT_EQ(center.registrationCount(), 0);
    setEnabled(true);
    EXPECT_TRUE(center.isHeld(nKeyCode, controlAlt));

    QMenu menu;
    menu.show();
    name.setShortcut(optionCommand(Key::m));
    EXPECT_FALSE(center.isHeld(mKeyCode, controlAlt));
    menu.hide();
    EXPECT_TRUE(center.isHeld(mKeyCode, controlAlt));
}

TEST_F(Dispatch, ARefusedShortcutIsNotRegisteredAndIsTriedAgain)
{
    LogCapture log;
    center.refuse(nKeyCode, controlAlt);
    const Name name(QStringLiteral("toggle"), optionCommand(Key::n));
    onKeyUp(name, record(QStringLiteral("first")));
    EXPECT_EQ(log.matching(QStringLiteral("Error registering hotkey Ctrl+Alt+N: 10")).size(), 2);
    EXPECT_FALSE(isEnabled(name));

    // Identifiers are not used again after a refusal.
    const Name other(QStringLiteral("other"), optionCommand(Key::m));
    EXPECT_EQ(hotKeyIds(), (QList<quint32>{1, 2}));

    center.allow(nKeyCode, controlAlt);
    onKeyUp(name, record(QStringLiteral("second")));
    EXPECT_TRUE(isEnabled(name));
    EXPECT_EQ(hotKeyIds(), (QList<quint32>{1, 2}));
    ASSERT_TRUE(pressAndRelease());
    EXPECT_EQ(calls, (QStringList{QStringLiteral("first"), QStringLiteral("second")}));
}

TEST_F(Dispatch, CombinationsTheSystemCannotExpressAreRefused)
{
    LogCapture log;
    const Name function(QStringLiteral("function"),
                        Shortcut(Key::f12, ModifierFlag::function | ModifierFlag::shift));
    const Name unknownKey(QStringLiteral("unknownKey"), Shortcut(Key{500}, ModifierFlag::command));
    EXPECT_FALSE(isEnabled(function));
    EXPECT_FALSE(isEnabled(unknownKey));
    EXPECT_EQ(center.registrationCount(), 0);
    EXPECT_EQ(log.matching(QStringLiteral("Error registering hotkey Fn+Shift+F12: -2")).size(), 1);
    EXPECT_EQ(log.matching(QStringLiteral("Error registering hotkey Ctrl+")).size(), 1);
}

TEST_F(Dispatch, ARefusalWhenTheModuleComesBackOnIsTriedAgainLater)
{
    const Name name(QStringLiteral("toggle"), optionCommand(Key::n));
    onKeyUp(name, record(QStringLiteral("up")));
    setEnabled(false);
    center.refuse(nKeyCode, controlAlt);
    setEnabled(true);
    EXPECT_FALSE(isEnabled(name));
    EXPECT_EQ(hotKeyIds(), QList<quint32>{1});

    center.allow(nKeyCode, controlAlt);
    QMenu menu;
    menu.show();
    menu.hide();
    EXPECT_TRUE(isEnabled(name));
    ASSERT_TRUE(pressAndRelease());
    EXPECT_EQ(calls.size(), 1);
}

TEST_F(Dispatch, AnOpenMenuCatchesTheCombinationFromItsKeyEvents)
{
    const Name name(QStringLiteral("toggle"), optionCommand(Key::n));
    onKeyDown(name, record(QStringLiteral("down")));
    onKeyUp(name, record(QStringLiteral("up")));

    QMenu menu;
    int keyEventsSeenByMenu = 0;
    struct Counter : QObject
    {
        int* count;
        explicit Counter(int* count)
            : count(count)
        {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
                ++*count;
            return false;
        }
    } menuFilter(&keyEventsSeenByMenu);
    menu.installEventFilter(&menuFilter);

    menu.show();
    EXPECT_TRUE(isMenuOpen());
    EXPECT_FALSE(center.isHeld(nKeyCode, controlAlt));
    EXPECT_EQ(hotKeyIds(), QList<quint32>{1});

    auto send = [&menu](QEvent::Type type, quint32 keyCode, Qt::KeyboardModifiers modifiers,
                        bool autoRepeat = false) {
        QKeyEvent event(type, Qt::Key_N, modifiers, keyCode, 0, 0, QString(), autoRepeat);
        QApplication::sendEvent(&menu, &event);
    };
    const auto controlAltModifiers = Qt::ControlModifier | Qt::AltModifier;
    send(QEvent::KeyPress, nKeyCode, controlAltModifiers);
    send(QEvent::KeyPress, nKeyCode, controlAltModifiers, true);
    send(QEvent::KeyRelease, nKeyCode, controlAltModifiers);
    EXPECT_EQ(calls, (QStringList{QStringLiteral("down"), QStringLiteral("up")}));
    // The repeat is not ours; the press and release never reached the menu.
    EXPECT_EQ(keyEventsSeenByMenu, 1);

    send(QEvent::KeyPress, mKeyCode, controlAltModifiers);
    send(QEvent::KeyPress, nKeyCode, Qt::ControlModifier);
    EXPECT_EQ(keyEventsSeenByMenu, 3);

    menu.hide();
    EXPECT_FALSE(isMenuOpen());
    EXPECT_TRUE(center.isHeld(nKeyCode, controlAlt));
    EXPECT_EQ(center.hotKeys().begin()->first, 1u);
}

TEST_F(Dispatch, AMenuDestroyedWhileOpenClosesTheMenuPath)
{
    const Name name(QStringLiteral("toggle"), optionCommand(Key::n));
    onKeyUp(name, record(QStringLiteral("up")));
    auto* menu = new QMenu;
    menu->show();
    QMenu second;
    second.show();
    EXPECT_TRUE(isMenuOpen());
    delete menu;
    EXPECT_TRUE(isMenuOpen());
    second.hide();
    EXPECT_FALSE(isMenuOpen());
    EXPECT_TRUE(center.isHeld(nKeyCode, controlAlt));
}

TEST_F(Dispatch, HandlersMayChangeTheTablesAndTheShortcutWhileDispatching)
{
    const Name name(QStringLiteral("toggle"), optionCommand(Key::n));
    const Name other(QStringLiteral("other"), optionCommand(Key::n));
    onKeyUp(name, [&] {
        calls.append(QStringLiteral("first"));
        removeAllHandlers();
        name.setShortcut(std::nullopt);
        for (int i = 0; i < 100; ++i)
            onKeyUp(Name(QStringLiteral("added %1").arg(i)), record(QStringLiteral("added")));
    });
    onKeyUp(name, record(QStringLiteral("second")));
    onKeyUp(other, record(QStringLiteral("other")));
    ASSERT_TRUE(pressAndRelease());
    // The walk goes on over the tables as they were when the key came; `other` lost its hot key
    // with `name`'s, and its stored shortcut still matches.
    EXPECT_EQ(calls, (QStringList{QStringLiteral("first"), QStringLiteral("second"),
                                  QStringLiteral("other")}));
    EXPECT_FALSE(pressAndRelease());
    EXPECT_EQ(calls.size(), 3);
}

} // namespace
