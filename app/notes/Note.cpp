#include "Note.h"

#include <QTextBoundaryFinder>

namespace {

constexpr qsizetype maximumNameLength = 40;

bool isNewline(QChar character)
{
    const char16_t code = character.unicode();
    return (code >= 0x000A && code <= 0x000D) || code == 0x0085 || code == 0x2028 || code == 0x2029;
}

// The code-unit length of the first `count` user-perceived characters of `text`.
qsizetype prefixLength(const QString& text, qsizetype count)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype position = 0;
    for (qsizetype taken = 0; taken < count; ++taken) {
        position = finder.toNextBoundary();
        if (position < 0)
            return text.size();
    }
    return position;
}

} // namespace

QString normalizedNoteName(const QString& raw)
{
    QString oneLine = raw;
    for (QChar& character : oneLine) {
        if (isNewline(character))
            character = QLatin1Char(' ');
    }
    const QString trimmed = oneLine.trimmed();
    if (trimmed.isEmpty())
        return QStringLiteral("Quillory");
    return trimmed.left(prefixLength(trimmed, maximumNameLength));
}
