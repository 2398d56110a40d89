#pragma once

#include <QString>

#include <optional>

// The clipboard's plain text; nothing when it holds no text or only an empty one.
std::optional<QString> pasteboardString();

// Pasted text tidied: one line feed per line break, straight quotes, plain spaces, and no
// blanks or tabs at the end of any line.
QString normalizedPastedText(const QString& text);
