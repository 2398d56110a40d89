#pragma once

#include <QtGlobal>
#include <qnamespace.h>

namespace GlobalShortcuts {

// Modifier flags as key events carry them.
using ModifierFlags = quint64;

namespace ModifierFlag {
constexpr ModifierFlags capsLock = 0x10000;
constexpr ModifierFlags shift = 0x20000;
constexpr ModifierFlags control = 0x40000;
constexpr ModifierFlags option = 0x80000;
constexpr ModifierFlags command = 0x100000;
constexpr ModifierFlags numericPad = 0x200000;
constexpr ModifierFlags help = 0x400000;
constexpr ModifierFlags function = 0x800000;
} // namespace ModifierFlag

// Modifier bits as shortcuts are stored.
namespace CarbonModifier {
constexpr int command = 0x100;
constexpr int shift = 0x200;
constexpr int alphaLock = 0x400;
constexpr int option = 0x800;
constexpr int control = 0x1000;
constexpr int function = 0x20000;
} // namespace CarbonModifier

// The stored bits of the modifiers present in `flags`; lock and device flags are dropped.
int carbonModifiers(ModifierFlags flags);
// The flags of the five stored modifier bits present in `carbon`; other bits are dropped.
ModifierFlags modifierFlags(int carbon);
// Only command, shift, option, control and function kept.
int normalizedCarbonModifiers(int carbon);

// The toolkit's modifiers: Command is Ctrl, Option is Alt, Control is Meta (the Super key).
// Function has no counterpart and is dropped; the keypad flag is not a modifier here.
ModifierFlags modifierFlags(Qt::KeyboardModifiers modifiers);
Qt::KeyboardModifiers qtModifiers(ModifierFlags flags);

} // namespace GlobalShortcuts
