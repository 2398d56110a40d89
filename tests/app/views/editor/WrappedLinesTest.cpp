#include "app/views/editor/WrappedLines.h"

#include <QTextLayout>

#include <gtest/gtest.h>

namespace {

const QString unbroken =
    QStringLiteral("Q2FsbCBBbm5hIGFib3V0IHRoZSB3ZWVrZW5kIHRyaXAu").repeated(60);
const QString prose =
    QStringLiteral("Call Anna about the weekend trip, bring the map. ").repeated(40);

QFont textFont()
{
    QFont font;
    font.setPixelSize(14);
    return font;
}

std::vector<int> startsOf(const WrappedLines& lines)
{
    std::vector<int> starts;
    for (int line = 0; line < lines.count(); ++line)
        starts.push_back(lines.start(line));
    return starts;
}

// The toolkit's own layout of each whole paragraph at once.
std::vector<int> toolkitStarts(const QString& text, qreal width)
{
    std::vector<int> starts;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    int paragraph = 0;
    for (const QString& part : text.split(u'\n')) {
        QTextLayout layout(part, textFont());
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            starts.push_back(paragraph + line.textStart());
        }
        layout.endLayout();
        paragraph += int(part.size()) + 1;
    }
    return starts;
}

TEST(WrappedLinesTest, BreaksWhereTheToolkitBreaksWholeParagraphsAndEveryLineFits)
{
    const QString texts[] = {
        unbroken,
        prose,
        QStringLiteral("Paste this: ") + unbroken + QStringLiteral(" and tell Anna ") + prose,
        QStringLiteral("a\n\nb c\n") + prose + QStringLiteral("\n"),
        QStringLiteral("0123456789").repeated(200),
        QString(),
    };
    for (const QString& text : texts) {
        for (qreal width : {248.0, 37.0, 700.0}) {
            SCOPED_TRACE(testing::Message() << text.left(20).toStdString() << " at " << width);
            WrappedLines lines(text);
            lines.layout(textFont(), width);
            EXPECT_EQ(startsOf(lines), toolkitStarts(text, width));
            // Spaces at the end of a line may run past the edge; nothing else does.
            for (int line = 0; line < lines.count(); ++line) {
                int visible = lines.end(line);
                while (visible > lines.start(line) && text[visible - 1].isSpace())
                    --visible;
                const auto shaped = lines.shape(line);
                EXPECT_LE(shaped->lineAt(0).cursorToX(visible - lines.start(line)), width);
            }
        }
    }
}

TEST(WrappedLinesTest, AfterAnEditTheLinesOnScreenAreRightAtOnceAndAllOnceSettled)
{
    const QString digits = QStringLiteral("0123456789").repeated(1200);
    const QString mixed = prose + QStringLiteral("\n") + unbroken + QStringLiteral("\n\nend");
    const struct
    {
        const char* name;
        QString text;
        int position;
        int removed;
        QString inserted;
    } cases[] = {
        {"a character at the start of a long word", unbroken, 0, 0, QStringLiteral("x")},
        {"a character inside a long word", unbroken, 1000, 0, QStringLiteral("x")},
        {"a line break inside a long word", unbroken, 1000, 0, QStringLiteral("\n")},
        {"typing at the end", prose, int(prose.size()), 0, QStringLiteral("y")},
        {"a long word shortened to fit the line before",
         QStringLiteral("Call ") + unbroken.left(500) + QStringLiteral(" soon"), 8, 497, QString()},
        {"two paragraphs joined", mixed, int(prose.size()) - 3, 5, QString()},
        {"a long word pasted among words", mixed, 30, 2, unbroken},
        {"everything removed", mixed, 0, int(mixed.size()), QString()},
        // Every line after the edit moves: the rest is settled in later steps.
        {"equal letters shifted by one", digits, 0, 0, QStringLiteral("1")},
    };
    for (const auto& edit : cases) {
        SCOPED_TRACE(edit.name);
        QString text = edit.text;
        WrappedLines lines(text);
        lines.layout(textFont(), 248);
        text.replace(edit.position, edit.removed, edit.inserted);
        lines.update(edit.position, edit.removed, int(edit.inserted.size()));

        WrappedLines fresh(text);
        fresh.layout(textFont(), 248);
        const std::vector<int> expected = startsOf(fresh);
        const std::vector<int> updated = startsOf(lines);
        const auto onScreen = std::min<std::size_t>(expected.size(), 200);
        ASSERT_GE(updated.size(), onScreen);
        EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + onScreen, updated.begin()));
        while (!lines.isSettled())
            lines.settle();
        EXPECT_EQ(startsOf(lines), expected);
    }
}

