#include "DefaultSignalPayload.h"

#include "analytics/DisplayInfo.h"
#include "analytics/DoubleText.h"
#include "analytics/SessionManager.h"
#include "platform/DeviceInfo.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace DefaultSignalPayload {

namespace {

const QString clientVersion = QStringLiteral("2.14.2");
// The client library's own name, in the form the service expects: language, then "SDK".
const QString clientName = QStringLiteral("CppSDK");
const QString platformName = QStringLiteral("Linux");
const QString falseText = QStringLiteral("false");
const QString trueText = QStringLiteral("true");
const QString notAvailable = QStringLiteral("N/A");
constexpr qint64 lastMonthSecs = 2'592'000; // 30 days
constexpr int secsPerHour = 3600;
constexpr int secsPerMinute = 60;
constexpr int monthsPerQuarter = 3;

// There is no store, so no store receipt, on Linux: this is never a test build of one.
constexpr bool isStoreTestBuild = false;

QString orZero(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("0") : text;
}

QString boolText(bool value)
{
    return value ? trueText : falseText;
}

QString screenText(const DisplayInfo& display, double DisplayInfo::Screen::*field)
{
    return display.mainScreen ? doubleText((*display.mainScreen).*field) : notAvailable;
}

QString layoutDirectionText(std::optional<Qt::LayoutDirection> direction)
{
    if (!direction)
        return notAvailable;
    return *direction == Qt::LeftToRight ? QStringLiteral("leftToRight")
                                         : QStringLiteral("rightToLeft");
}

QString colorSchemeText(DisplayInfo::ColorScheme scheme)
{
    switch (scheme) {
    case DisplayInfo::ColorScheme::light:
        return QStringLiteral("Light");
    case DisplayInfo::ColorScheme::dark:
        return QStringLiteral("Dark");
    case DisplayInfo::ColorScheme::unknown:
        break;
    }
    return notAvailable;
}

QStringList localeParts(const QString& identifier)
{
    static const QRegularExpression separators(QStringLiteral("[-_]"));
    return identifier.split(separators);
}

QString versionText(const DeviceInfo& device, int parts)
{
    QStringList numbers;
    for (int i = 0; i < parts; ++i)
        numbers.append(QString::number(device.osVersion.segmentAt(i)));
    return device.osName + QLatin1Char(' ') + numbers.join(QLatin1Char('.'));
}

} // namespace

QString timeZoneOffsetText(int offsetFromUtcSeconds)
{
    const QChar sign = offsetFromUtcSeconds >= 0 ? QLatin1Char('+') : QLatin1Char('-');
    const int hours = std::abs(offsetFromUtcSeconds / secsPerHour);
    const int minutes = std::abs(offsetFromUtcSeconds / secsPerMinute % secsPerMinute);
    QString text = QStringLiteral("UTC") + sign + QString::number(hours);
    if (minutes != 0)
        text += QStringLiteral(":%1").arg(minutes, 2, 10, QLatin1Char('0'));
    return text;
}

SignalParameters calendarValues(const QDateTime& localNow)
{
    const QDate date = localNow.date();
    const int dayOfWeek = date.dayOfWeek(); // Monday 1 to Sunday 7
    return {
        {QStringLiteral("Insights.Calendar.dayOfMonth"), QString::number(date.day())},
        {QStringLiteral("Insights.Calendar.dayOfWeek"), QString::number(dayOfWeek)},
        {QStringLiteral("Insights.Calendar.dayOfYear"), QString::number(date.dayOfYear())},
        {QStringLiteral("Insights.Calendar.weekOfYear"), QString::number(date.weekNumber())},
        {QStringLiteral("Insights.Calendar.isWeekend"), boolText(dayOfWeek >= Qt::Saturday)},
        {QStringLiteral("Insights.Calendar.monthOfYear"), QString::number(date.month())},
        {QStringLiteral("Insights.Calendar.quarterOfYear"),
         QString::number((date.month() - 1) / monthsPerQuarter + 1)},
        {QStringLiteral("Insights.Calendar.hourOfDay"),
         QString::number(localNow.time().hour() + 1)},
    };
}

QString preferredLanguage(const QStringList& uiLanguages)
{
    const QString first = uiLanguages.isEmpty() ? QStringLiteral("zz-ZZ") : uiLanguages.first();
    return localeParts(first).first();
}

SignalParameters parameters(const SessionManager& sessions, const QDateTime& now,
                            const DisplayInfo& display)
{
    return parameters(sessions, now.toLocalTime(), QLocale::system(), DeviceInfo::read(), display);
}

