#include "ShortcutFixture.h"

#include "platform/UserDefaults.h"
#include "support/LogCapture.h"
#include "support/MainThreadChecks.h"
#include "support/OutputCapture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>

using namespace GlobalShortcuts;

namespace {

class Dispatch : public ShortcutFixture
{
protected:
    // Ctrl+Alt+N under `name`, its key-up recording `label`.
    Name handled(const char* name, const char* label = "up", Key key = Key::n)
    {
        const Name result(QString::fromLatin1(name), optionCommand(key));
        onKeyUp(result, record(label));
        return result;
    }

    Action record(const char* label)
    {
        return [this, label] { calls.append(QString::fromLatin1(label)); };
    }

    bool held(quint32 keyCode = nKeyCode) const { return center.isHeld(keyCode, controlAlt); }

    // The identifiers of the hot keys kept, numbered from the first this case looked at, 1:
    // the identifiers of the cases before it keep counting.
    QList<quint32> hotKeyIds()
    {
        QList<quint32> ids;
        for (const auto& hotKey : CarbonGlobalShortcuts::hotKeys())
            ids.append(numbered(hotKey.id));
        return ids;
    }
    quint32 numbered(quint32 id)
    {
        if (!firstId)
            firstId = id;
        return id - *firstId + 1;
    }

    std::optional<quint32> firstId;

    QStringList calls;
};

TEST_F(Dispatch, EveryMatchingNameRunsOnReleaseInTheOrderItGotHandlers)
{
    const Name second(QStringLiteral("second"), optionCommand(Key::n));
    onKeyDown(second, record("second down"));
    onKeyUp(second, record("second up 1"));
    handled("other", "other up", Key::m);
    handled("first", "first up");
    onKeyUp(second, record("second up 2"));
    ASSERT_TRUE(center.press(nKeyCode, controlAlt));
    EXPECT_EQ(calls, QStringList{QStringLiteral("second down")});
    ASSERT_TRUE(center.release(nKeyCode, controlAlt));
    EXPECT_EQ(calls, (QStringList{QStringLiteral("second down"), QStringLiteral("second up 1"),
                                  QStringLiteral("second up 2"), QStringLiteral("first up")}));
    EXPECT_EQ(center.hotKeys().size(), 2u);
}

TEST_F(Dispatch, AStoredChangeTakesEffectWithoutRegisteringAgain)
{
    handled("first", "first");
    const Name second = handled("second", "second");
    // Written behind the module's back, as another copy of the settings might.
    UserDefaults::standard().set(second.storageKey(),
                                 QString::fromUtf8(optionCommand(Key::m).toJson()));
    ASSERT_TRUE(pressAndRelease());
    EXPECT_EQ(calls, QStringList{QStringLiteral("first")});
    EXPECT_EQ(center.registrationCount(), 1);
}

TEST_F(Dispatch, StreamsGetNothingBeforeTheirStartOrAfterTheirEndAndKeepTheirHotKey)
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
    EXPECT_FALSE(held());

    QCoreApplication::processEvents();
    EXPECT_TRUE(held());
    // Removing handlers leaves the hot key of a live stream.
    handled("handled", "handled", Key::m);
    removeAllHandlers();
    EXPECT_TRUE(held());
    EXPECT_FALSE(held(mKeyCode));
    ASSERT_TRUE(pressAndRelease());
    EXPECT_EQ(allEvents, (QList{EventType::keyDown, EventType::keyUp}));
    EXPECT_EQ(releaseEvents, QList{EventType::keyUp});

    all.reset();
    releases.reset();
    QCoreApplication::processEvents();
    // No handler and no stream needs the hot key any more.
    EXPECT_FALSE(held());
    GlobalShortcuts::handleOnKeyUp(optionCommand(Key::n));
    EXPECT_EQ(allEvents.size(), 2);
    EXPECT_TRUE(calls.isEmpty());
}

// One name with a handler and a stream: whichever goes first leaves the hot key to the other.
TEST_F(Dispatch, AHotKeyIsHeldWhileAHandlerOrAStreamStillUsesIt)
{
    const Name name = handled("shared");
    int streamed = 0;
    auto stream = events(name);
    QObject::connect(stream.get(), &EventStream::eventReceived, [&streamed] { ++streamed; });
    QCoreApplication::processEvents();
    removeHandler(name);
    EXPECT_TRUE(held());
    ASSERT_TRUE(pressAndRelease());
    EXPECT_EQ(streamed, 2);
    stream.reset();
    QCoreApplication::processEvents();
    EXPECT_FALSE(held());

    onKeyUp(name, record("up"));
    stream = events(name);
    QCoreApplication::processEvents();
    stream.reset();
    QCoreApplication::processEvents();
    EXPECT_TRUE(held());
    ASSERT_TRUE(pressAndRelease());
    EXPECT_EQ(calls, QStringList{QStringLiteral("up")});
}

