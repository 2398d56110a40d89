#include "DeleteAfter.h"

namespace DeleteAfterPeriods {

namespace {
constexpr std::array<const char*, 5> rawValues{"never", "1h", "1d", "1w", "30d"};
constexpr std::chrono::seconds oneHour{3600};
constexpr std::chrono::seconds oneDay = 24 * oneHour;
} // namespace

QString rawValue(DeleteAfter period)
{
    return QString::fromLatin1(rawValues[static_cast<std::size_t>(period)]);
}

std::optional<DeleteAfter> fromRawValue(QStringView text)
{
    for (std::size_t position = 0; position < rawValues.size(); ++position) {
        if (text == QLatin1String(rawValues[position]))
            return allCases[position];
    }
    return std::nullopt;
}

std::optional<std::chrono::seconds> interval(DeleteAfter period)
{
    switch (period) {
    case DeleteAfter::never:
        return std::nullopt;
    case DeleteAfter::hour:
        return oneHour;
    case DeleteAfter::day:
        return oneDay;
    case DeleteAfter::week:
        return 7 * oneDay;
    case DeleteAfter::month:
        return 30 * oneDay;
    }
    return std::nullopt;
}

} // namespace DeleteAfterPeriods