TEST(WrappedLinesTest, AtANewWidthTheLinesAroundThePlaceShownAreRightAtOnceAndAllOnceSettled)
{
    const QString shortLines =
        QStringLiteral("Call Anna about the weekend trip, bring the map.\n").repeated(300);
    const QString longParagraph = prose.repeated(10); // longer than is broken from its start
    constexpr int reach = 12;
    const struct
    {
        const char* name;
        QString text;
        qreal from;
        qreal to;
        int position;
        // The paragraph shown starts near enough to be broken from its start at once.
        bool exact;
    } cases[] = {
        {"short lines, a drag wider, at the end", shortLines, 248, 250, int(shortLines.size()),
         true},
        {"short lines, much narrower, in the middle", shortLines, 248, 120, 7000, true},
        {"one paragraph, narrower, in the middle", prose, 248, 200, 1000, true},
        {"one long paragraph, wider, deep inside", longParagraph, 248, 300, 15000, false},
        {"one long word, much narrower", unbroken, 248, 37, 1500, false},
        {"at the start, much wider", shortLines, 248, 700, 0, true},
        {"an empty note", QString(), 248, 250, 0, true},
    };
    for (const auto& change : cases) {
        SCOPED_TRACE(change.name);
        const QString& text = change.text;
        WrappedLines lines(text);
        lines.layout(textFont(), change.from);
        lines.setWidth(change.to, change.position, reach);
        WrappedLines fresh(text);
        fresh.layout(textFont(), change.to);

        const int shown = lines.lineAt(change.position);
        for (int line = std::max(0, shown - reach); line < std::min(lines.count(), shown + reach);
             ++line) {
            int visible = lines.end(line);
            while (visible > lines.start(line) && text[visible - 1].isSpace())
                --visible;
            EXPECT_LE(lines.shape(line)->lineAt(0).cursorToX(visible - lines.start(line)),
                      change.to);
            if (change.exact) {
                EXPECT_EQ(lines.start(line), fresh.start(fresh.lineAt(lines.start(line))));
                EXPECT_EQ(lines.end(line), fresh.end(fresh.lineAt(lines.start(line))));
            }
        }
        while (!lines.isSettled())
            lines.settle();
        EXPECT_EQ(startsOf(lines), startsOf(fresh));
    }
}

TEST(WrappedLinesTest, EditsWhileANewWidthSettlesEndAsIfTheTextHadBeenLaidOutAfresh)
{
    const QString shortLines =
        QStringLiteral("Call Anna about the weekend trip, bring the map.\n").repeated(600);
    const struct
    {
        const char* name;
        int steps; // of settling before the edit
        int position;
        int removed;
        QString inserted;
    } cases[] = {
        {"typing where the lines are settled", 1, 300, 0, QStringLiteral("x")},
        {"typing where they are not yet", 1, 25000, 0, QStringLiteral("x")},
        {"a deletion across where they stop being settled", 1, 9000, 8000, QString()},
        {"a deletion well before where they stop being settled", 3, 1000, 5000, QString()},
        {"a paste before any step", 0, 12, 0, prose},
        {"everything removed", 2, 0, int(shortLines.size()), QString()},
    };
    for (const auto& edit : cases) {
        SCOPED_TRACE(edit.name);
        QString text = shortLines;
        WrappedLines lines(text);
        lines.layout(textFont(), 248);
        lines.setWidth(180, int(text.size()), 20);
        for (int step = 0; step < edit.steps; ++step)
            lines.settle();
        text.replace(edit.position, edit.removed, edit.inserted);
        lines.update(edit.position, edit.removed, int(edit.inserted.size()));
        while (!lines.isSettled())
            lines.settle();
        WrappedLines fresh(text);
        fresh.layout(textFont(), 180);
        EXPECT_EQ(startsOf(lines), startsOf(fresh));
    }
}

} // namespace
