#include "analytics/DefaultSignalPayload.h"

#include "analytics/SessionManager.h"
#include "platform/Clock.h"
#include "platform/DeviceInfo.h"
#include "platform/MainQueue.h"
#include "platform/Scheduler.h"
#include "platform/UserDefaults.h"

#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

TEST(DefaultSignalPayloadTest, TimeZoneOffsetsAreWrittenWithOneSign)
{
    using DefaultSignalPayload::timeZoneOffsetText;
    EXPECT_EQ(timeZoneOffsetText(0), QStringLiteral("UTC+0"));
    EXPECT_EQ(timeZoneOffsetText(2 * 3600), QStringLiteral("UTC+2"));
    EXPECT_EQ(timeZoneOffsetText(-5 * 3600), QStringLiteral("UTC-5"));
    EXPECT_EQ(timeZoneOffsetText(5 * 3600 + 1800), QStringLiteral("UTC+5:30"));
    EXPECT_EQ(timeZoneOffsetText(-(3 * 3600 + 1800)), QStringLiteral("UTC-3:30"));
    EXPECT_EQ(timeZoneOffsetText(5 * 3600 + 45 * 60), QStringLiteral("UTC+5:45"));
    EXPECT_EQ(timeZoneOffsetText(-1800), QStringLiteral("UTC-0:30"));
}

TEST(DefaultSignalPayloadTest, CalendarValuesCountMondayAsOneAndHoursFromOne)
{
    // 2024-03-10 was a Sunday.
    const auto sunday = DefaultSignalPayload::calendarValues(
        QDateTime(QDate(2024, 3, 10), QTime(0, 30), QTimeZone(3600)));
    EXPECT_EQ(sunday.value(QStringLiteral("Insights.Calendar.dayOfWeek")), QStringLiteral("7"));
    EXPECT_EQ(sunday.value(QStringLiteral("Insights.Calendar.isWeekend")), QStringLiteral("true"));
    EXPECT_EQ(sunday.value(QStringLiteral("Insights.Calendar.hourOfDay")), QStringLiteral("1"));
    EXPECT_EQ(sunday.value(QStringLiteral("Insights.Calendar.dayOfYear")), QStringLiteral("70"));
    EXPECT_EQ(sunday.value(QStringLiteral("Insights.Calendar.dayOfMonth")), QStringLiteral("10"));
    EXPECT_EQ(sunday.value(QStringLiteral("Insights.Calendar.monthOfYear")), QStringLiteral("3"));
    EXPECT_EQ(sunday.value(QStringLiteral("Insights.Calendar.quarterOfYear")), QStringLiteral("1"));
    EXPECT_EQ(sunday.value(QStringLiteral("Insights.Calendar.weekOfYear")), QStringLiteral("10"));
    EXPECT_EQ(sunday.size(), 8);

    const auto friday = DefaultSignalPayload::calendarValues(
        QDateTime(QDate(2024, 11, 15), QTime(23, 30), QTimeZone(-5 * 3600)));
    EXPECT_EQ(friday.value(QStringLiteral("Insights.Calendar.dayOfWeek")), QStringLiteral("5"));
    EXPECT_EQ(friday.value(QStringLiteral("Insights.Calendar.isWeekend")), QStringLiteral("false"));
    EXPECT_EQ(friday.value(QStringLiteral("Insights.Calendar.hourOfDay")), QStringLiteral("24"));
    EXPECT_EQ(friday.value(QStringLiteral("Insights.Calendar.quarterOfYear")), QStringLiteral("4"));
}

TEST(DefaultSignalPayloadTest, PreferredLanguageIsTheFirstLanguagesFirstPart)
{
    using DefaultSignalPayload::preferredLanguage;
    EXPECT_EQ(preferredLanguage({QStringLiteral("en-GB"), QStringLiteral("de")}),
              QStringLiteral("en"));
    EXPECT_EQ(preferredLanguage({QStringLiteral("pt_BR")}), QStringLiteral("pt"));
    EXPECT_EQ(preferredLanguage({}), QStringLiteral("zz"));
}

class PayloadTest : public testing::Test
{
protected:
    PayloadTest()
        : store(QStringLiteral("suite"), m_folder.path())
    {
        device.osName = QStringLiteral("Debian GNU/Linux");
        device.osVersion = QVersionNumber(12);
        device.machine = QStringLiteral("x86_64");
        device.modelName = QStringLiteral("ThinkPad X1");
    }
    SignalParameters build(const QDateTime& now = QDateTime(QDate(2024, 3, 10), QTime(12, 0),
                                                            QTimeZone(5 * 3600 + 1800)))
    {
        SessionManager sessions(&store, {&clock, &mainQueue, &scheduler});
        sessions.waitForPersistence();
        return DefaultSignalPayload::parameters(sessions, now,
                                                QLocale(QLocale::German, QLocale::Austria), device);
    }

    QTemporaryDir m_folder;
    UserDefaults store;
    ManualClock clock{QDateTime(QDate(2024, 3, 10), QTime(12, 0), Qt::UTC)};
    ManualMainQueue mainQueue;
    ManualScheduler scheduler;
    DeviceInfo device;
};

