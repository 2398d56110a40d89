#pragma once

#include "analytics/SignalParameters.h"

#include <QDateTime>
#include <QLocale>
#include <QStringList>

class SessionManager;
struct DeviceInfo;
struct DisplayInfo;

// The parameters every signal carries: device, screen, system, build, locale, preferences,
// calendar and usage.
namespace DefaultSignalPayload {

// Reads the system afresh at every call: device facts, the system locale and time zone.
SignalParameters parameters(const SessionManager& sessions, const QDateTime& now,
                            const DisplayInfo& display);
// `now` in the time zone it carries.
SignalParameters parameters(const SessionManager& sessions, const QDateTime& now,
                            const QLocale& locale, const DeviceInfo& device,
                            const DisplayInfo& display);

// "UTC", the sign and the hours, and ":mm" only when the minutes are not 0.
QString timeZoneOffsetText(int offsetFromUtcSeconds);
// The eight "Insights.Calendar." values of a local moment.
SignalParameters calendarValues(const QDateTime& localNow);
// The language part of the first preferred language; "zz" when there is none.
QString preferredLanguage(const QStringList& uiLanguages);

} // namespace DefaultSignalPayload
