#include "NoteFileWriter.h"

#include <array>
#include <cstdio>

namespace NoteFileWriter {

namespace {

constexpr qint64 msecsPerSecond = 1000;
constexpr qint64 secondsPerDay = 86400;
constexpr qsizetype perNoteOverhead = 320;

// Bytes that must be escaped inside a JSON string: controls, quote and backslash.
constexpr std::array<bool, 256> escapeTable = [] {
    std::array<bool, 256> table{};
    for (int byte = 0; byte < 0x20; ++byte)
        table[byte] = true;
    table['"'] = true;
    table['\\'] = true;
    return table;
}();

void appendEscaped(QByteArray& out, char byte) {
    switch (byte) {
    case '"':
        out.append("\\\"");
        return;
    case '\\':
        out.append("\\\\");
        return;
    case '\n':
        out.append("\\n");
        return;
    case '\r':
        out.append("\\r");
        return;
    case '\t':
        out.append("\\t");
        return;
    case '\b':
        out.append("\\b");
        return;
    case '\f':
        out.append("\\f");
        return;
    default: {
        std::array<char, 7> escaped{};
        std::snprintf(escaped.data(), escaped.size(), "\\u%04x", static_cast<unsigned char>(byte));
        out.append(escaped.data(), 6);
    }
    }
}

void appendString(QByteArray& out, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    const char* const begin = utf8.constData();
    const qsizetype size = utf8.size();
    out.append('"');
    qsizetype runStart = 0;
    for (qsizetype position = 0; position < size; ++position) {
        const auto byte = static_cast<unsigned char>(begin[position]);
        if (!escapeTable[byte])
            continue;
        out.append(begin + runStart, position - runStart);
        appendEscaped(out, begin[position]);
        runStart = position + 1;
    }
    out.append(begin + runStart, size - runStart);
    out.append('"');
}

void appendUuid(QByteArray& out, const QUuid& id) {
    static constexpr char digits[] = "0123456789ABCDEF";
    const QByteArray bytes = id.toRfc4122();
    std::array<char, 38> text{};
    qsizetype length = 0;
    text[length++] = '"';
    for (int index = 0; index < 16; ++index) {
        if (index == 4 || index == 6 || index == 8 || index == 10)
            text[length++] = '-';
        const auto byte = static_cast<unsigned char>(bytes[index]);
        text[length++] = digits[byte >> 4];
        text[length++] = digits[byte & 0xF];
    }
    text[length++] = '"';
    out.append(text.data(), length);
}

// Days since 1970-01-01 to a proleptic Gregorian date (Howard Hinnant's algorithm).
void civilFromDays(qint64 days, qint64& year, int& month, int& day) {
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

qint64 floorDivide(qint64 value, qint64 divisor) {
    return value / divisor - ((value % divisor != 0 && value < 0) ? 1 : 0);
}

void appendMember(QByteArray& out, const char* indent, const char* key) {
    out.append(indent);
    out.append('"');
    out.append(key);
    out.append("\" : ");
}

void appendDate(QByteArray& out, const QDateTime& time) {
    out.append('"');
    out.append(encodeDate(time));
    out.append('"');
}

void appendNote(QByteArray& out, const Note& note) {
    constexpr const char* indent = "      ";
    out.append("    {\n");
    appendMember(out, indent, "createdAt");
    appendDate(out, note.createdAt);
    out.append(",\n");
    appendMember(out, indent, "editedAt");
    appendDate(out, note.editedAt);
    out.append(",\n");
    appendMember(out, indent, "hue");
    appendString(out, Hues::rawValue(note.hue));
    out.append(",\n");
    appendMember(out, indent, "id");
    appendUuid(out, note.id);
    out.append(",\n");
    appendMember(out, indent, "name");
    appendString(out, note.name);
    out.append(",\n");
    appendMember(out, indent, "order");
    out.append(QByteArray::number(note.order));
    out.append(",\n");
    appendMember(out, indent, "text");
    appendString(out, note.text);
    out.append("\n    }");
}

} // namespace

QByteArray encodeDate(const QDateTime& time) {
    const qint64 seconds = floorDivide(time.toMSecsSinceEpoch(), msecsPerSecond);
    const qint64 days = floorDivide(seconds, secondsPerDay);
    const qint64 secondOfDay = seconds - days * secondsPerDay;
    qint64 year = 0;
    int month = 0;
    int day = 0;
    civilFromDays(days, year, month, day);
    std::array<char, 48> text{};
    const int length = std::snprintf(
        text.data(), text.size(), "%04lld-%02d-%02dT%02d:%02d:%02dZ", static_cast<long long>(year),
        month, day, static_cast<int>(secondOfDay / 3600), static_cast<int>(secondOfDay / 60 % 60),
        static_cast<int>(secondOfDay % 60));
    return QByteArray(text.data(), length);
}

QByteArray encode(const NoteFile& file) {
    qsizetype estimate = 128;
    for (const Note& note : file.notes)
        estimate += note.text.size() + note.name.size() + perNoteOverhead;
    QByteArray out;
    out.reserve(estimate);

    constexpr const char* indent = "  ";
    out.append("{\n");
    if (file.currentNoteID) {
        appendMember(out, indent, "currentNoteID");
        appendUuid(out, *file.currentNoteID);
        out.append(",\n");
    }
    appendMember(out, indent, "notes");
    if (file.notes.empty()) {
        out.append("[]");
    } else {
        out.append("[\n");
        for (std::size_t index = 0; index < file.notes.size(); ++index) {
            if (index > 0)
                out.append(",\n");
            appendNote(out, file.notes[index]);
        }
        out.append("\n  ]");
    }
    out.append(",\n");
    appendMember(out, indent, "rotateIndex");
    out.append(QByteArray::number(file.rotateIndex));
    out.append(",\n");
    appendMember(out, indent, "schemaVersion");
    out.append(QByteArray::number(file.schemaVersion));
    out.append("\n}");
    return out;
}

} // namespace NoteFileWriter
