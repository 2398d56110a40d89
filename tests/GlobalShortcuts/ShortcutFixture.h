#pragma once

#include "GlobalShortcuts/CarbonGlobalShortcuts.h"
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "platform/x11/KeyboardLayout.h"
#include "support/FakeHotKeyCenter.h"
#include "support/TestFiles.h"

#include <QStandardPaths>

#include <gmock/gmock.h>

// GNOME's key bindings as its settings tool reads them, from a file of the test's own:
// Super+Tab, Ctrl+Alt+T, Shift+Super+Q and F12. False when the tool is not installed.
inline bool useGnomeBindings()
{
    if (QStandardPaths::findExecutable(QStringLiteral("gsettings")).isEmpty())
        return false;
    qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    qputenv("GSETTINGS_BACKEND", "keyfile");
    TestFiles::write(qEnvironmentVariable("XDG_CONFIG_HOME") +
                         QStringLiteral("/glib-2.0/settings/keyfile"),
                     "[org/gnome/desktop/wm/keybindings]\n"
                     "switch-windows=['<Super>Tab', '<Primary><Alt>t']\n"
                     "close=['<Shift><Super>q', 'disabled', 'F12']\n");
    return true;
}

// Every case runs in a process of its own, so the module starts empty each time; this gives it
// a hot-key center to talk to and a US keyboard.
class ShortcutFixture : public testing::Test
{
protected:
    // Ctrl+Alt+N as the X server sees it: the N key, Control and Mod1.
    static constexpr quint32 nKeyCode = 57;
    static constexpr quint32 mKeyCode = 58;
    static constexpr quint32 controlAlt = 0x04 | 0x08;

    void SetUp() override
    {
        CarbonGlobalShortcuts::setHotKeyCenter(&center);
        KeyboardLayout::setCurrent(KeyboardLayout::fromNames(QStringLiteral("us")));
    }

    void TearDown() override { KeyboardLayout::setCurrent(nullptr); }

    static GlobalShortcuts::Shortcut optionCommand(GlobalShortcuts::Key key)
    {
        return GlobalShortcuts::Shortcut(key, GlobalShortcuts::ModifierFlag::option |
                                                  GlobalShortcuts::ModifierFlag::command);
    }

    // Press and release as the system reports them.
    bool pressAndRelease(quint32 keyCode = nKeyCode, quint32 modifiers = controlAlt)
    {
        const bool pressed = center.press(keyCode, modifiers);
        return center.release(keyCode, modifiers) && pressed;
    }

    FakeHotKeyCenter center;
};
