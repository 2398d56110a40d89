#pragma once

#include "app/views/theme/ThemeColor.h"

#include <QPalette>
#include <QString>

// The one source of colour for everything drawn inside the panel. Hue colours are looked up
// by the hue's position (white 0 ... coral 7).
namespace Theme {

inline constexpr int hueCount = 8;

// A new colour on every call, made from the hue tables.
ThemeColor hueBackground(int huePosition);
// One value for both appearances.
QString hueAccentHex(int huePosition);
QColor hueAccent(int huePosition);

// `dark` under the dark appearance, else `light`: for colours set on widgets directly.
QColor resolve(Appearance::ColorScheme scheme, const QColor& dark, const QColor& light);

// Made once, on first use.
const ThemeColor& textPrimary();
const ThemeColor& textSecondary();
const ThemeColor& textTertiary();
const ThemeColor& settingsBackground();
const ThemeColor& card();
const ThemeColor& popupBackground(); // the very object of card()
const ThemeColor& hairline();
const ThemeColor& border();
const ThemeColor& rowHighlight();
const ThemeColor& switchOn();
const ThemeColor& switchOff();
const ThemeColor& accent();
const ThemeColor& success();
const ThemeColor& toastBackground();
const ThemeColor& toastAction();
const ThemeColor& destructive();
// Behind the words that say the notes cannot be saved: the destructive colour, faint.
const ThemeColor& warningBackground();
const ThemeColor& whiteHueRing(); // the same value in both appearances
const ThemeColor& selectionRing();
// Shadows stay black in the dark appearance and only grow denser.
const ThemeColor& shadowSoft();
const ThemeColor& shadowTight();

// The colours of windows of ours outside the panel (its alerts), for the toolkit's own widgets.
QPalette palette(Appearance::ColorScheme scheme);

} // namespace Theme
