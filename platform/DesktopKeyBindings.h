#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// The key combinations that the desktop keeps for itself, as its settings name them. Only
// GNOME's can be read (through its `gsettings` tool); elsewhere there are none.
namespace DesktopKeyBindings {

struct KeyBinding
{
    QString keysymName; // "Tab", "t", "XF86Calculator"
    quint32 x11Modifiers;

    friend bool operator==(const KeyBinding&, const KeyBinding&) = default;
};

// "<Primary><Alt>t" and the like; none for an empty or unreadable accelerator and for
// modifiers a shortcut cannot hold (Hyper, Meta).
std::optional<KeyBinding> parseAccelerator(QStringView accelerator);

// Every binding of GNOME's window manager, shell and media keys, in the order the settings
// list them; empty on other desktops and where the tool or the settings are missing.
QList<KeyBinding> read();

} // namespace DesktopKeyBindings
