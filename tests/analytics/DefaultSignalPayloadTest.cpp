#include "analytics/DefaultSignalPayload.h"

#include "ClientHarness.h"

#include "analytics/DisplayInfo.h"
#include "analytics/Insights.h"
#include "analytics/SessionManager.h"
#include "platform/Clock.h"
#include "platform/DeviceInfo.h"
#include "platform/MainQueue.h"
#include "platform/Scheduler.h"
#include "platform/UserDefaults.h"

#include <QCoreApplication>
#include <QJsonObject>
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
    EXPECT_EQ(sunday.size(), 8);
    expectParameters(sunday, {{"Insights.Calendar.dayOfWeek", "7"},
                              {"Insights.Calendar.isWeekend", "true"},
                              {"Insights.Calendar.hourOfDay", "1"},
                              {"Insights.Calendar.dayOfYear", "70"},
                              {"Insights.Calendar.dayOfMonth", "10"},
                              {"Insights.Calendar.monthOfYear", "3"},
                              {"Insights.Calendar.quarterOfYear", "1"},
                              {"Insights.Calendar.weekOfYear", "10"}});
    expectParameters(DefaultSignalPayload::calendarValues(
                         QDateTime(QDate(2024, 11, 15), QTime(23, 30), QTimeZone(-5 * 3600))),
                     {{"Insights.Calendar.dayOfWeek", "5"},
                      {"Insights.Calendar.isWeekend", "false"},
                      {"Insights.Calendar.hourOfDay", "24"},
                      {"Insights.Calendar.quarterOfYear", "4"}});
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
    // At noon in a zone half an hour off the hour: 06:30 UTC.
    SignalParameters build(const DisplayInfo& display = {})
    {
        const QDateTime now(QDate(2024, 3, 10), QTime(12, 0), QTimeZone(5 * 3600 + 1800));
        SessionManager sessions(&store, {&clock, &mainQueue, &scheduler});
        sessions.waitForPersistence();
        return DefaultSignalPayload::parameters(
            sessions, now, QLocale(QLocale::German, QLocale::Austria), device, display);
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
    expectParameters(values, {{"platform", "Linux"},
                              {"systemVersion", "Debian GNU/Linux 12.0.0"},
                              {"Insights.Device.systemVersion", "Debian GNU/Linux 12.0.0"},
                              {"majorMinorSystemVersion", "Debian GNU/Linux 12.0"},
                              {"majorSystemVersion", "Debian GNU/Linux 12"},
                              {"modelName", "ThinkPad X1"},
                              {"architecture", "x86_64"},
                              {"locale", "de_AT"},
                              {"region", "AT"},
                              {"appLanguage", "de"},
                              {"Insights.Device.timeZone", "UTC+5:30"},
                              // No application told its layout direction.
                              {"Insights.UserPreference.layoutDirection", "N/A"},
                              {"appVersion", "0"},
                              // Without a store there is no receipt: never a test build.
                              {"isTestFlight", "false"},
                              {"isAppStore", "true"},
                              {"Insights.RunContext.isTestFlight", "false"},
                              {"Insights.RunContext.isAppStore", "true"},
                              // Without history the usage values start fresh.
                              {"Insights.Retention.averageSessionSeconds", "-1"},
                              {"Insights.Acquisition.firstSessionDate", "2024-03-10"},
                              {"Insights.Retention.totalSessionsCount", "0"}});
    for (const char* absent :
         {"extensionIdentifier", "Insights.Accessibility.isReduceMotionEnabled",
          "Insights.Retention.previousSessionSeconds"})
        EXPECT_FALSE(values.contains(QString::fromLatin1(absent))) << absent;
    for (auto it = values.begin(); it != values.end(); ++it)
        EXPECT_FALSE(it.value().isNull()) << it.key().toStdString();
    // The 48 fixed rows, the eight calendar values and the five usage values.
    EXPECT_EQ(values.size(), 61);
}

// What the host says of its main screen and appearance; "N/A" where it knows nothing.
TEST_F(PayloadTest, TheScreenColourSchemeAndLayoutDirectionAreTheHostsOwn)
{
    using Scheme = DisplayInfo::ColorScheme;
    struct Row
    {
        DisplayInfo display;
        const char* width;
        const char* height;
        const char* scaleFactor;
        const char* colorScheme;
        const char* layoutDirection;
    };
    const Row rows[] = {
        {{DisplayInfo::Screen{1728, 1117, 2}, Scheme::dark, Qt::RightToLeft, std::nullopt},
         "1728.0",
         "1117.0",
         "2.0",
         "Dark",
         "rightToLeft"},
        {{DisplayInfo::Screen{1280, 800, 1.25}, Scheme::light, Qt::LeftToRight, std::nullopt},
         "1280.0",
         "800.0",
         "1.25",
         "Light",
         "leftToRight"},
        {{std::nullopt, Scheme::unknown, std::nullopt, std::nullopt},
         "N/A",
         "N/A",
         "N/A",
         "N/A",
         "N/A"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.colorScheme);
        expectParameters(build(row.display),
                         {{"Insights.Device.screenResolutionWidth", row.width},
                          {"Insights.Device.screenResolutionHeight", row.height},
                          {"Insights.Device.screenScaleFactor", row.scaleFactor},
                          {"Insights.UserPreference.colorScheme", row.colorScheme},
                          {"Insights.UserPreference.layoutDirection", row.layoutDirection}});
    }
}

