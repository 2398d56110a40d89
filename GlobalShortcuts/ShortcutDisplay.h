#pragma once

#include "GlobalShortcuts/Shortcut.h"

#include <QKeySequence>
#include <QString>

#include <optional>

class QAction;
class QMenu;

namespace GlobalShortcuts {

enum class SymbolSet {
    // The original desktop's modifier symbols and key symbols: "⌥⌘N".
    original,
    // This desktop's words, as the toolkit writes key sequences: "Ctrl+Alt+N".
    desktop,
};

// The text by which a person reads a shortcut here ("Ctrl+Alt+N", "Ctrl+Backspace"). Every
// tooltip, menu and recorder shows shortcuts through these two functions.
QString displayString(const Shortcut& shortcut);
QString displayString(const QKeySequence& sequence);

// The modifier part followed by the key: a special key's symbol or name, else the character
// the key types in the current keyboard layout, capitalised, else "�".
QString description(const Shortcut& shortcut, SymbolSet symbols);
// "⌃⌥⇧⌘🌐︎", each present modifier once, always in this order.
QString presentableDescription(ModifierFlags flags);

// The character the shortcut's key types with no modifier in the current keyboard layout;
// none for special keys, keys without a character and keys the layout lacks.
std::optional<QString> keyToCharacter(const Shortcut& shortcut);
// The key as a menu item's key equivalent (modifiers not included); none when it has none.
std::optional<QString> keyEquivalent(const Shortcut& shortcut);
// The toolkit's form of the shortcut; empty when its key has no form there (no character, or
// the Function modifier).
QKeySequence toKeySequence(const Shortcut& shortcut);
// The first action of the menu tree, an item before its submenu, whose shortcut is this one;
// null when none is. Keypad keys and keys without a character never match.
QAction* menuItemWithMatchingShortcut(const QMenu* menu, const Shortcut& shortcut);

} // namespace GlobalShortcuts
