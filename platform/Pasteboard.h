#pragma once

#include <QString>

#include <optional>

// The desktop clipboard (never the X11 primary selection).
namespace Pasteboard {

// The clipboard's plain text; nothing when it holds no text.
std::optional<QString> plainText();
void setPlainText(const QString& text);

} // namespace Pasteboard