TEST_F(PayloadTest, DescribesTheSystemInBothKeyFamilies)
{
    const SignalParameters values = build();
    EXPECT_EQ(values.value(QStringLiteral("platform")), QStringLiteral("Linux"));
    EXPECT_EQ(values.value(QStringLiteral("systemVersion")),
              QStringLiteral("Debian GNU/Linux 12.0.0"));
    EXPECT_EQ(values.value(QStringLiteral("majorMinorSystemVersion")),
              QStringLiteral("Debian GNU/Linux 12.0"));
    EXPECT_EQ(values.value(QStringLiteral("majorSystemVersion")),
              QStringLiteral("Debian GNU/Linux 12"));
    EXPECT_EQ(values.value(QStringLiteral("Insights.Device.systemVersion")),
              values.value(QStringLiteral("systemVersion")));
    EXPECT_EQ(values.value(QStringLiteral("modelName")), QStringLiteral("ThinkPad X1"));
    EXPECT_EQ(values.value(QStringLiteral("architecture")), QStringLiteral("x86_64"));
    EXPECT_EQ(values.value(QStringLiteral("locale")), QStringLiteral("de_AT"));
    EXPECT_EQ(values.value(QStringLiteral("region")), QStringLiteral("AT"));
    EXPECT_EQ(values.value(QStringLiteral("appLanguage")), QStringLiteral("de"));
    EXPECT_EQ(values.value(QStringLiteral("Insights.Device.timeZone")), QStringLiteral("UTC+5:30"));
    EXPECT_EQ(values.value(QStringLiteral("Insights.UserPreference.layoutDirection")),
              QStringLiteral("leftToRight"));
    EXPECT_EQ(values.value(QStringLiteral("Insights.Device.screenScaleFactor")),
              QStringLiteral("N/A"));
    EXPECT_EQ(values.value(QStringLiteral("appVersion")), QStringLiteral("0"));
    EXPECT_EQ(values.value(QStringLiteral("Insights.AppInfo.versionAndBuildNumber")),
              QStringLiteral("0 (build 0)"));
    for (const char* absent : {"isTestFlight", "isAppStore", "extensionIdentifier",
                               "Insights.Accessibility.isReduceMotionEnabled",
                               "Insights.Retention.previousSessionSeconds"})
        EXPECT_FALSE(values.contains(QString::fromLatin1(absent))) << absent;
    for (auto it = values.begin(); it != values.end(); ++it)
        EXPECT_FALSE(it.value().isNull()) << it.key().toStdString();
}

TEST_F(PayloadTest, WithoutHistoryTheUsageValuesStartFresh)
{
    const SignalParameters values = build();
    EXPECT_EQ(values.value(QStringLiteral("Insights.Retention.averageSessionSeconds")),
              QStringLiteral("-1"));
    EXPECT_EQ(values.value(QStringLiteral("Insights.Acquisition.firstSessionDate")),
              QStringLiteral("2024-03-10"));
    EXPECT_EQ(values.value(QStringLiteral("Insights.Retention.totalSessionsCount")),
              QStringLiteral("0"));
}

TEST_F(PayloadTest, UsageValuesComeFromTheStoredStatistics)
{
    store.set(QStringLiteral("firstSessionDate"), QStringLiteral("2023-01-02"));
    store.set(QStringLiteral("distinctDaysUsed"),
              QStringList{QStringLiteral("2024-01-01"), QStringLiteral("2024-02-09"),
                          QStringLiteral("2024-02-10"), QStringLiteral("2024-03-09")});
    store.set(QStringLiteral("deletedSessionsCount"), 3);
    store.set(QStringLiteral("recentSessions"),
              SessionManager::encodeSessions({{clock.now().addDays(-3), 40},
                                              {clock.now().addDays(-2), 20},
                                              {clock.now().addDays(-1), 5}}));
    const SignalParameters values = build();
    EXPECT_EQ(values.value(QStringLiteral("Insights.Acquisition.firstSessionDate")),
              QStringLiteral("2023-01-02"));
    EXPECT_EQ(values.value(QStringLiteral("Insights.Retention.averageSessionSeconds")),
              QStringLiteral("30"));
    EXPECT_EQ(values.value(QStringLiteral("Insights.Retention.previousSessionSeconds")),
              QStringLiteral("20"));
    EXPECT_EQ(values.value(QStringLiteral("Insights.Retention.totalSessionsCount")),
              QStringLiteral("6"));
    // The session keeper adds today when it is made: five days in all.
    EXPECT_EQ(values.value(QStringLiteral("Insights.Retention.distinctDaysUsed")),
              QStringLiteral("5"));
    // 30 days before 2024-03-10 06:30 UTC is 2024-02-09, which counts.
    EXPECT_EQ(values.value(QStringLiteral("Insights.Retention.distinctDaysUsedLastMonth")),
              QStringLiteral("4"));
}

} // namespace