SignalParameters parameters(const SessionManager& sessions, const QDateTime& now,
                            const QLocale& locale, const DeviceInfo& device,
                            const DisplayInfo& display)
{
    const QString appVersion = orZero(QCoreApplication::applicationVersion());
    // The one the settings page shows beside the version.
    const QString buildNumber = orZero(QStringLiteral(QUILLORY_BUILD_NUMBER));
    const QString systemVersion = versionText(device, 3);
    const QString majorMinorVersion = versionText(device, 2);
    const QString majorVersion = versionText(device, 1);
    const QString localeName = locale.name();
    const QStringList parts = localeParts(localeName);
    const QString region = locale.territory() != QLocale::AnyTerritory
                               ? QLocale::territoryToCode(locale.territory())
                               : parts.last();
    const QString language = locale.language() != QLocale::AnyLanguage
                                 ? QLocale::languageToCode(locale.language())
                                 : parts.first();
    const QString preferred = preferredLanguage(locale.uiLanguages());

    SignalParameters values{
        {QStringLiteral("platform"), platformName},
        {QStringLiteral("systemVersion"), systemVersion},
        {QStringLiteral("majorSystemVersion"), majorVersion},
        {QStringLiteral("majorMinorSystemVersion"), majorMinorVersion},
        {QStringLiteral("appVersion"), appVersion},
        {QStringLiteral("buildNumber"), buildNumber},
        {QStringLiteral("isSimulator"), falseText},
        {QStringLiteral("isDebug"), falseText},
        {QStringLiteral("isTestFlight"), boolText(isStoreTestBuild)},
        {QStringLiteral("isAppStore"), boolText(!isStoreTestBuild)},
        {QStringLiteral("modelName"), device.modelName},
        {QStringLiteral("architecture"), device.machine},
        {QStringLiteral("operatingSystem"), platformName},
        {QStringLiteral("targetEnvironment"), QStringLiteral("native")},
        {QStringLiteral("locale"), localeName},
        {QStringLiteral("region"), region},
        {QStringLiteral("appLanguage"), language},
        {QStringLiteral("preferredLanguage"), preferred},
        {QStringLiteral("insightsClientVersion"), clientVersion},
        {QStringLiteral("Insights.AppInfo.buildNumber"), buildNumber},
        {QStringLiteral("Insights.AppInfo.version"), appVersion},
        {QStringLiteral("Insights.AppInfo.versionAndBuildNumber"),
         appVersion + QStringLiteral(" (build ") + buildNumber + QLatin1Char(')')},
        {QStringLiteral("Insights.Device.architecture"), device.machine},
        {QStringLiteral("Insights.Device.modelName"), device.modelName},
        {QStringLiteral("Insights.Device.operatingSystem"), platformName},
        {QStringLiteral("Insights.Device.orientation"), QStringLiteral("Fixed")},
        {QStringLiteral("Insights.Device.platform"), platformName},
        {QStringLiteral("Insights.Device.screenResolutionHeight"),
         screenText(display, &DisplayInfo::Screen::height)},
        {QStringLiteral("Insights.Device.screenResolutionWidth"),
         screenText(display, &DisplayInfo::Screen::width)},
        {QStringLiteral("Insights.Device.screenScaleFactor"),
         screenText(display, &DisplayInfo::Screen::scaleFactor)},
        {QStringLiteral("Insights.Device.systemMajorMinorVersion"), majorMinorVersion},
        {QStringLiteral("Insights.Device.systemMajorVersion"), majorVersion},
        {QStringLiteral("Insights.Device.systemVersion"), systemVersion},
        {QStringLiteral("Insights.Device.timeZone"), timeZoneOffsetText(now.offsetFromUtc())},
        {QStringLiteral("Insights.RunContext.isAppStore"), boolText(!isStoreTestBuild)},
        {QStringLiteral("Insights.RunContext.isDebug"), falseText},
        {QStringLiteral("Insights.RunContext.isSimulator"), falseText},
        {QStringLiteral("Insights.RunContext.isTestFlight"), boolText(isStoreTestBuild)},
        {QStringLiteral("Insights.RunContext.language"), language},
        {QStringLiteral("Insights.RunContext.locale"), localeName},
        {QStringLiteral("Insights.RunContext.targetEnvironment"), QStringLiteral("native")},
        {QStringLiteral("Insights.SDK.name"), clientName},
        {QStringLiteral("Insights.SDK.nameAndVersion"),
         clientName + QLatin1Char(' ') + clientVersion},
        {QStringLiteral("Insights.SDK.version"), clientVersion},
        {QStringLiteral("Insights.UserPreference.colorScheme"),
         colorSchemeText(display.colorScheme)},
        {QStringLiteral("Insights.UserPreference.language"), preferred},
        {QStringLiteral("Insights.UserPreference.layoutDirection"),
         layoutDirectionText(display.layoutDirection)},
        {QStringLiteral("Insights.UserPreference.region"), region},
    };
    if (display.accessibility) {
        values.insert(QStringLiteral("Insights.Accessibility.isReduceMotionEnabled"),
                      boolText(display.accessibility->reduceMotion));
        values.insert(QStringLiteral("Insights.Accessibility.isInvertColorsEnabled"),
                      boolText(display.accessibility->invertColors));
    }
    values.insert(calendarValues(now));

    const QString today = now.date().toString(Qt::ISODate);
    const QString firstSessionDate = sessions.firstSessionDate();
    const QStringList days = sessions.distinctDaysUsed();
    const QString cutOff = now.toUTC().addSecs(-lastMonthSecs).date().toString(Qt::ISODate);
    values.insert(QStringLiteral("Insights.Acquisition.firstSessionDate"),
                  firstSessionDate.isEmpty() ? today : firstSessionDate);
    values.insert(QStringLiteral("Insights.Retention.averageSessionSeconds"),
                  QString::number(sessions.averageSessionSeconds()));
    values.insert(QStringLiteral("Insights.Retention.distinctDaysUsed"),
                  QString::number(days.size()));
    values.insert(QStringLiteral("Insights.Retention.distinctDaysUsedLastMonth"),
                  QString::number(SessionManager::countDistinctDays(cutOff, days)));
    values.insert(QStringLiteral("Insights.Retention.totalSessionsCount"),
                  QString::number(sessions.totalSessionsCount()));
    const QList<StoredSession> recent = sessions.recentSessions();
    if (recent.size() >= 2)
        values.insert(QStringLiteral("Insights.Retention.previousSessionSeconds"),
                      QString::number(recent[recent.size() - 2].durationInSeconds));
    return values;
}

} // namespace DefaultSignalPayload
