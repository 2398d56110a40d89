#include "ServerClock.h"
#include "XTestClient.h"

#include "GlobalShortcuts/CarbonGlobalShortcuts.h"
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "support/LogCapture.h"
#include "support/ShortcutModule.h"

#include <QMenu>
#include <QTest>
#include <QWidget>

#include <gmock/gmock.h>
#include <xcb/xcb.h>

#include <algorithm>

using namespace GlobalShortcuts;

namespace {

constexpr int eventTimeoutMs = 5000;
const quint16 lockVariants[] = {0, XTestClient::lockMask, XTestClient::numLockMask,
                                XTestClient::lockMask | XTestClient::numLockMask};

Shortcut controlAlt(Key key)
{
    return Shortcut(key, ModifierFlag::option | ModifierFlag::command);
}

// Whether the server gave the module the combination.
bool isHeld(const Shortcut& shortcut)
{
    const QList<CarbonGlobalShortcuts::HotKeyState> hotKeys = CarbonGlobalShortcuts::hotKeys();
    return std::any_of(hotKeys.cbegin(), hotKeys.cend(), [&shortcut](const auto& hotKey) {
        return hotKey.shortcut == shortcut && hotKey.isRegistered;
    });
}

// Real hot keys on a fresh Xvfb for each case, typed by another client.
class HotKeys : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(client.isConnected());
        keyboard = client.modifierMapping();
        onKeyUp(sentinel, [this] { ++sentinelReleases; });
        ASSERT_TRUE(isEnabled(sentinel));
        ASSERT_TRUE(isHeld(controlAlt(Key::m)));
    }

    // The server's keyboard as the case found it: the lock keys off where they are now, then
    // each modifier made by its keys again.
    ~HotKeys() override
    {
        forgetEveryShortcut();
        const XTestClient::ModifierMapping now = client.modifierMapping();
        for (const quint8 lockKey : {XTestClient::capsLockKey, XTestClient::numLockKey}) {
            if (client.modifierState() & modifierOf(lockKey, now))
                client.type(lockKey);
        }
        EXPECT_TRUE(client.setModifierMapping(keyboard));
    }

    // The mask of the modifier the key makes.
    static quint16 modifierOf(quint8 key, const XTestClient::ModifierMapping& mapping)
    {
        const auto place = std::find(mapping.keys.cbegin(), mapping.keys.cend(), key);
        return place == mapping.keys.cend()
                   ? 0
                   : quint16(1 << ((place - mapping.keys.cbegin()) / mapping.keysPerModifier));
    }

    // Types the sentinel shortcut and waits for it: everything typed before it has then been
    // delivered, since the server sends events in order.
    bool settle()
    {
        const int expected = sentinelReleases + 1;
        client.typeControlAlt(XTestClient::mKey);
        return QTest::qWaitFor([&] { return sentinelReleases >= expected; }, eventTimeoutMs);
    }

    bool waitFor(const std::function<bool()>& condition)
    {
        return QTest::qWaitFor(condition, eventTimeoutMs);
    }

    // The application's shortcut; making it stores and takes Ctrl+Alt+N.
    static Name toggleName() { return Name(QStringLiteral("togglePopover"), controlAlt(Key::n)); }

    void countEvents(const Name& name)
    {
        onKeyDown(name, [this] { ++presses; });
        onKeyUp(name, [this] { ++releases; });
    }

    XTestClient client;
    XTestClient::ModifierMapping keyboard;
    const Name sentinel{QStringLiteral("sentinel"), controlAlt(Key::m)};
    int sentinelReleases = 0;
    int presses = 0;
    int releases = 0;
};

TEST_F(HotKeys, PressAndReleaseGiveExactlyOneKeyUp)
{
    const Name toggle = toggleName();
    countEvents(toggle);
    client.press(XTestClient::controlKey);
    client.press(XTestClient::altKey);
    client.press(XTestClient::nKey);
    ASSERT_TRUE(waitFor([&] { return presses == 1; }));
    EXPECT_EQ(releases, 0);
    client.release(XTestClient::nKey);
    client.release(XTestClient::altKey);
    client.release(XTestClient::controlKey);
    ASSERT_TRUE(settle());
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(releases, 1);
}

