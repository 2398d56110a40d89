#include "app/notes/DeleteAfter.h"
#include "app/notes/Hue.h"
#include "app/notes/Note.h"

#include <gtest/gtest.h>

namespace {

TEST(HueTest, RawValuesDisplayNamesAndOrder)
{
    const QStringList expected{QStringLiteral("white"),    QStringLiteral("sand"),
                               QStringLiteral("mint"),     QStringLiteral("sky"),
                               QStringLiteral("lavender"), QStringLiteral("pink"),
                               QStringLiteral("teal"),     QStringLiteral("coral")};
    ASSERT_EQ(Hues::allCases.size(), std::size_t(expected.size()));
    for (std::size_t index = 0; index < Hues::allCases.size(); ++index) {
        EXPECT_EQ(Hues::rawValue(Hues::allCases[index]), expected[qsizetype(index)]);
        EXPECT_EQ(Hues::fromRawValue(expected[qsizetype(index)]), Hues::allCases[index]);
    }
    EXPECT_EQ(Hues::displayName(Hue::lavender), QStringLiteral("Lavender"));
    EXPECT_EQ(Hues::fromRawValue(u"Lavender"), std::nullopt);
    EXPECT_EQ(Hues::fromRawValue(u""), std::nullopt);
}

TEST(NewNoteColorTest, StoredFormAndEquality)
{
    EXPECT_EQ(NewNoteColor::fromRawValue(u"teal"), NewNoteColor::fixed(Hue::teal));
    EXPECT_EQ(NewNoteColor::fromRawValue(u"Teal"), NewNoteColor::rotate());
    EXPECT_EQ(NewNoteColor::fromRawValue(u"blue"), NewNoteColor::rotate());
    EXPECT_EQ(NewNoteColor::fromRawValue(u"rotate"), NewNoteColor::rotate());
    EXPECT_NE(NewNoteColor::fixed(Hue::sky), NewNoteColor::rotate());
    EXPECT_NE(NewNoteColor::fixed(Hue::sky), NewNoteColor::fixed(Hue::mint));
    EXPECT_EQ(NewNoteColor::fixed(Hue::coral).rawValue(), QStringLiteral("coral"));
    EXPECT_EQ(NewNoteColor::rotate().rawValue(), QStringLiteral("rotate"));
}

TEST(DeleteAfterTest, RawValuesAndIntervals)
{
    using namespace std::chrono_literals;
    const std::vector<std::tuple<DeleteAfter, const char*, std::optional<std::chrono::seconds>>>
        table{{DeleteAfter::never, "never", std::nullopt},
              {DeleteAfter::hour, "1h", 3600s},
              {DeleteAfter::day, "1d", 86400s},
              {DeleteAfter::week, "1w", 604800s},
              {DeleteAfter::month, "30d", 2592000s}};
    for (const auto& [period, raw, interval] : table) {
        EXPECT_EQ(DeleteAfterPeriods::rawValue(period), QLatin1String(raw));
        EXPECT_EQ(DeleteAfterPeriods::fromRawValue(QString::fromLatin1(raw)), period);
        EXPECT_EQ(DeleteAfterPeriods::interval(period), interval);
    }
    EXPECT_EQ(DeleteAfterPeriods::fromRawValue(u"1H"), std::nullopt);
    EXPECT_EQ(DeleteAfterPeriods::fromRawValue(u"month"), std::nullopt);
}

TEST(NormalizedNoteNameTest, JoinsLinesTrimsAndFallsBack)
{
    EXPECT_EQ(normalizedNoteName(QStringLiteral("  two\nwords  ")), QStringLiteral("two words"));
    EXPECT_EQ(normalizedNoteName(QStringLiteral("a\r\nb")), QStringLiteral("a  b"));
    EXPECT_EQ(normalizedNoteName(QStringLiteral("a\u2028b\u0085c")), QStringLiteral("a b c"));
    EXPECT_EQ(normalizedNoteName(QStringLiteral(" \n\t \r ")), QStringLiteral("Quillory"));
    EXPECT_EQ(normalizedNoteName(QString()), QStringLiteral("Quillory"));
    EXPECT_EQ(normalizedNoteName(QStringLiteral("\u00A0name\u00A0")), QStringLiteral("name"));
}

TEST(NormalizedNoteNameTest, CutsAtFortyUserPerceivedCharacters)
{
    const QString fortyFive = QStringLiteral("abcdefghij").repeated(4) + QStringLiteral("klmno");
    EXPECT_EQ(normalizedNoteName(fortyFive), fortyFive.left(40));

    // The fortieth character is a blank: kept, not trimmed after the cut.
    const QString blankAtForty = QStringLiteral("x").repeated(39) + QStringLiteral(" tail");
    EXPECT_EQ(normalizedNoteName(blankAtForty),
              QStringLiteral("x").repeated(39) + QLatin1Char(' '));

    const std::vector<QString> clusters{
        QStringLiteral("\U0001F44D\U0001F3FD"),       // thumbs up, skin tone
        QStringLiteral("e\u0301"),                    // e + combining acute
        QStringLiteral("\U0001F469\u200D\U0001F4BB"), // woman technologist (ZWJ)
        QStringLiteral("\U0001F1E9\U0001F1EA"),       // flag: two regional symbols
    };
    for (const QString& cluster : clusters) {
        const QString name = cluster.repeated(45);
        EXPECT_EQ(normalizedNoteName(name), cluster.repeated(40)) << cluster.toStdString();
    }
}

TEST(NoteTest, EqualOnlyWhenEveryFieldIsEqual)
{
    const QDateTime time = QDateTime::fromSecsSinceEpoch(100, Qt::UTC);
    const Note note{
        QUuid::createUuid(), QStringLiteral("n"), Hue::sky, QStringLiteral("t"), time, time, 3};
    Note other = note;
    EXPECT_EQ(note, other);
    other.order = 4;
    EXPECT_NE(note, other);
    other = note;
    other.editedAt = time.addSecs(1);
    EXPECT_NE(note, other);
}

} // namespace
