#include "app/notes/NoteFileReader.h"
#include "app/notes/NoteFileWriter.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

QDateTime at(qint64 secondsSinceEpoch)
{
    return QDateTime::fromSecsSinceEpoch(secondsSinceEpoch, Qt::UTC);
}

Note sampleNote(const QString& text, qint64 order = 0)
{
    return Note{QUuid::createUuid(), QStringLiteral("Name"), Hue::lavender, text,
                at(1'714'555'800),   at(1'714'555'861),      order};
}

TEST(NoteFileWriterTest, WritesThePrettySortedForm)
{
    Note note = sampleNote(QStringLiteral("line\n\"q\"\\ \t\u0001 \u00E9 \U0001F600"), 7);
    note.id = QUuid::fromString(QStringLiteral("6f1c1f8e-3a5b-4c2d-9e8f-0a1b2c3d4e5f"));
    const NoteFile file{1, {note}, note.id, 3};
    const QByteArray expected =
        "{\n"
        "  \"currentNoteID\" : \"6F1C1F8E-3A5B-4C2D-9E8F-0A1B2C3D4E5F\",\n"
        "  \"notes\" : [\n"
        "    {\n"
        "      \"createdAt\" : \"2024-05-01T09:30:00Z\",\n"
        "      \"editedAt\" : \"2024-05-01T09:31:01Z\",\n"
        "      \"hue\" : \"lavender\",\n"
        "      \"id\" : \"6F1C1F8E-3A5B-4C2D-9E8F-0A1B2C3D4E5F\",\n"
        "      \"name\" : \"Name\",\n"
        "      \"order\" : 7,\n"
        "      \"text\" : \"line\\n\\\"q\\\"\\\\ \\t\\u0001 \xC3\xA9 \xF0\x9F\x98\x80\"\n"
        "    }\n"
        "  ],\n"
        "  \"rotateIndex\" : 3,\n"
        "  \"schemaVersion\" : 1\n"
        "}";
    EXPECT_EQ(NoteFileWriter::encode(file), expected);
}

TEST(NoteFileWriterTest, OutputIsJsonThatAnotherParserReadsTheSame)
{
    std::vector<Note> notes;
    for (int index = 0; index < 3; ++index)
        notes.push_back(sampleNote(QStringLiteral("text %1\r\n\b\f").arg(index), index));
    const QByteArray bytes = NoteFileWriter::encode({1, notes, notes[1].id, 5});
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError);
    EXPECT_EQ(
        document.object().value(QStringLiteral("notes"))[2][QStringLiteral("text")].toString(),
        notes[2].text);
}

TEST(NoteFileWriterTest, DatesHaveWholeSecondsInUtc)
{
    EXPECT_EQ(
        NoteFileWriter::encodeDate(QDateTime::fromMSecsSinceEpoch(1'714'555'800'999, Qt::UTC)),
        "2024-05-01T09:30:00Z");
    EXPECT_EQ(NoteFileWriter::encodeDate(at(0)), "1970-01-01T00:00:00Z");
    EXPECT_EQ(NoteFileWriter::encodeDate(QDateTime::fromMSecsSinceEpoch(-1, Qt::UTC)),
              "1969-12-31T23:59:59Z");
    EXPECT_EQ(NoteFileWriter::encodeDate(at(951'782'400)), "2000-02-29T00:00:00Z");
}

TEST(NoteFileReaderTest, RoundTripsWhatTheWriterWrites)
{
    std::vector<Note> notes;
    const QStringList texts{QString(), QStringLiteral("\"\\/\u2028"),
                            QStringLiteral("\U0001F469\u200D\U0001F4BB"),
                            QStringLiteral("x").repeated(5000)};
    for (const QString& text : texts)
        notes.push_back(sampleNote(text, notes.size()));
    const NoteFile file{1, notes, notes[2].id, 6};
    const auto result = NoteFileReader::decode(NoteFileWriter::encode(file));
    ASSERT_TRUE(result.file) << result.error.toStdString();
    EXPECT_EQ(*result.file, file);
}

