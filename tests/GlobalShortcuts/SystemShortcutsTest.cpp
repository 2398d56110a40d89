#include "ShortcutFixture.h"

#include "GlobalShortcuts/CarbonGlobalShortcuts.h"
#include "platform/DesktopKeyBindings.h"
#include "platform/x11/KeyboardLayout.h"

#include <gmock/gmock.h>

using namespace GlobalShortcuts;
using DesktopKeyBindings::KeyBinding;

namespace {

TEST(DesktopKeyBindings, AcceleratorsAsTheDesktopWritesThem)
{
    struct Case
    {
        const char* accelerator;
        std::optional<KeyBinding> binding;
    };
    const Case cases[] = {
        {"<Super>Tab", KeyBinding{QStringLiteral("Tab"), 0x40}},
        {"<Primary><Alt>t", KeyBinding{QStringLiteral("t"), 0x0C}},
        {"<Shift><Control>Page_Up", KeyBinding{QStringLiteral("Page_Up"), 0x05}},
        {"<ctrl><MOD1>F4", KeyBinding{QStringLiteral("F4"), 0x0C}},
        {"XF86Calculator", KeyBinding{QStringLiteral("XF86Calculator"), 0}},
        {"", std::nullopt},
        {"disabled", std::nullopt},
        {"<Hyper>a", std::nullopt},
        {"<Super", std::nullopt},
        {"<Alt>", std::nullopt},
        {"/org/gnome/settings-daemon/custom0/", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DesktopKeyBindings::parseAccelerator(QString::fromUtf8(c.accelerator)), c.binding)
            << c.accelerator;
    }
}

// GNOME's settings as the desktop's settings tool reads them, from a file of this test's own.
class GnomeSettings : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!useGnomeBindings(environment))
            GTEST_SKIP() << "the gsettings tool is not installed";
        KeyboardLayout::setCurrent(KeyboardLayout::fromNames(QStringLiteral("us")));
    }
    void TearDown() override { KeyboardLayout::setCurrent(nullptr); }

    CaseEnvironment environment;
};

TEST_F(GnomeSettings, SystemShortcutsAreTheBindingsOnTheCurrentKeyboardOnGnomeOnly)
{
    EXPECT_THAT(DesktopKeyBindings::read(),
                testing::IsSupersetOf({KeyBinding{QStringLiteral("Tab"), 0x40},
                                       KeyBinding{QStringLiteral("t"), 0x0C},
                                       KeyBinding{QStringLiteral("q"), 0x41}}));
    const QList<Shortcut> shortcuts = CarbonGlobalShortcuts::systemShortcuts();
    EXPECT_THAT(shortcuts, testing::IsSupersetOf(
                               {Shortcut(Key::tab, ModifierFlag::control),
                                Shortcut(Key::t, ModifierFlag::command | ModifierFlag::option),
                                Shortcut(Key::q, ModifierFlag::control | ModifierFlag::shift)}));
    EXPECT_THAT(shortcuts, testing::Not(testing::Contains(
                               Shortcut(Key::n, ModifierFlag::command | ModifierFlag::option))));

    environment.set("XDG_CURRENT_DESKTOP", "KDE");
    EXPECT_TRUE(DesktopKeyBindings::read().isEmpty());
    EXPECT_TRUE(CarbonGlobalShortcuts::systemShortcuts().isEmpty());
}

TEST(KeyboardLayout, KeysAreFoundByTheirKeysymNames)
{
    const auto layout = KeyboardLayout::fromNames(QStringLiteral("us"));
    ASSERT_TRUE(layout);
    // X11 key codes of the US keyboard: T 28, Tab 23, Page Up 112.
    EXPECT_EQ(layout->keyCode(QStringLiteral("t")), 28u);
    EXPECT_EQ(layout->keyCode(QStringLiteral("T")), 28u);
    EXPECT_EQ(layout->keyCode(QStringLiteral("Page_Up")), 112u);
    EXPECT_EQ(layout->keyCode(QStringLiteral("Cyrillic_te")), std::nullopt);
    EXPECT_EQ(layout->keyCode(QStringLiteral("no such keysym")), std::nullopt);
}

} // namespace