TEST_F(HotKeys, TheReleaseComesWhateverModifiersAreStillHeld)
{
    const Name toggle = toggleName();
    countEvents(toggle);
    client.press(XTestClient::controlKey);
    client.press(XTestClient::altKey);
    client.press(XTestClient::nKey);
    client.release(XTestClient::altKey);
    client.release(XTestClient::controlKey);
    client.release(XTestClient::nKey);
    ASSERT_TRUE(settle());
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(releases, 1);
}

TEST_F(HotKeys, CapsLockAndNumLockOnStillFire)
{
    const Name toggle = toggleName();
    countEvents(toggle);
    client.press(XTestClient::capsLockKey);
    client.release(XTestClient::capsLockKey);
    client.typeControlAlt(XTestClient::nKey);
    ASSERT_TRUE(waitFor([&] { return releases == 1; }));
    client.press(XTestClient::numLockKey);
    client.release(XTestClient::numLockKey);
    client.typeControlAlt(XTestClient::nKey);
    ASSERT_TRUE(settle());
    EXPECT_EQ(releases, 2);
}

TEST_F(HotKeys, NumLockMovedToAnotherModifierIsFollowed)
{
    const Name toggle = toggleName();
    countEvents(toggle);
    // Move Num Lock from Mod2 to Mod3, as a keyboard settings tool might.
    XTestClient::ModifierMapping moved = keyboard;
    const int perModifier = moved.keysPerModifier;
    constexpr int mod2 = 4;
    constexpr int mod3 = 5;
    for (int i = 0; i < perModifier; ++i) {
        if (moved.keys[mod2 * perModifier + i] == XTestClient::numLockKey) {
            moved.keys[mod2 * perModifier + i] = 0;
            moved.keys[mod3 * perModifier] = XTestClient::numLockKey;
        }
    }
    ASSERT_TRUE(client.setModifierMapping(moved));

    ASSERT_TRUE(settle());
    client.press(XTestClient::numLockKey);
    client.release(XTestClient::numLockKey);
    client.typeControlAlt(XTestClient::nKey);
    ASSERT_TRUE(settle());
    EXPECT_EQ(releases, 1);
}

TEST_F(HotKeys, HoldingTheKeyGivesOnePressAndOneRelease)
{
    const Name toggle = toggleName();
    countEvents(toggle);
    client.press(XTestClient::controlKey);
    client.press(XTestClient::altKey);
    client.press(XTestClient::nKey);
    client.sync();
    ServerClock clock;
    ASSERT_TRUE(clock.isConnected());
    const quint32 pressed = clock.now();
    ASSERT_TRUE(waitFor([&] { return clock.hasRepeatedKeyHeldSince(pressed); }))
        << "the server's auto-repeat";
    client.release(XTestClient::nKey);
    client.release(XTestClient::altKey);
    client.release(XTestClient::controlKey);
    ASSERT_TRUE(settle());
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(releases, 1);
}

TEST_F(HotKeys, ACombinationHeldElsewhereIsRefusedAndTriedAgain)
{
    ASSERT_EQ(client.grab(XTestClient::nKey, XTestClient::controlAltMask), 0);
    LogCapture log;
    const Name toggle = toggleName();
    countEvents(toggle);
    // Once, for the one refusal: the handlers added after it take the shortcut as registered.
    EXPECT_EQ(log.matching(QStringLiteral("Error registering hotkey Ctrl+Alt+N: 10")).size(), 1);
    EXPECT_TRUE(isEnabled(toggle));
    EXPECT_FALSE(isHeld(controlAlt(Key::n)));
    // The lock-key variants that went through were given back with the refusal.
    XTestClient third;
    for (const quint16 variant : lockVariants) {
        if (variant != 0) {
            EXPECT_EQ(third.grab(XTestClient::nKey, XTestClient::controlAltMask | variant), 0);
            third.ungrab(XTestClient::nKey, XTestClient::controlAltMask | variant);
        }
    }

    client.ungrab(XTestClient::nKey, XTestClient::controlAltMask);
    // Tried again when the hot keys are taken back, here as the module comes back on.
    setEnabled(false);
    setEnabled(true);
    EXPECT_TRUE(isHeld(controlAlt(Key::n)));
    onKeyUp(toggle, [this] { ++releases; });
    client.typeControlAlt(XTestClient::nKey);
    ASSERT_TRUE(settle());
    EXPECT_EQ(releases, 2);
}

