#pragma once

#include "GlobalShortcuts/CarbonGlobalShortcuts.h"
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "platform/x11/KeyboardLayout.h"
#include "support/FakeHotKeyCenter.h"
#include "support/ShortcutModule.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QList>
#include <QStandardPaths>

#include <gmock/gmock.h>

#include <optional>
#include <utility>

// The environment variables a case changes, each put back as it was when the case ends.
class CaseEnvironment
{
public:
    CaseEnvironment() = default;
    CaseEnvironment(const CaseEnvironment&) = delete;
    CaseEnvironment& operator=(const CaseEnvironment&) = delete;
    ~CaseEnvironment()
    {
        for (auto earlier = m_earlier.crbegin(); earlier != m_earlier.crend(); ++earlier) {
            if (earlier->second)
                qputenv(earlier->first.constData(), *earlier->second);
            else
                qunsetenv(earlier->first.constData());
        }
    }

    void set(const char* name, const QByteArray& value)
    {
        keep(name);
        qputenv(name, value);
    }
    void unset(const char* name)
    {
        keep(name);
        qunsetenv(name);
    }

private:
    void keep(const char* name)
    {
        m_earlier.append(
            {name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
    }

    QList<std::pair<QByteArray, std::optional<QByteArray>>> m_earlier;
};

// GNOME's key bindings as its settings tool reads them, from a file of the test's own:
// Super+Tab, Ctrl+Alt+T, Shift+Super+Q and F12. False when the tool is not installed.
inline bool useGnomeBindings(CaseEnvironment& environment)
{
    if (QStandardPaths::findExecutable(QStringLiteral("gsettings")).isEmpty())
        return false;
    environment.set("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    environment.set("GSETTINGS_BACKEND", "keyfile");
    TestFiles::write(qEnvironmentVariable("XDG_CONFIG_HOME") +
                         QStringLiteral("/glib-2.0/settings/keyfile"),
                     "[org/gnome/desktop/wm/keybindings]\n"
                     "switch-windows=['<Super>Tab', '<Primary><Alt>t']\n"
                     "close=['<Shift><Super>q', 'disabled', 'F12']\n");
    return true;
}

// Each case finds the module empty, as in a process of its own, with a hot-key center to talk
// to and a US keyboard, and leaves it empty.
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

    // Once the case's own objects are gone, and the streams they ended with them.
    ~ShortcutFixture() override
    {
        QCoreApplication::sendPostedEvents();
        forgetEveryShortcut();
        KeyboardLayout::setCurrent(nullptr);
    }

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

    CaseEnvironment environment;
    FakeHotKeyCenter center;
};
