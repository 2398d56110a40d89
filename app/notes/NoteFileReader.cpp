#include "NoteFileReader.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace NoteFileReader {

namespace {

// Unknown values nested deeper than this are refused rather than risk the stack.
constexpr int maximumDepth = 512;
constexpr qint64 msecsPerSecond = 1000;
constexpr qint64 msecsPerMinute = 60 * msecsPerSecond;
constexpr qint64 msecsPerHour = 60 * msecsPerMinute;
constexpr qint64 msecsPerDay = 24 * msecsPerHour;

// Proleptic Gregorian date to days since 1970-01-01 (Howard Hinnant's algorithm).
qint64 daysFromCivil(qint64 year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const qint64 era = (year >= 0 ? year : year - 399) / 400;
    const qint64 yearOfEra = year - era * 400;
    const qint64 dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const qint64 dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

int daysInMonth(qint64 year, int month)
{
    static constexpr std::array<int, 12> days{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// Reads exactly `count` decimal digits at `position`.
bool readDigits(QStringView text, qsizetype& position, int count, int& value)
{
    if (position + count > text.size())
        return false;
    value = 0;
    for (int index = 0; index < count; ++index) {
        const char16_t character = text[position + index].unicode();
        if (character < u'0' || character > u'9')
            return false;
        value = value * 10 + (character - u'0');
    }
    position += count;
    return true;
}

bool isHexDigit(QChar character)
{
    const char16_t code = character.unicode();
    return (code >= u'0' && code <= u'9') || (code >= u'a' && code <= u'f') ||
           (code >= u'A' && code <= u'F');
}

bool expect(QStringView text, qsizetype& position, char16_t character)
{
    if (position >= text.size() || text[position].unicode() != character)
        return false;
    ++position;
    return true;
}

class Parser
{
public:
    explicit Parser(QByteArrayView bytes)
        : m_position(bytes.data())
        , m_end(bytes.data() + bytes.size())
    {}

    Result parse()
    {
        NoteFile file;
        skipByteOrderMark();
        if (!parseDocument(file))
            return {
                std::nullopt, m_error.isEmpty() ? QStringLiteral("not valid JSON") : m_error, {}};
        skipWhitespace();
        if (m_position != m_end)
            return {std::nullopt, QStringLiteral("unexpected text after the document"), {}};
        return {std::move(file), QString(), m_unknownHues};
    }

private:
    bool fail(const QString& error)
    {
        if (m_error.isEmpty())
            m_error = error;
        return false;
    }

    void skipByteOrderMark()
    {
        if (m_end - m_position >= 3 && std::equal(m_position, m_position + 3, "\xEF\xBB\xBF"))
            m_position += 3;
    }

    void skipWhitespace()
    {
        while (m_position != m_end && (*m_position == ' ' || *m_position == '\n' ||
                                       *m_position == '\r' || *m_position == '\t'))
            ++m_position;
    }

    bool consume(char expected)
    {
        skipWhitespace();
        if (m_position == m_end || *m_position != expected)
            return false;
        ++m_position;
        return true;
    }

    bool peek(char expected)
    {
        skipWhitespace();
        return m_position != m_end && *m_position == expected;
    }

    // Calls `member(key)` for each member of an object; `member` reads the value. A key that
    // comes twice leaves no telling which value is meant, and a save would drop the other one
    // unseen: that makes the document unreadable.
    template <typename Member> bool parseObject(Member&& member)
    {
        if (!consume('{'))
            return fail(QStringLiteral("expected an object"));
        if (consume('}'))
            return true;
        std::vector<QByteArray> keys;
        do {
            QByteArray key;
            if (!peek('"') || !parseRawString(key) || !consume(':'))
                return false;
            if (!member(key))
                return false;
            keys.push_back(std::move(key));
        } while (consume(','));
        if (!consume('}'))
            return fail(QStringLiteral("expected \"}\""));
        std::sort(keys.begin(), keys.end());
        const auto repeated = std::adjacent_find(keys.begin(), keys.end());
        return repeated == keys.end() || fail(QStringLiteral("\"%1\" appears twice in one object")
                                                  .arg(QString::fromUtf8(*repeated)));
    }

    template <typename Element> bool parseArray(Element&& element)
    {
        if (!consume('['))
            return fail(QStringLiteral("expected an array"));
        if (consume(']'))
            return true;
        do {
            if (!element())
                return false;
        } while (consume(','));
        return consume(']') || fail(QStringLiteral("expected \"]\""));
    }

    bool parseDocument(NoteFile& file)
    {
        bool hasSchemaVersion = false;
        bool hasNotes = false;
        bool hasRotateIndex = false;
        const bool parsed = parseObject([&](const QByteArray& key) {
            if (key == "schemaVersion")
                return hasSchemaVersion = parseInteger(file.schemaVersion);
            if (key == "rotateIndex")
                return hasRotateIndex = parseInteger(file.rotateIndex);
            if (key == "currentNoteID")
                return parseOptionalUuid(file.currentNoteID);
            if (key == "notes") {
                file.notes.clear();
                return hasNotes = parseArray([&] { return parseNote(file.notes); });
            }
            return skipValue(0);
        });
        if (!parsed)
            return false;
        if (!hasSchemaVersion)
            return fail(QStringLiteral("\"schemaVersion\" is missing"));
        if (!hasNotes)
            return fail(QStringLiteral("\"notes\" is missing"));
        if (!hasRotateIndex)
            return fail(QStringLiteral("\"rotateIndex\" is missing"));
        return true;
    }

    bool parseNote(std::vector<Note>& notes)
    {
        enum Field {
            id = 1,
            name = 2,
            hue = 4,
            text = 8,
            createdAt = 16,
            editedAt = 32,
            order = 64
        };
        constexpr int allFields = 127;
        Note note;
        int found = 0;
        const bool parsed = parseObject([&](const QByteArray& key) {
            if (key == "id") {
                found |= id;
                return parseUuid(note.id);
            }
            if (key == "name") {
                found |= name;
                return parseString(note.name);
            }
            if (key == "hue") {
                found |= hue;
                return parseHue(note.hue);
            }
            if (key == "text") {
                found |= text;
                return parseString(note.text);
            }
            if (key == "createdAt") {
                found |= createdAt;
                return parseDate(note.createdAt);
            }
            if (key == "editedAt") {
                found |= editedAt;
                return parseDate(note.editedAt);
            }
            if (key == "order") {
                found |= order;
                return parseInteger(note.order);
            }
            return skipValue(0);
        });
        if (!parsed)
            return false;
        if (found != allFields)
            return fail(QStringLiteral("a note lacks a required key"));
        notes.push_back(std::move(note));
        return true;
    }

    bool parseString(QString& value)
    {
        QByteArray utf8;
        if (!peek('"') || !parseRawString(utf8))
            return fail(QStringLiteral("expected a string"));
        // A U+FEFF that opens a note's text is part of it, not a byte order mark to drop.
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom |
                                                         QStringDecoder::Flag::Stateless);
        value = decoder(utf8);
        return true;
    }

    bool parseHue(Hue& value)
    {
        QString text;
        if (!parseString(text))
            return false;
        const auto hue = Hues::fromRawValue(text);
        value = hue.value_or(Hues::defaultHue);
        if (!hue && !m_unknownHues.contains(text))
            m_unknownHues.append(text);
        return true;
    }

    bool parseDate(QDateTime& value)
    {
        QString text;
        if (!parseString(text))
            return false;
        const auto date = decodeDate(text);
        if (!date)
            return fail(unrecognisedDateError(text));
        value = *date;
        return true;
    }

    bool parseUuid(QUuid& value)
    {
        QString text;
        if (!parseString(text))
            return false;
        // Only the 36-character hyphenated form, in either case.
        static constexpr std::array<qsizetype, 4> hyphens{8, 13, 18, 23};
        bool valid = text.size() == 36;
        for (qsizetype index = 0; valid && index < text.size(); ++index) {
            const bool hyphen = std::find(hyphens.begin(), hyphens.end(), index) != hyphens.end();
            valid = hyphen ? text[index] == QLatin1Char('-') : isHexDigit(text[index]);
        }
        if (!valid)
            return fail(QStringLiteral("\"%1\" is not an id").arg(text));
        value = QUuid::fromString(text);
        return true;
    }

    bool parseOptionalUuid(std::optional<QUuid>& value)
    {
        if (parseLiteral("null")) {
            value.reset();
            return true;
        }
        QUuid id;
        if (!parseUuid(id))
            return false;
        value = id;
        return true;
    }

    // A JSON number that is an integer in the 64-bit range ("1", "-3", also "2.0" or "1e3").
    bool parseInteger(qint64& value)
    {
        skipWhitespace();
        const char* start = m_position;
        bool integral = true;
        if (!scanNumber(integral))
            return fail(QStringLiteral("expected a number"));
        if (integral) {
            const auto [end, error] = std::from_chars(start, m_position, value);
            return (error == std::errc() && end == m_position) ||
                   fail(QStringLiteral("number out of range"));
        }
        const double number = QByteArray(start, m_position - start).toDouble();
        if (std::trunc(number) != number || !(number >= -0x1p63 && number < 0x1p63))
            return fail(QStringLiteral("expected a whole number"));
        value = static_cast<qint64>(number);
        return true;
    }

    // Moves past a number of JSON's grammar; `integral` is false when it has a fraction or
    // an exponent.
    bool scanNumber(bool& integral)
    {
        auto digits = [this] {
            const char* start = m_position;
            while (m_position != m_end && *m_position >= '0' && *m_position <= '9')
                ++m_position;
            return m_position != start;
        };
        if (m_position != m_end && *m_position == '-')
            ++m_position;
        if (m_position != m_end && *m_position == '0')
            ++m_position;
        else if (!digits())
            return false;
        integral = true;
        if (m_position != m_end && *m_position == '.') {
            ++m_position;
            integral = false;
            if (!digits())
                return false;
        }
        if (m_position != m_end && (*m_position == 'e' || *m_position == 'E')) {
            ++m_position;
            integral = false;
            if (m_position != m_end && (*m_position == '+' || *m_position == '-'))
                ++m_position;
            if (!digits())
                return false;
        }
        return true;
    }

    bool parseLiteral(const char* literal)
    {
        skipWhitespace();
        const auto length = static_cast<qsizetype>(std::strlen(literal));
        if (m_end - m_position < length || !std::equal(literal, literal + length, m_position))
            return false;
        m_position += length;
        return true;
    }

    bool skipValue(int depth)
    {
        if (depth > maximumDepth)
            return fail(QStringLiteral("nested too deeply"));
        skipWhitespace();
        if (m_position == m_end)
            return fail(QStringLiteral("unexpected end"));
        switch (*m_position) {
        case '{':
            return parseObject([&](const QByteArray&) { return skipValue(depth + 1); });
        case '[':
            return parseArray([&] { return skipValue(depth + 1); });
        case '"': {
            QByteArray ignored;
            return parseRawString(ignored);
        }
        case 't':
            return parseLiteral("true") || fail(QStringLiteral("invalid literal"));
        case 'f':
            return parseLiteral("false") || fail(QStringLiteral("invalid literal"));
        case 'n':
            return parseLiteral("null") || fail(QStringLiteral("invalid literal"));
        default: {
            bool integral = true;
            return scanNumber(integral) || fail(QStringLiteral("invalid value"));
        }
        }
    }

    // Reads a string at the current position into UTF-8, resolving escapes and checking
    // that the bytes are valid UTF-8.
    bool parseRawString(QByteArray& out)
    {
        ++m_position; // the opening quote
        out.clear();
        const char* runStart = m_position;
        while (m_position != m_end) {
            const auto byte = static_cast<unsigned char>(*m_position);
            if (byte == '"') {
                out.append(runStart, m_position - runStart);
                ++m_position;
                return true;
            }
            if (byte < 0x20)
                return fail(QStringLiteral("control character in a string"));
            if (byte == '\\') {
                out.append(runStart, m_position - runStart);
                ++m_position;
                if (!parseEscape(out))
                    return false;
                runStart = m_position;
                continue;
            }
            if (byte < 0x80) {
                ++m_position;
                continue;
            }
            if (!skipUtf8Sequence())
                return fail(QStringLiteral("invalid UTF-8"));
        }
        return fail(QStringLiteral("unterminated string"));
    }

    bool skipUtf8Sequence()
    {
        const auto lead = static_cast<unsigned char>(*m_position);
        int length = 0;
        char32_t code = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (m_end - m_position < length)
            return false;
        for (int index = 1; index < length; ++index) {
            const auto continuation = static_cast<unsigned char>(m_position[index]);
            if ((continuation & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (continuation & 0x3F);
        }
        static constexpr std::array<char32_t, 5> smallest{0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        m_position += length;
        return true;
    }

    bool parseHex4(char32_t& value)
    {
        if (m_end - m_position < 4)
            return fail(QStringLiteral("invalid escape"));
        value = 0;
        for (int index = 0; index < 4; ++index) {
            const char digit = m_position[index];
            int nibble = 0;
            if (digit >= '0' && digit <= '9')
                nibble = digit - '0';
            else if (digit >= 'a' && digit <= 'f')
                nibble = digit - 'a' + 10;
            else if (digit >= 'A' && digit <= 'F')
                nibble = digit - 'A' + 10;
            else
                return fail(QStringLiteral("invalid escape"));
            value = (value << 4) | char32_t(nibble);
        }
        m_position += 4;
        return true;
    }

    bool parseEscape(QByteArray& out)
    {
        if (m_position == m_end)
            return fail(QStringLiteral("unterminated string"));
        const char kind = *m_position++;
        switch (kind) {
        case '"':
        case '\\':
        case '/':
            out.append(kind);
            return true;
        case 'b':
            out.append('\b');
            return true;
        case 'f':
            out.append('\f');
            return true;
        case 'n':
            out.append('\n');
            return true;
        case 'r':
            out.append('\r');
            return true;
        case 't':
            out.append('\t');
            return true;
        case 'u':
            break;
        default:
            return fail(QStringLiteral("invalid escape"));
        }
        char32_t code = 0;
        if (!parseHex4(code))
            return false;
        if (code >= 0xDC00 && code <= 0xDFFF)
            return fail(QStringLiteral("unpaired surrogate"));
        if (code >= 0xD800 && code <= 0xDBFF) {
            char32_t low = 0;
            if (m_end - m_position < 2 || m_position[0] != '\\' || m_position[1] != 'u')
                return fail(QStringLiteral("unpaired surrogate"));
            m_position += 2;
            if (!parseHex4(low))
                return false;
            if (low < 0xDC00 || low > 0xDFFF)
                return fail(QStringLiteral("unpaired surrogate"));
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        out.append(QString::fromUcs4(&code, 1).toUtf8());
        return true;
    }

    const char* m_position;
    const char* const m_end;
    QString m_error;
    QStringList m_unknownHues;
};

} // namespace

Result decode(QByteArrayView bytes)
{
    return Parser(bytes).parse();
}

QString unrecognisedDateError(QStringView text)
{
    return QStringLiteral("Unrecognised date ") + text.toString();
}

std::optional<QDateTime> decodeDate(QStringView text)
{
    qsizetype position = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!readDigits(text, position, 4, year) || !expect(text, position, u'-') ||
        !readDigits(text, position, 2, month) || !expect(text, position, u'-') ||
        !readDigits(text, position, 2, day) || !expect(text, position, u'T') ||
        !readDigits(text, position, 2, hour) || !expect(text, position, u':') ||
        !readDigits(text, position, 2, minute) || !expect(text, position, u':') ||
        !readDigits(text, position, 2, second))
        return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour > 23 ||
        minute > 59 || second > 59)
        return std::nullopt;

    qint64 milliseconds = 0;
    if (position < text.size() && text[position] == QLatin1Char('.')) {
        ++position;
        int digitCount = 0;
        while (position < text.size() && text[position].isDigit() &&
               text[position].unicode() < 0x80) {
            // Finer than a millisecond is dropped.
            if (digitCount < 3)
                milliseconds = milliseconds * 10 + (text[position].unicode() - u'0');
            ++digitCount;
            ++position;
        }
        if (digitCount == 0)
            return std::nullopt;
        for (int padding = digitCount; padding < 3; ++padding)
            milliseconds *= 10;
    }

    qint64 offset = 0;
    if (expect(text, position, u'Z')) {
        offset = 0;
    } else if (position < text.size() &&
               (text[position] == QLatin1Char('+') || text[position] == QLatin1Char('-'))) {
        const int sign = text[position] == QLatin1Char('-') ? -1 : 1;
        ++position;
        int offsetHours = 0, offsetMinutes = 0;
        if (!readDigits(text, position, 2, offsetHours) || !expect(text, position, u':') ||
            !readDigits(text, position, 2, offsetMinutes) || offsetHours > 23 || offsetMinutes > 59)
            return std::nullopt;
        offset = sign * (offsetHours * msecsPerHour + offsetMinutes * msecsPerMinute);
    } else {
        return std::nullopt;
    }
    if (position != text.size())
        return std::nullopt;

    const qint64 msecs = daysFromCivil(year, month, day) * msecsPerDay + hour * msecsPerHour +
                         minute * msecsPerMinute + second * msecsPerSecond + milliseconds - offset;
    return QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
}

} // namespace NoteFileReader