TEST_F(HotKeys, AfterUnregisteringTheOtherClientGetsTheKey)
{
    const Name toggle = toggleName();
    countEvents(toggle);
    EXPECT_EQ(client.grab(XTestClient::nKey, XTestClient::controlAltMask), XCB_ACCESS);
    removeHandler(toggle);
    for (const quint16 variant : lockVariants)
        EXPECT_EQ(client.grab(XTestClient::nKey, XTestClient::controlAltMask | variant), 0);
    client.typeControlAlt(XTestClient::nKey);
    EXPECT_TRUE(waitFor([&] { return client.receivedPress(XTestClient::nKey); }));
    EXPECT_EQ(releases, 0);
}

TEST_F(HotKeys, AnOpenMenuConsumesTheCombinationAndGivesItBackWhenItCloses)
{
    // Ctrl+Shift: Alt would close the menu by itself (see the next case).
    const Name name(QStringLiteral("inMenu"),
                    Shortcut(Key::n, ModifierFlag::command | ModifierFlag::shift));
    countEvents(name);
    constexpr quint16 controlShiftMask = 0x04 | 0x01;
    QMenu menu;
    menu.addAction(QStringLiteral("Item"));
    menu.popup(QPoint(10, 10));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    EXPECT_TRUE(isMenuOpen());
    // The system no longer holds it for us while the menu is open.
    EXPECT_EQ(client.grab(XTestClient::nKey, controlShiftMask), 0);
    client.ungrab(XTestClient::nKey, controlShiftMask);

    client.press(XTestClient::controlKey);
    client.press(XTestClient::shiftKey);
    client.press(XTestClient::nKey);
    client.release(XTestClient::nKey);
    client.release(XTestClient::shiftKey);
    client.release(XTestClient::controlKey);
    ASSERT_TRUE(waitFor([&] { return releases == 1; }));
    EXPECT_EQ(presses, 1);
    EXPECT_TRUE(menu.isVisible());

    menu.hide();
    EXPECT_FALSE(isMenuOpen());
    EXPECT_EQ(client.grab(XTestClient::nKey, controlShiftMask), XCB_ACCESS);
}

TEST_F(HotKeys, CtrlAltNWorksWhileAMenuIsOpen)
{
    const Name toggle = toggleName();
    countEvents(toggle);
    QMenu menu;
    menu.addAction(QStringLiteral("Item"));
    menu.popup(QPoint(10, 10));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));

    // Typed at a person's pace: Alt closes the menu, and the hot key is held again before N.
    client.press(XTestClient::controlKey);
    client.press(XTestClient::altKey);
    client.sync();
    ASSERT_TRUE(waitFor([&] { return !isMenuOpen(); }));
    // The toolkit gives the keyboard back a moment after the menu closes.
    ASSERT_TRUE(waitFor([&] { return !client.isKeyboardGrabbed(); })) << "the menu's keyboard";
    client.press(XTestClient::nKey);
    client.release(XTestClient::nKey);
    client.release(XTestClient::altKey);
    client.release(XTestClient::controlKey);
    ASSERT_TRUE(settle());
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(releases, 1);
}

TEST_F(HotKeys, TheToggleShortcutOpensAndClosesAWindow)
{
    QWidget panel;
    panel.resize(200, 100);
    const Name toggle = toggleName();
    onKeyUp(toggle, [&panel] { panel.setVisible(!panel.isVisible()); });
    client.typeControlAlt(XTestClient::nKey);
    ASSERT_TRUE(waitFor([&] { return panel.isVisible(); }));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    client.typeControlAlt(XTestClient::nKey);
    ASSERT_TRUE(waitFor([&] { return !panel.isVisible(); }));
    ASSERT_TRUE(settle());
    EXPECT_FALSE(panel.isVisible());
}

} // namespace
