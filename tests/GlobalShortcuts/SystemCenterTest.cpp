#include "ShortcutFixture.h"

#include "platform/x11/X11HotKeyCenter.h"
#include "support/LogCapture.h"

using namespace GlobalShortcuts;

namespace {

// A desktop without X11 (Wayland without XWayland, a headless session).
class WithoutDisplay : public testing::Test
{
protected:
    void SetUp() override
    {
        environment.unset("DISPLAY");
        KeyboardLayout::setCurrent(KeyboardLayout::fromNames(QStringLiteral("us")));
    }
    ~WithoutDisplay() override
    {
        forgetEveryShortcut();
        KeyboardLayout::setCurrent(nullptr);
    }

    CaseEnvironment environment;
};

TEST_F(WithoutDisplay, EveryRegistrationIsRefusedWithTheLineUntilACenterComes)
{
    LogCapture log;
    const Name name(QStringLiteral("togglePopover"),
                    Shortcut(Key::n, ModifierFlag::option | ModifierFlag::command));
    int calls = 0;
    onKeyUp(name, [&calls] { ++calls; });
    // The system's own center was made on first use.
    ASSERT_TRUE(qobject_cast<X11HotKeyCenter*>(CarbonGlobalShortcuts::hotKeyCenter()));
    // Once for the one refusal; the shortcut counts as registered, and is tried again when
    // the hot keys are taken back.
    EXPECT_EQ(log.matching(QStringLiteral("Error registering hotkey Ctrl+Alt+N: -1")).size(), 1);
    EXPECT_TRUE(isEnabled(name));
    setEnabled(false);
    setEnabled(true);
    EXPECT_EQ(log.matching(QStringLiteral("Error registering hotkey Ctrl+Alt+N: -1")).size(), 2);
    EXPECT_EQ(calls, 0);

    X11HotKeyCenter x11;
    EXPECT_FALSE(x11.isConnected());
    EXPECT_EQ(x11.registerHotKey(1, 57, 0x0C), HotKeyCenter::noDisplayError);
    x11.unregisterHotKey(1);
    EXPECT_EQ(KeyboardLayout::fromServer(), nullptr);

    // A center that comes later takes the hot keys when they are next taken back.
    FakeHotKeyCenter center;
    CarbonGlobalShortcuts::setHotKeyCenter(&center);
    CarbonGlobalShortcuts::setHotKeyCenter(&center);
    onKeyUp(name, [&calls] { ++calls; });
    EXPECT_EQ(center.registrationCount(), 0);
    setEnabled(false);
    setEnabled(true);
    const quint32 nKeyCode = 57;
    const quint32 controlAlt = 0x0C;
    ASSERT_TRUE(center.press(nKeyCode, controlAlt) && center.release(nKeyCode, controlAlt));
    EXPECT_EQ(calls, 2);
}

} // namespace