// Both keys when the desktop's settings could be read, a setting it left out reading "false";
// neither key when they could not be read.
TEST_F(PayloadTest, AccessibilityKeysFollowTheDesktopWhenItsSettingsCanBeRead)
{
    struct Row
    {
        std::optional<AccessibilitySettings> settings;
        const char* reduceMotion;
        const char* invertColors;
    };
    const Row rows[] = {
        {std::nullopt, nullptr, nullptr},
        {AccessibilitySettings{true, false}, "true", "false"},
        {AccessibilitySettings{false, true}, "false", "true"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.reduceMotion ? row.reduceMotion : "unreadable");
        DisplayInfo display;
        display.accessibility = row.settings;
        const SignalParameters values = build(display);
        expectParameters(values,
                         {{"Insights.Accessibility.isReduceMotionEnabled", row.reduceMotion},
                          {"Insights.Accessibility.isInvertColorsEnabled", row.invertColors}});
        EXPECT_EQ(values.size(), row.settings ? 63 : 61);
    }
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
    expectParameters(build(), {{"Insights.Acquisition.firstSessionDate", "2023-01-02"},
                               {"Insights.Retention.averageSessionSeconds", "30"},
                               {"Insights.Retention.previousSessionSeconds", "20"},
                               {"Insights.Retention.totalSessionsCount", "6"},
                               // The session keeper adds today when it is made: five days in all.
                               {"Insights.Retention.distinctDaysUsed", "5"},
                               // 30 days before 2024-03-10 06:30 UTC is 2024-02-09, which counts.
                               {"Insights.Retention.distinctDaysUsedLastMonth", "4"}});
}

// The rows the service receives from a running client: the build as the settings page shows
// it, the receipt values of a program without a store, and what the host hands in.
TEST(PayloadAtTheServerTest, CarriesTheBuildTheReceiptRowsAndTheHostsScreen)
{
    const QString buildNumber = QStringLiteral(QUILLORY_BUILD_NUMBER).isEmpty()
                                    ? QStringLiteral("0")
                                    : QStringLiteral(QUILLORY_BUILD_NUMBER);
    const QString version = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion(QStringLiteral("0.1.0"));
    ClientHarness harness;
    harness.displayInfo = [] {
        return DisplayInfo{DisplayInfo::Screen{1920, 1080, 1.5}, DisplayInfo::ColorScheme::dark,
                           Qt::RightToLeft, std::nullopt};
    };
    harness.start();
    Insights::signal(QStringLiteral("settings_opened"));
    ASSERT_TRUE(harness.waitUntil([&] {
        harness.advance(ClientHarness::sendPeriod);
        return harness.server.receivedSignalCount() == 1;
    }));
    QCoreApplication::setApplicationVersion(version);

    SignalParameters payload;
    const QJsonObject received =
        harness.server.receivedSignals().first().value(QStringLiteral("payload")).toObject();
    for (auto it = received.begin(); it != received.end(); ++it)
        payload.insert(it.key(), it.value().toString());
    EXPECT_EQ(payload.value(QStringLiteral("buildNumber")), buildNumber);
    EXPECT_EQ(payload.value(QStringLiteral("Insights.AppInfo.buildNumber")), buildNumber);
    EXPECT_EQ(payload.value(QStringLiteral("Insights.AppInfo.versionAndBuildNumber")),
              QStringLiteral("0.1.0 (build ") + buildNumber + QLatin1Char(')'));
    expectParameters(payload, {{"appVersion", "0.1.0"},
                               {"isTestFlight", "false"},
                               {"isAppStore", "true"},
                               {"Insights.RunContext.isTestFlight", "false"},
                               {"Insights.RunContext.isAppStore", "true"},
                               {"Insights.Device.screenResolutionWidth", "1920.0"},
                               {"Insights.Device.screenResolutionHeight", "1080.0"},
                               {"Insights.Device.screenScaleFactor", "1.5"},
                               {"Insights.UserPreference.colorScheme", "Dark"},
                               {"Insights.UserPreference.layoutDirection", "rightToLeft"}});
}

// Signals handed over together still read the host's facts one by one: a setting changed
// between two of them shows in the second.
TEST(PayloadAtTheServerTest, EverySignalReadsTheHostsFactsAfresh)
{
    ClientHarness harness;
    int reads = 0;
    harness.displayInfo = [&reads] {
        DisplayInfo display;
        display.accessibility = AccessibilitySettings{++reads > 1, false};
        return display;
    };
    harness.start();
    Insights::signal(QStringLiteral("note_created"));
    Insights::signal(QStringLiteral("note_deleted"));
    const QList<SignalPostBody> records = harness.quitAndReadCache();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(reads, 2);
    const QString key = QStringLiteral("Insights.Accessibility.isReduceMotionEnabled");
    EXPECT_EQ(records[0].payload.value(key), QStringLiteral("false"));
    EXPECT_EQ(records[1].payload.value(key), QStringLiteral("true"));
}

} // namespace