TEST(NoteFileReaderTest, AcceptsAnyOrderSpacingEscapesAndExtraKeys)
{
    const QByteArray bytes = R"(  {"rotateIndex":2,"extra":{"deep":[1,2.5e3,null,true,false,"s"]},
        "notes":[{"text":"a\u00e9\ud83d\ude00\/","order":-3,"id":"6f1c1f8e-3a5b-4c2d-9e8f-0a1b2c3d4e5f",
        "name":"n","hue":"teal","createdAt":"2024-05-01T09:30:00.250Z",
        "editedAt":"2024-05-01T11:30:00+02:00","color":"ignored"}],
        "schemaVersion":7}  )";
    const auto result = NoteFileReader::decode(bytes);
    ASSERT_TRUE(result.file) << result.error.toStdString();
    const NoteFile& file = *result.file;
    EXPECT_EQ(file.schemaVersion, 7);
    EXPECT_EQ(file.rotateIndex, 2);
    EXPECT_FALSE(file.currentNoteID.has_value());
    ASSERT_EQ(file.notes.size(), 1u);
    EXPECT_EQ(file.notes[0].text, QStringLiteral("a\u00E9\U0001F600/"));
    EXPECT_EQ(file.notes[0].order, -3);
    EXPECT_EQ(file.notes[0].hue, Hue::teal);
    EXPECT_EQ(file.notes[0].createdAt.toMSecsSinceEpoch(), 1'714'555'800'250);
    EXPECT_EQ(file.notes[0].editedAt, at(1'714'555'800));
}

TEST(NoteFileReaderTest, DecodeDateAcceptsBothInternetFormsOnly)
{
    const std::vector<std::pair<const char*, std::optional<qint64>>> table{
        {"2024-05-01T09:30:00Z", 1'714'555'800'000},
        {"2024-05-01T09:30:00.5Z", 1'714'555'800'500},
        {"2024-05-01T09:30:00.123456Z", 1'714'555'800'123},
        {"2024-05-01T10:30:00+01:00", 1'714'555'800'000},
        {"2024-05-01T04:00:00-05:30", 1'714'555'800'000},
        {"2024-02-29T00:00:00Z", 1'709'164'800'000},
        {"2023-02-29T00:00:00Z", std::nullopt},
        {"2024-05-01T09:30:00", std::nullopt},
        {"2024-05-01 09:30:00Z", std::nullopt},
        {"2024-05-01T09:30Z", std::nullopt},
        {"2024-05-01T09:30:00.Z", std::nullopt},
        {"2024-13-01T09:30:00Z", std::nullopt},
        {"2024-05-01T24:00:00Z", std::nullopt},
        {"2024-05-01T09:30:00Zjunk", std::nullopt},
        {"1714555800", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, msecs] : table) {
        const auto date = NoteFileReader::decodeDate(QString::fromLatin1(text));
        ASSERT_EQ(date.has_value(), msecs.has_value()) << text;
        if (date) {
            EXPECT_EQ(date->toMSecsSinceEpoch(), *msecs) << text;
        }
    }
    EXPECT_EQ(NoteFileReader::unrecognisedDateError(u"May 1"),
              QStringLiteral("Unrecognised date May 1"));
}

TEST(NoteFileReaderTest, EveryDateItReadsIsWrittenBackReadableAsTheSameTime)
{
    for (const char* text :
         {"9999-12-31T23:59:59-05:00", "9999-12-31T23:59:30-23:59", "0000-01-01T00:00:00+05:00",
          "0000-01-01T00:00:30+23:59", "2000-02-29T23:59:59-01:00", "2000-02-29T00:00:00+01:00"}) {
        const auto date = NoteFileReader::decodeDate(QString::fromLatin1(text));
        const QString written = QString::fromLatin1(NoteFileWriter::encodeDate(date.value()));
        EXPECT_EQ(NoteFileReader::decodeDate(written), date)
            << text << " as " << qPrintable(written);
    }
}

TEST(NoteFileReaderTest, RejectsMalformedDocuments)
{
    const QByteArray note =
        R"({"id":"6F1C1F8E-3A5B-4C2D-9E8F-0A1B2C3D4E5F","name":"n","hue":"sky","text":"t",)"
        R"("createdAt":"2024-05-01T09:30:00Z","editedAt":"2024-05-01T09:30:00Z","order":1})";
    auto document = [&](const QByteArray& notes,
                        const QByteArray& rest = R"("rotateIndex":0,"schemaVersion":1)") {
        return "{\"notes\":[" + notes + "]," + rest + "}";
    };
    QByteArray withNumberDate = note;
    withNumberDate.replace("\"2024-05-01T09:30:00Z\",\"order\"", "1714555800,\"order\"");
    QByteArray withNumberHue = note;
    withNumberHue.replace("\"sky\"", "3");
    QByteArray withTextTwice = note;
    withTextTwice.replace("\"text\":\"t\"", "\"text\":\"t\",\"text\":\"u\"");
    QByteArray withBadId = note;
    withBadId.replace("6F1C1F8E-", "6F1C1F8E");
    QByteArray missingName = note;
    missingName.replace("\"name\":\"n\",", "");
    QByteArray hugeOrder = note;
    hugeOrder.replace("\"order\":1", "\"order\":92233720368547758070");
    QByteArray fractionalOrder = note;
    fractionalOrder.replace("\"order\":1", "\"order\":1.5");
    QByteArray nullText = note;
    nullText.replace("\"text\":\"t\"", "\"text\":null");

    ASSERT_TRUE(NoteFileReader::decode(document(note)).file);
    const std::vector<std::pair<const char*, QByteArray>> corpus{
        {"empty", QByteArray()},
        {"only spaces", QByteArray("   ")},
        {"array", QByteArray("[]")},
        {"truncated", document(note).left(60)},
        {"no schemaVersion", document(note, R"("rotateIndex":0)")},
        {"no rotateIndex", document(note, R"("schemaVersion":1)")},
        {"schemaVersion a string", document(note, R"("rotateIndex":0,"schemaVersion":"1")")},
        {"notes an object", QByteArray(R"({"notes":{},"rotateIndex":0,"schemaVersion":1})")},
        {"date as number", document(withNumberDate)},
        {"hue a number", document(withNumberHue)},
        {"notes twice", document(note, R"("notes":[],"rotateIndex":0,"schemaVersion":1)")},
        {"a note's key twice", document(withTextTwice)},
        {"a key twice as written and escaped",
         document(note, R"("rotateIndex":0,"schemaVersion":1,"rotate\u0049ndex":0)")},
        {"a key twice deep in an unknown member",
         document(note, R"("rotateIndex":0,"schemaVersion":1,"x":[{"a":1,"b":{"c":1,"c":1}}])")},
        {"bad id", document(withBadId)},
        {"missing name", document(missingName)},
        {"huge order", document(hugeOrder)},
        {"fractional order", document(fractionalOrder)},
        {"null text", document(nullText)},
        {"invalid UTF-8", document(note).replace("\"t\"", "\"\xC3\x28\"")},
        {"overlong UTF-8", document(note).replace("\"t\"", "\"\xC0\xAF\"")},
        {"lone surrogate escape", document(note).replace("\"t\"", "\"\\ud800\"")},
        {"raw control character", document(note).replace("\"t\"", "\"\x01\"")},
        {"trailing garbage", document(note) + "x"},
        {"trailing comma", document(note + ",")},
        {"deeply nested", "{\"x\":" + QByteArray(100000, '[') + QByteArray(100000, ']') + "}"},
        {"bad literal", document(note, R"("rotateIndex":0,"schemaVersion":1,"x":tru)")},
        {"leading zero", document(note, R"("rotateIndex":01,"schemaVersion":1)")},
    };
    for (const auto& [label, bytes] : corpus) {
        const auto result = NoteFileReader::decode(bytes);
        EXPECT_FALSE(result.file.has_value()) << label;
        EXPECT_FALSE(result.error.isEmpty()) << label;
    }
}

// A colour a later version may add costs the note its colour, not the document its notes.
TEST(NoteFileReaderTest, AnUnknownHueIsReadAsTheDefaultForItsNoteAlone)
{
    std::vector<Note> notes;
    for (const QString& text : {QStringLiteral("gold"), QStringLiteral("sky"),
                                QStringLiteral("Sky"), QStringLiteral("gold again")})
        notes.push_back(sampleNote(text, qint64(notes.size())));
    QByteArray bytes = NoteFileWriter::encode({1, notes, notes[0].id, 2});
    for (const char* hue : {"gold", "sky", "Sky", "gold"})
        bytes.replace(bytes.indexOf("lavender"), 8, hue);

    const auto result = NoteFileReader::decode(bytes);
    ASSERT_TRUE(result.file) << result.error.toStdString();
    EXPECT_EQ(result.unknownHues, (QStringList{QStringLiteral("gold"), QStringLiteral("Sky")}));
    std::vector<Note> expected = notes;
    for (Note& note : expected)
        note.hue = note.text == QStringLiteral("sky") ? Hue::sky : Hues::defaultHue;
    EXPECT_EQ(*result.file, (NoteFile{1, expected, notes[0].id, 2}));
    EXPECT_TRUE(NoteFileReader::decode(NoteFileWriter::encode(*result.file)).unknownHues.isEmpty());
}

TEST(NoteFileReaderTest, ReportsTheUnreadableDateAsFound)
{
    QByteArray bytes =
        NoteFileWriter::encode({1, {sampleNote(QStringLiteral("t"))}, std::nullopt, 0});
    bytes.replace("2024-05-01T09:30:00Z", "May 1st");
    EXPECT_EQ(NoteFileReader::decode(bytes).error, QStringLiteral("Unrecognised date May 1st"));
}

} // namespace
