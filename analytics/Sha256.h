#pragma once

#include <QString>

// The SHA-256 of text followed by salt, in UTF-8, as 64 lower-case hexadecimal digits. Text
// that is not valid UTF-16 (a lone surrogate) has no UTF-8 form and gives the empty string.
QString sha256Hex(const QString& text, const QString& salt = {});
