#pragma once

#include <QtGlobal>

#include <optional>

namespace GlobalShortcuts {

// The X11 key code of the key with this stored key code; none for keys that X11 cannot name.
std::optional<quint32> x11KeyCode(int carbonKeyCode);
// The stored key code of the key with this X11 key code; none for keys no shortcut uses.
std::optional<int> carbonKeyCode(quint32 x11KeyCode);
// The X11 modifier mask of stored modifier bits (only the five modifiers, normalised); none
// when they include Function, which X11 has no modifier for.
std::optional<quint32> x11Modifiers(int carbonModifiers);
// The stored modifier bits of an X11 modifier mask; other X11 modifiers are dropped.
int carbonModifiers(quint32 x11Modifiers);

} // namespace GlobalShortcuts
