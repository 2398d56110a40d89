#pragma once

#include "GlobalShortcuts/CarbonGlobalShortcuts.h"
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "platform/x11/KeyboardLayout.h"
#include "support/FakeHotKeyCenter.h"

#include <gmock/gmock.h>

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
