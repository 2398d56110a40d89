#include "HexColor.h"

#include <limits>

namespace {

constexpr quint64 lowBits = 0xFFFFFF;
constexpr int hexBase = 16;

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// Reads an unsigned hexadecimal number as a number scanner does: leading blanks skipped, an
// optional "0x" before the first digit, and on overflow the largest value.
quint64 scanHex(QStringView text)
{
    qsizetype at = 0;
    while (at < text.size() && text[at].isSpace())
        ++at;
    if (at + 2 < text.size() && text[at] == u'0' &&
        (text[at + 1] == u'x' || text[at + 1] == u'X') && hexDigit(text[at + 2]) >= 0)
        at += 2;
    quint64 value = 0;
    bool overflowed = false;
    for (; at < text.size(); ++at) {
        const int digit = hexDigit(text[at]);
        if (digit < 0)
            break;
        if (value > (std::numeric_limits<quint64>::max() - static_cast<quint64>(digit)) / hexBase)
            overflowed = true;
        else
            value = value * hexBase + static_cast<quint64>(digit);
    }
    return overflowed ? std::numeric_limits<quint64>::max() : value;
}

QColor fromNumber(quint64 number)
{
    const quint64 rgb = number & lowBits;
    return QColor::fromRgb(static_cast<QRgb>(rgb));
}

} // namespace

namespace HexColor {

QColor parse(QStringView text)
{
    if (text.startsWith(QLatin1Char('#')))
        text = text.mid(1);
    return fromNumber(scanHex(text));
}

QColor parseTrimmed(QStringView text)
{
    return parse(text.trimmed());
}

} // namespace HexColor
