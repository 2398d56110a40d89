#pragma once

// A shortcut shown as a menu action's own key sequence, which labels the item and triggers it
// while the application is active; the system-wide hot key stays with the named shortcut.

#include "GlobalShortcuts/Name.h"
#include "platform/MainQueue.h"

#include <optional>

class QAction;

namespace GlobalShortcuts {

// Sets the action's key sequence once (none for no shortcut, or for a key with no menu key
// equivalent, such as a keypad key). A name the action follows overwrites it at its next change.
void setShortcut(QAction& action, const std::optional<Shortcut>& shortcut);
// The action shows the name's stored shortcut and follows its changes, which reach it on the
// main queue's next turn; a second name replaces the first, and none clears the key sequence and
// stops following. (A bare std::nullopt is ambiguous between the two: say which is meant.)
void setShortcut(QAction& action, const std::optional<Name>& name,
                 MainQueue& mainQueue = MainQueue::system());

} // namespace GlobalShortcuts
