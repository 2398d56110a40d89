#pragma once

#include <QDateTime>
#include <QString>

// How long ago `date` was, as the note list shows it: "now" under a minute (and for a date
// still to come or unknown), then whole minutes "5m", hours "3h", days "6d", and from seven
// days on the day itself, "Jan 5", in the system's time zone.
QString ageLabel(const QDateTime& date, const QDateTime& now);
