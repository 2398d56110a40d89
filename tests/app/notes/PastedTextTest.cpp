#include "app/notes/PastedText.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include <gtest/gtest.h>

namespace {

TEST(NormalizedPastedTextTest, TidiesLineEndsQuotesSpacesAndTrailingBlanks)
{
    const std::vector<std::pair<QString, QString>> table{
        {QStringLiteral("a\r\nb\rc"), QStringLiteral("a\nb\nc")},
        {QStringLiteral("\u201Cquoted\u201D and \u2018single\u2019"),
         QStringLiteral("\"quoted\" and 'single'")},
        {QStringLiteral("dash \u2014 ellipsis \u2026 arrow \u2192"),
         QStringLiteral("dash \u2014 ellipsis \u2026 arrow \u2192")},
        {QStringLiteral("   leading kept \t  \nnext\t"), QStringLiteral("   leading kept\nnext")},
        {QStringLiteral("no\u00A0break\u00A0"), QStringLiteral("no break")},
        {QStringLiteral("    "), QString()},
        {QStringLiteral("\n\n"), QStringLiteral("\n\n")},
        {QString(), QString()},
        {QStringLiteral("trailing line feed\n"), QStringLiteral("trailing line feed\n")},
        {QStringLiteral("em\u2003space\u2003"), QStringLiteral("em\u2003space\u2003")},
        {QStringLiteral("form\ffeed\f"), QStringLiteral("form\ffeed\f")},
        // A blank carrying a combining mark is one character, not a trailing blank.
        {QStringLiteral("mark \u0301"), QStringLiteral("mark \u0301")},
        {QStringLiteral("mark \u0301  "), QStringLiteral("mark \u0301")},
        {QStringLiteral("a \r\n b \r"), QStringLiteral("a\n b\n")},
    };
    for (const auto& [input, expected] : table)
        EXPECT_EQ(normalizedPastedText(input), expected) << input.toStdString();
}

TEST(PasteboardStringTest, OnlyNonEmptyPlainText)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("  hello\u201D "));
    EXPECT_EQ(pasteboardString(), QStringLiteral("  hello\u201D ")); // untidied

    clipboard->setText(QString());
    EXPECT_EQ(pasteboardString(), std::nullopt);

    auto* imageOnly = new QMimeData;
    imageOnly->setImageData(QImage(2, 2, QImage::Format_RGB32));
    clipboard->setMimeData(imageOnly);
    EXPECT_EQ(pasteboardString(), std::nullopt);
}

} // namespace
