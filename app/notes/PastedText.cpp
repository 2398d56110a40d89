#include "PastedText.h"

#include "platform/Pasteboard.h"

#include <QStringList>
#include <QTextBoundaryFinder>

namespace {

bool isTrailingBlank(QChar character)
{
    return character == QLatin1Char(' ') || character == QLatin1Char('\t');
}

// Whether the line's last user-perceived character is a lone blank or tab (a blank that
// carries a combining mark, or follows a prepended mark, is a different character).
bool endsWithBlank(const QString& line, qsizetype end)
{
    if (end == 0 || !isTrailingBlank(line[end - 1]))
        return false;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, line.constData(), end);
    finder.setPosition(end);
    return finder.toPreviousBoundary() == end - 1;
}

} // namespace

std::optional<QString> pasteboardString()
{
    auto text = Pasteboard::plainText();
    if (!text || text->isEmpty())
        return std::nullopt;
    return text;
}

QString normalizedPastedText(const QString& text)
{
    QString tidied = text;
    tidied.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    tidied.replace(QChar(u'\r'), QChar(u'\n'));
    tidied.replace(QChar(u'\u201C'), QChar(u'"'));
    tidied.replace(QChar(u'\u201D'), QChar(u'"'));
    tidied.replace(QChar(u'\u2018'), QChar(u'\''));
    tidied.replace(QChar(u'\u2019'), QChar(u'\''));
    tidied.replace(QChar(u'\u00A0'), QChar(u' '));

    QStringList lines = tidied.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        qsizetype end = line.size();
        while (endsWithBlank(line, end))
            --end;
        line.truncate(end);
    }
    return lines.join(QLatin1Char('\n'));
}
