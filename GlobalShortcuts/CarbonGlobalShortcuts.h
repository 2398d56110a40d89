#pragma once

#include "GlobalShortcuts/Shortcut.h"

#include <QList>

#include <functional>

class HotKeyCenter;

// The layer between the module and the system's hot keys. While the module is on, no menu of
// the application is open and no recorder records, every shortcut handed to it is held
// system-wide; while a menu is open the same combinations are caught from the application's
// own key events; while the module is off or a recorder records nothing is held or caught.
// Main thread only.
namespace CarbonGlobalShortcuts {

using GlobalShortcuts::Shortcut;
using ShortcutAction = std::function<void(const Shortcut&)>;

// Hands a shortcut over under a new identifier. A refusal of the system is printed and logged;
// the hot key is kept and tried again whenever the hot keys are taken back. While the module is
// off or a menu is open it is kept and taken later.
void registerShortcut(const Shortcut& shortcut, ShortcutAction onKeyDown, ShortcutAction onKeyUp);
// Gives up every hot key of this shortcut.
void unregisterShortcut(const Shortcut& shortcut);
// Chooses between holding the hot keys, catching them from menu key events, and nothing.
void updateEventHandler();
// The combinations the desktop keeps for itself, where they can be read (GNOME's key
// bindings), with keys of the current keyboard layout; empty elsewhere.
QList<Shortcut> systemShortcuts();

// The system's hot keys; by default the desktop's own, made on first use and owned by the
// application object. Tests set theirs before the first registration.
HotKeyCenter* hotKeyCenter();
void setHotKeyCenter(HotKeyCenter* center);

// Exposed for the menu path and its tests: delivers a key event of an open menu; returns
// whether it was one of ours.
bool handleRawKeyEvent(const Shortcut& shortcut, bool isKeyUp);
// The identifiers of the hot keys kept, in order, and whether each is held by the system now.
struct HotKeyState
{
    quint32 id;
    Shortcut shortcut;
    bool isRegistered;
    bool isRefused;
};
QList<HotKeyState> hotKeys();

} // namespace CarbonGlobalShortcuts
