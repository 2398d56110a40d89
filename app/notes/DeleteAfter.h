#pragma once

#include <QString>

#include <array>
#include <chrono>
#include <optional>

// How long a note may stay unedited before it is deleted automatically.
enum class DeleteAfter { never, hour, day, week, month };

namespace DeleteAfterPeriods {

inline constexpr std::array<DeleteAfter, 5> allCases{
    DeleteAfter::never, DeleteAfter::hour, DeleteAfter::day, DeleteAfter::week, DeleteAfter::month};

QString rawValue(DeleteAfter period);
std::optional<DeleteAfter> fromRawValue(QStringView text);
// Nothing for never; a month is 30 days.
std::optional<std::chrono::seconds> interval(DeleteAfter period);

} // namespace DeleteAfterPeriods
