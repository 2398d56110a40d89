#pragma once

#include <QString>

#include <optional>

namespace GlobalShortcuts {

// A key shown by a fixed symbol or name rather than by the character of the keyboard layout.
struct SpecialKey
{
    int keyCode;
    // The symbol in the original desktop's style; empty for the space bar, whose name is a
    // translated text.
    QString symbol;
    // The key as a menu item's key equivalent; none for the keypad keys.
    std::optional<QString> keyEquivalent;
    // The toolkit's key, which gives the key's name in the desktop's words.
    Qt::Key qtKey;
    bool isKeypad;
};

// The special key with this key code, or null.
const SpecialKey* specialKey(int keyCode);

} // namespace GlobalShortcuts