TEST_F(Dispatch, RecordingLastsUntilTheLastOfTwoRecordersFinishesAndIsAnnouncedOnce)
{
    handled("toggle");
    QObject receiver;
    QList<bool> announced;
    QObject::connect(&ShortcutNotifications::instance(),
                     &ShortcutNotifications::recorderActiveStatusDidChange, &receiver,
                     [&announced](bool active) { announced.append(active); });
    recorderDidStart();
    recorderDidStart();
    recorderDidFinish();
    EXPECT_TRUE(isRecorderActive());
    EXPECT_FALSE(held());
    EXPECT_EQ(announced, QList<bool>{true});
    recorderDidFinish();
    EXPECT_FALSE(isRecorderActive());
    EXPECT_TRUE(held());
    EXPECT_EQ(announced, (QList<bool>{true, false}));
}

TEST_F(Dispatch, DisablingANameGivesUpItsIdentifierAndSwitchingTheModuleOffKeepsIt)
{
    const Name name = handled("toggle");
    EXPECT_EQ(hotKeyIds(), QList<quint32>{1});
    disable({name});
    EXPECT_FALSE(held());
    EXPECT_FALSE(isEnabled(name));
    enable({name});
    EXPECT_EQ(hotKeyIds(), QList<quint32>{2});

    setEnabled(false);
    EXPECT_FALSE(held());
    EXPECT_FALSE(isEnabled(name));
    EXPECT_EQ(hotKeyIds(), QList<quint32>{2});
    // Nothing is delivered while off, not even through an open menu.
    QMenu menu;
    menu.show();
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, Qt::Key_N, Qt::ControlModifier | Qt::AltModifier, nKeyCode, 0, 0);
        QApplication::sendEvent(&menu, &event);
    }
    menu.hide();
    EXPECT_TRUE(calls.isEmpty());

    setEnabled(true);
    EXPECT_EQ(numbered(center.hotKeys().begin()->first), 2u);
    EXPECT_TRUE(isEnabled(name));
    ASSERT_TRUE(pressAndRelease());
    EXPECT_EQ(calls.size(), 1);
}

TEST_F(Dispatch, WhileOffOrInAMenuANewShortcutIsKeptWithoutTakingIt)
{
    setEnabled(false);
    const Name name = handled("toggle");
    EXPECT_EQ(center.registrationCount(), 0);
    setEnabled(true);
    EXPECT_TRUE(held());

    QMenu menu;
    menu.show();
    name.setShortcut(optionCommand(Key::m));
    EXPECT_FALSE(held(mKeyCode));
    menu.hide();
    EXPECT_TRUE(held(mKeyCode));
}

// A refused shortcut counts as registered: handlers and enabling ask nothing more of the system,
// and its hot key is tried again each time the hot keys are taken back.
TEST_F(Dispatch, ARefusedShortcutIsReportedOnceAndTriedAgainWhenTheHotKeysComeBack)
{
    LogCapture log;
    center.refuse(nKeyCode, controlAlt);
    const Name name = handled("toggle", "first");
    onKeyDown(name, record("down"));
    enable({name});
    EXPECT_EQ(log.matching(QStringLiteral("Error registering hotkey Ctrl+Alt+N: 10")).size(), 1);
    EXPECT_TRUE(isEnabled(name));
    EXPECT_FALSE(held());

    // Identifiers are not used again after a refusal.
    const Name other(QStringLiteral("other"), optionCommand(Key::m));
    EXPECT_EQ(hotKeyIds(), (QList<quint32>{1, 2}));

    center.allow(nKeyCode, controlAlt);
    QMenu menu;
    menu.show();
    menu.hide();
    EXPECT_TRUE(held());
    EXPECT_EQ(hotKeyIds(), (QList<quint32>{1, 2}));
    onKeyUp(name, record("second"));
    ASSERT_TRUE(pressAndRelease());
    EXPECT_EQ(calls, (QStringList{QStringLiteral("down"), QStringLiteral("first"),
                                  QStringLiteral("second")}));

    // A refusal when the module comes back on is tried again when a menu closes.
    setEnabled(false);
    center.refuse(nKeyCode, controlAlt);
    setEnabled(true);
    EXPECT_TRUE(isEnabled(name));
    EXPECT_FALSE(held());
    EXPECT_EQ(log.matching(QStringLiteral("Error registering hotkey Ctrl+Alt+N: 10")).size(), 2);
    center.allow(nKeyCode, controlAlt);
    menu.show();
    menu.hide();
    EXPECT_TRUE(held());
    EXPECT_EQ(hotKeyIds(), (QList<quint32>{1, 2}));
    ASSERT_TRUE(pressAndRelease());
    EXPECT_EQ(calls.size(), 6);
}

