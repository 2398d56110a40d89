#pragma once

#include <QColor>
#include <QStringView>

// "#RRGGBB" texts into opaque sRGB colours. Only the low 24 bits of the number count, so the
// colour is always opaque; a text without hexadecimal digits gives black. After the number
// sign, blanks may precede the digits and "0x" may start them; reading stops at the first
// character that is not a hexadecimal digit.
namespace HexColor {

// Removes one leading "#"; blanks before it are not removed, so " #FFF" is black.
QColor parse(QStringView text);
// Trims blanks and line breaks from both ends first, so " #FFF\n" is the same as "#FFF".
QColor parseTrimmed(QStringView text);

} // namespace HexColor
