#include "Hue.h"

namespace Hues {

namespace {
constexpr std::array<const char*, 8> rawValues{"white",    "sand", "mint", "sky",
                                               "lavender", "pink", "teal", "coral"};
}

QString rawValue(Hue hue)
{
    return QString::fromLatin1(rawValues[static_cast<std::size_t>(hue)]);
}

std::optional<Hue> fromRawValue(QStringView text)
{
    for (std::size_t position = 0; position < rawValues.size(); ++position) {
        if (text == QLatin1String(rawValues[position]))
            return allCases[position];
    }
    return std::nullopt;
}

QString displayName(Hue hue)
{
    QString name = rawValue(hue);
    name[0] = name[0].toUpper();
    return name;
}

} // namespace Hues

QString NewNoteColor::rawValue() const
{
    return m_hue ? Hues::rawValue(*m_hue) : QStringLiteral("rotate");
}

NewNoteColor NewNoteColor::fromRawValue(QStringView text)
{
    const auto hue = Hues::fromRawValue(text);
    return hue ? fixed(*hue) : rotate();
}
