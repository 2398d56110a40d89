#include "Note.h"

#include <QTextBoundaryFinder>

namespace {

bool isNewline(QChar character)
{
    const char16_t code = character.unicode();
    return (code >= 0x000A && code <= 0x000D) || code == 0x0085 || code == 0x2028 || code == 0x2029;
}

} // namespace

QString firstCharacters(const QString& text, qsizetype count)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype position = 0;
    for (qsizetype taken = 0; taken < count; ++taken) {
        position = finder.toNextBoundary();
        if (position < 0)
            return text;
    }
    return text.left(position);
}

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
    return firstCharacters(trimmed, maximumNameLength);
}
