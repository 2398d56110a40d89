#include "NoteFileWriter.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

namespace NoteFileWriter {

namespace {

constexpr qint64 msecsPerSecond = 1000;
constexpr qint64 secondsPerMinute = 60;
constexpr qint64 secondsPerHour = 3600;
constexpr qint64 secondsPerDay = 86400;
// 0000-01-01T00:00:00Z and 9999-12-31T23:59:59Z, in seconds since 1970.
constexpr qint64 firstUtcSecond = -62'167'219'200;
constexpr qint64 lastUtcSecond = 253'402'300'799;
// The widest numeric zone offset, 23:59.
constexpr qint64 largestOffsetSeconds = 23 * secondsPerHour + 59 * secondsPerMinute;
constexpr qsizetype perNoteOverhead = 320;
// The longest escape of one byte: \u00XX.
constexpr qsizetype longestEscape = 6;

// Bytes that must be escaped inside a JSON string: controls, quote and backslash.
constexpr std::array<bool, 256> escapeTable = [] {
    std::array<bool, 256> table{};
    for (int byte = 0; byte < 0x20; ++byte)
        table[byte] = true;
    table['"'] = true;
    table['\\'] = true;
    return table;
}();

constexpr char hexDigits[] = "0123456789ABCDEF";

// Days since 1970-01-01 to a proleptic Gregorian date (Howard Hinnant's algorithm).
void civilFromDays(qint64 days, qint64& year, int& month, int& day)
{
    days += 719468;
    const qint64 era = (days >= 0 ? days : days - 146096) / 146097;
    const qint64 dayOfEra = days - era * 146097;
    const qint64 yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 monthIndex = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

qint64 floorDivide(qint64 value, qint64 divisor)
{
    return value / divisor - ((value % divisor != 0 && value < 0) ? 1 : 0);
}

qint64 ceilDivide(qint64 value, qint64 divisor)
{
    return -floorDivide(-value, divisor);
}

// Whether any of the eight bytes in `word` is a control character, a quote or a backslash.
bool needsEscape(quint64 word)
{
    constexpr quint64 ones = 0x0101010101010101;
    constexpr quint64 highBits = 0x8080808080808080;
    const auto hasByteBelow = [](quint64 bytes, quint64 limit) {
        return (bytes - ones * limit) & ~bytes & highBits;
    };
    const auto hasZeroByte = [](quint64 bytes) { return (bytes - ones) & ~bytes & highBits; };
    return (hasByteBelow(word, 0x20) | hasZeroByte(word ^ (ones * '"')) |
            hasZeroByte(word ^ (ones * '\\'))) != 0;
}

char* putEscaped(char* out, char byte)
{
    const auto code = static_cast<unsigned char>(byte);
    if (!escapeTable[code]) {
        *out++ = byte;
        return out;
    }
    *out++ = '\\';
    switch (byte) {
    case '"':
    case '\\':
        *out++ = byte;
        break;
    case '\n':
        *out++ = 'n';
        break;
    case '\r':
        *out++ = 'r';
        break;
    case '\t':
        *out++ = 't';
        break;
    case '\b':
        *out++ = 'b';
        break;
    case '\f':
        *out++ = 'f';
        break;
    default:
        *out++ = 'u';
        *out++ = '0';
        *out++ = '0';
        *out++ = hexDigits[code >> 4];
        *out++ = hexDigits[code & 0xF];
    }
    return out;
}

// Appends to a byte array through a raw cursor: the document is built from many small
// pieces, and QByteArray's checks on every append cost more than the copying.
class Output
{
public:
    explicit Output(qsizetype estimate) { m_bytes.resize(estimate); }

    QByteArray take()
    {
        m_bytes.resize(m_length);
        return std::move(m_bytes);
    }

    char* reserve(qsizetype extra)
    {
        if (m_length + extra > m_bytes.size())
            m_bytes.resize(std::max(m_bytes.size() * 2, m_length + extra));
        return m_bytes.data() + m_length;
    }
    void commit(char* end) { m_length = end - m_bytes.constData(); }

    void append(const char* text, qsizetype length)
    {
        char* cursor = reserve(length);
        std::memcpy(cursor, text, std::size_t(length));
        m_length += length;
    }
    template <std::size_t N> void append(const char (&literal)[N]) { append(literal, N - 1); }
    void append(const QByteArray& bytes) { append(bytes.constData(), bytes.size()); }

    void appendString(const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        const char* in = utf8.constData();
        const char* const end = in + utf8.size();
        char* out = reserve(utf8.size() * longestEscape + 2);
        *out++ = '"';
        // Eight bytes at a time while none needs escaping; most text is long plain runs.
        while (end - in >= qsizetype(sizeof(quint64))) {
            quint64 word = 0;
            std::memcpy(&word, in, sizeof word);
            if (needsEscape(word)) {
                for (std::size_t index = 0; index < sizeof word; ++index)
                    out = putEscaped(out, *in++);
            } else {
                std::memcpy(out, in, sizeof word);
                out += sizeof word;
                in += sizeof word;
            }
        }
        while (in != end)
            out = putEscaped(out, *in++);
        *out++ = '"';
        commit(out);
    }

    void appendUuid(const QUuid& id)
    {
        const std::array<uchar, 16> bytes{
            uchar(id.data1 >> 24), uchar(id.data1 >> 16), uchar(id.data1 >> 8), uchar(id.data1),
            uchar(id.data2 >> 8),  uchar(id.data2),       uchar(id.data3 >> 8), uchar(id.data3),
            id.data4[0],           id.data4[1],           id.data4[2],          id.data4[3],
            id.data4[4],           id.data4[5],           id.data4[6],          id.data4[7]};
        char* out = reserve(38);
        *out++ = '"';
        for (std::size_t index = 0; index < bytes.size(); ++index) {
            if (index == 4 || index == 6 || index == 8 || index == 10)
                *out++ = '-';
            *out++ = hexDigits[bytes[index] >> 4];
            *out++ = hexDigits[bytes[index] & 0xF];
        }
        *out++ = '"';
        commit(out);
    }

    void appendDate(const QDateTime& time)
    {
        append("\"");
        append(encodeDate(time));
        append("\"");
    }

    void appendMember(const char* indent, const char* key)
    {
        append(indent, qsizetype(std::strlen(indent)));
        append("\"");
        append(key, qsizetype(std::strlen(key)));
        append("\" : ");
    }

    void appendNote(const Note& note)
    {
        constexpr const char* indent = "      ";
        append("    {\n");
        appendMember(indent, "createdAt");
        appendDate(note.createdAt);
        append(",\n");
        appendMember(indent, "editedAt");
        appendDate(note.editedAt);
        append(",\n");
        appendMember(indent, "hue");
        appendString(Hues::rawValue(note.hue));
        append(",\n");
        appendMember(indent, "id");
        appendUuid(note.id);
        append(",\n");
        appendMember(indent, "name");
        appendString(note.name);
        append(",\n");
        appendMember(indent, "order");
        append(QByteArray::number(note.order));
        append(",\n");
        appendMember(indent, "text");
        appendString(note.text);
        append("\n    }");
    }

private:
    QByteArray m_bytes;
    qsizetype m_length = 0;
};

// Writes `value` as exactly `width` decimal digits ending just before `end`.
void putDigits(char* end, qint64 value, int width)
{
    for (int digit = 0; digit < width; ++digit) {
        *--end = char('0' + value % 10);
        value /= 10;
    }
}

} // namespace

QByteArray encodeDate(const QDateTime& time)
{
    // Four-digit years in UTC end a little before the instants that a reader accepts with a
    // numeric offset; those are written with the smallest offset that keeps the year in range,
    // so every time that was read is written back readable. Anything further out is clamped.
    const qint64 seconds =
        std::clamp(floorDivide(time.toMSecsSinceEpoch(), msecsPerSecond),
                   firstUtcSecond - largestOffsetSeconds, lastUtcSecond + largestOffsetSeconds);
    qint64 offset = 0;
    if (seconds > lastUtcSecond)
        offset = -ceilDivide(seconds - lastUtcSecond, secondsPerMinute) * secondsPerMinute;
    else if (seconds < firstUtcSecond)
        offset = ceilDivide(firstUtcSecond - seconds, secondsPerMinute) * secondsPerMinute;
    const qint64 local = seconds + offset;
    const qint64 days = floorDivide(local, secondsPerDay);
    const qint64 secondOfDay = local - days * secondsPerDay;
    qint64 year = 0;
    int month = 0;
    int day = 0;
    civilFromDays(days, year, month, day);

    char text[] = "0000-00-00T00:00:00+00:00";
    putDigits(text + 4, year, 4);
    putDigits(text + 7, month, 2);
    putDigits(text + 10, day, 2);
    putDigits(text + 13, secondOfDay / secondsPerHour, 2);
    putDigits(text + 16, secondOfDay / secondsPerMinute % 60, 2);
    putDigits(text + 19, secondOfDay % secondsPerMinute, 2);
    constexpr qsizetype zoneAt = 19;
    if (offset == 0) {
        text[zoneAt] = 'Z';
        return QByteArray(text, zoneAt + 1);
    }
    text[zoneAt] = offset < 0 ? '-' : '+';
    const qint64 offsetSize = std::abs(offset);
    putDigits(text + 22, offsetSize / secondsPerHour, 2);
    putDigits(text + 25, offsetSize / secondsPerMinute % 60, 2);
    return QByteArray(text, sizeof(text) - 1);
}

QByteArray encode(const NoteFile& file)
{
    qsizetype estimate = 128;
    for (const Note& note : file.notes)
        estimate += note.text.size() + note.name.size() + perNoteOverhead;
    Output out(estimate);

    constexpr const char* indent = "  ";
    out.append("{\n");
    if (file.currentNoteID) {
        out.appendMember(indent, "currentNoteID");
        out.appendUuid(*file.currentNoteID);
        out.append(",\n");
    }
    out.appendMember(indent, "notes");
    if (file.notes.empty()) {
        out.append("[]");
    } else {
        out.append("[\n");
        for (std::size_t index = 0; index < file.notes.size(); ++index) {
            if (index > 0)
                out.append(",\n");
            out.appendNote(file.notes[index]);
        }
        out.append("\n  ]");
    }
    out.append(",\n");
    out.appendMember(indent, "rotateIndex");
    out.append(QByteArray::number(file.rotateIndex));
    out.append(",\n");
    out.appendMember(indent, "schemaVersion");
    out.append(QByteArray::number(file.schemaVersion));
    out.append("\n}");
    return out.take();
}

} // namespace NoteFileWriter
