#include "Pasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace Pasteboard {

std::optional<QString> plainText()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (!data || !data->hasText())
        return std::nullopt;
    return data->text();
}

void setPlainText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
}

} // namespace Pasteboard