// Nothing that takes the hot keys back takes a disabled name's: it stays off until it is
// enabled or given a shortcut again.
TEST_F(Dispatch, ADisabledNameStaysOffUntilEnabledOrStoredAgain)
{
    const Name name = handled("toggle");
    handled("other", "other", Key::m);
    disable({name});
    const struct
    {
        const char* what;
        std::function<void()> takeBack;
    } cases[] = {
        {"a menu closes",
         [] {
             QMenu menu;
             menu.show();
             menu.hide();
         }},
        {"the module is switched off and on",
         [] {
             setEnabled(false);
             setEnabled(true);
         }},
        {"the last recorder finishes",
         [] {
             recorderDidStart();
             recorderDidFinish();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.takeBack();
        EXPECT_FALSE(held());
        EXPECT_FALSE(isEnabled(name));
        EXPECT_TRUE(held(mKeyCode));
        EXPECT_FALSE(pressAndRelease());
    }
    EXPECT_TRUE(calls.isEmpty());

    enable({name});
    EXPECT_TRUE(held());
    EXPECT_TRUE(isEnabled(name));
    disable({name});
    name.setShortcut(optionCommand(Key::n));
    EXPECT_TRUE(isEnabled(name));
    ASSERT_TRUE(pressAndRelease());
    EXPECT_EQ(calls, QStringList{QStringLiteral("up")});
}

TEST_F(Dispatch, CombinationsTheSystemCannotExpressAreRefused)
{
    LogCapture log;
    const Name function(QStringLiteral("function"),
                        Shortcut(Key::f12, ModifierFlag::function | ModifierFlag::shift));
    const Name unknownKey(QStringLiteral("unknownKey"), Shortcut(Key{500}, ModifierFlag::command));
    // Registered all the same, as any refused shortcut.
    EXPECT_TRUE(isEnabled(function));
    EXPECT_TRUE(isEnabled(unknownKey));
    EXPECT_EQ(center.registrationCount(), 0);
    EXPECT_EQ(log.matching(QStringLiteral("Error registering hotkey Fn+Shift+F12: -2")).size(), 1);
    EXPECT_EQ(log.matching(QStringLiteral("Error registering hotkey Ctrl+")).size(), 1);
}

// Whoever started the program reads each refusal on its standard output, one line each, as
// soon as it happens.
TEST_F(Dispatch, EveryRefusalIsPrintedOnStandardOutput)
{
    OutputCapture output;
    center.refuse(nKeyCode, controlAlt);
    handled("toggle");
    const Name function(QStringLiteral("function"),
                        Shortcut(Key::f12, ModifierFlag::function | ModifierFlag::shift));
    EXPECT_EQ(output.text(), QByteArrayLiteral("Error registering hotkey Ctrl+Alt+N: 10\n"
                                               "Error registering hotkey Fn+Shift+F12: -2\n"));
}

// Counts the key events that get past the module to the menu.
struct KeyCounter : QObject
{
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
        return false;
    }
};

TEST_F(Dispatch, AnOpenMenuCatchesTheCombinationFromItsKeyEvents)
{
    const Name name = handled("toggle");
    onKeyDown(name, record("down"));
    QMenu menu;
    KeyCounter seenByMenu;
    menu.installEventFilter(&seenByMenu);
    auto* closedFirst = new QMenu;
    closedFirst->show();
    menu.show();
    EXPECT_TRUE(isMenuOpen());
    EXPECT_FALSE(held());
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
    EXPECT_EQ(seenByMenu.count, 1);
    send(QEvent::KeyPress, mKeyCode, controlAltModifiers);
    send(QEvent::KeyPress, nKeyCode, Qt::ControlModifier);
    EXPECT_EQ(seenByMenu.count, 3);

    // A menu destroyed while open counts as closed.
    delete closedFirst;
    EXPECT_TRUE(isMenuOpen());
    menu.hide();
    EXPECT_FALSE(isMenuOpen());
    EXPECT_TRUE(held());
    EXPECT_EQ(numbered(center.hotKeys().begin()->first), 1u);
}

TEST_F(Dispatch, HandlersMayChangeTheTablesAndTheShortcutWhileDispatching)
{
    const Name name(QStringLiteral("toggle"), optionCommand(Key::n));
    onKeyUp(name, [&] {
        calls.append(QStringLiteral("first"));
        removeAllHandlers();
        name.setShortcut(std::nullopt);
        for (int i = 0; i < 100; ++i)
            onKeyUp(Name(QStringLiteral("added %1").arg(i)), record("added"));
    });
    onKeyUp(name, record("second"));
    handled("other", "other");
    ASSERT_TRUE(pressAndRelease());
    // The walk goes on over the tables as they were when the key came; `other` lost its hot key
    // with `name`'s, and its stored shortcut still matches.
    EXPECT_EQ(calls, (QStringList{QStringLiteral("first"), QStringLiteral("second"),
                                  QStringLiteral("other")}));
    EXPECT_FALSE(pressAndRelease());
    EXPECT_EQ(calls.size(), 3);
}

// The tables, flags and hot keys belong to the main thread.
TEST_F(Dispatch, EveryOperationOnTheModuleChecksItRunsOnTheMainThread)
{
    const Name name(QStringLiteral("plain"));
    expectEachCaughtOffTheMainThread({
        {"store", [&name] { setShortcut(optionCommand(Key::m), name); }},
        {"add a handler", [&name] { onKeyUp(name, [] {}); }},
        {"switch the module off", [] { setEnabled(false); }},
        {"deliver", [] { handleOnKeyUp(Shortcut(Key::n, 0)); }},
        {"give up a hot key",
         [] { CarbonGlobalShortcuts::unregisterShortcut(Shortcut(Key::n, 0)); }},
    });
}

} // namespace
