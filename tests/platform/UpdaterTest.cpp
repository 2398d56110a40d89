#include "platform/Updater.h"

#include "LoopbackHttpServer.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

constexpr int replyTimeoutMs = 10'000;
const QVersionNumber installed(1, 2, 0);

class UpdaterTest : public testing::Test
{
protected:
    LoopbackHttpServer server;
    ManualScheduler scheduler;
    Updater updater{server.url(QStringLiteral("/feed.json")), installed, scheduler};

    Updater::Result checkNow()
    {
        QSignalSpy finished(&updater, &Updater::checkFinished);
        updater.checkForUpdates();
        EXPECT_TRUE(finished.wait(replyTimeoutMs));
        return finished.isEmpty() ? Updater::Result{}
                                  : finished.first().first().value<Updater::Result>();
    }
};

TEST(UpdaterWithoutFeedTest, StartFailsWithAClearErrorAndChecksDoNothing)
{
    ManualScheduler scheduler;
    Updater updater(QUrl(), installed, scheduler);
    QSignalSpy finished(&updater, &Updater::checkFinished);
    EXPECT_FALSE(updater.startUpdater());
    EXPECT_FALSE(updater.isRunning());
    EXPECT_EQ(updater.errorString(),
              QStringLiteral("no update feed was configured when Quillory was built"));

    updater.setAutomaticallyChecksForUpdates(true);
    EXPECT_TRUE(updater.automaticallyChecksForUpdates());
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    updater.checkForUpdates();
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(updater.resultDialog(), nullptr);
}

TEST(UpdaterWithoutFeedTest, PlainHttpIsRefusedExceptOnThisMachine)
{
    ManualScheduler scheduler;
    Updater remote(QUrl(QStringLiteral("http://updates.example.org/feed.json")), installed,
                   scheduler);
    EXPECT_FALSE(remote.startUpdater());
    EXPECT_TRUE(remote.errorString().contains(QStringLiteral("https")));
    Updater secure(QUrl(QStringLiteral("https://updates.example.org/feed.json")), installed,
                   scheduler);
    EXPECT_TRUE(secure.startUpdater());
}

TEST_F(UpdaterTest, ANewerVersionIsFoundAndShownToTheUser)
{
    server.respondWith(200, R"({"version": "1.10.0", "url": "https://example.org/q/1.10.0"})");
    ASSERT_TRUE(updater.startUpdater());
    const Updater::Result result = checkNow();
    EXPECT_EQ(result.outcome, Updater::Outcome::NewerVersion);
    EXPECT_EQ(result.latestVersion, QVersionNumber(1, 10, 0));
    EXPECT_EQ(result.downloadPage, QUrl(QStringLiteral("https://example.org/q/1.10.0")));
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests().first().method, "GET");
    EXPECT_EQ(server.requests().first().path, "/feed.json");
    ASSERT_NE(updater.resultDialog(), nullptr);
    EXPECT_TRUE(updater.resultDialog()->text().contains(QStringLiteral("1.10.0 is available")));
}

TEST_F(UpdaterTest, TheSameOrAnOlderVersionIsUpToDate)
{
    ASSERT_TRUE(updater.startUpdater());
    for (const QByteArray& version :
         {QByteArray("1.2.0"), QByteArray("1.1.9"), QByteArray("1.2")}) {
        server.respondWith(200, R"({"version": ")" + version + R"("})");
        const Updater::Result result = checkNow();
        EXPECT_EQ(result.outcome, Updater::Outcome::UpToDate) << version.constData();
    }
    ASSERT_NE(updater.resultDialog(), nullptr);
    EXPECT_TRUE(updater.resultDialog()->text().contains(QStringLiteral("newest version")));
}

TEST_F(UpdaterTest, BadFeedsAndServerErrorsAreFailuresShownOnAManualCheck)
{
    ASSERT_TRUE(updater.startUpdater());
    const QList<QPair<int, QByteArray>> answers = {
        {200, "not json"},
        {200, R"({"url": "https://example.org"})"},
        {200, R"({"version": "2.0-beta"})"},
        {200, R"(["1.3.0"])"},
        {404, R"({"version": "9.0.0"})"},
    };
    for (const auto& [status, body] : answers) {
        server.respondWith(status, body);
        const Updater::Result result = checkNow();
        EXPECT_EQ(result.outcome, Updater::Outcome::Failed) << body.constData();
        EXPECT_FALSE(result.errorString.isEmpty());
    }
    ASSERT_NE(updater.resultDialog(), nullptr);
    EXPECT_TRUE(updater.resultDialog()->text().startsWith(QStringLiteral("Could not check")));
}

TEST_F(UpdaterTest, ADownloadPageThatIsNotHttpsIsNotOffered)
{
    server.respondWith(200, R"json({"version": "3.0.0", "url": "javascript:alert(1)"})json");
    ASSERT_TRUE(updater.startUpdater());
    const Updater::Result result = checkNow();
    EXPECT_EQ(result.outcome, Updater::Outcome::NewerVersion);
    EXPECT_TRUE(result.downloadPage.isEmpty());
}

TEST_F(UpdaterTest, AutomaticChecksRunDailyOnlyWhileOnAndTellOnlyOfNewVersions)
{
    server.respondWith(200, R"({"version": "1.2.0"})");
    updater.setAutomaticallyChecksForUpdates(true);
    // Not running yet: nothing is scheduled.
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    ASSERT_TRUE(updater.startUpdater());

    QSignalSpy finished(&updater, &Updater::checkFinished);
    scheduler.advance(23h);
    EXPECT_EQ(server.requests().size(), 0);
    scheduler.advance(1h);
    ASSERT_TRUE(finished.wait(replyTimeoutMs));
    EXPECT_EQ(server.requests().size(), 1);
    EXPECT_EQ(updater.resultDialog(), nullptr);

    server.respondWith(200, R"({"version": "1.3.0"})");
    scheduler.advance(24h);
    ASSERT_TRUE(finished.wait(replyTimeoutMs));
    ASSERT_NE(updater.resultDialog(), nullptr);

    updater.setAutomaticallyChecksForUpdates(false);
    scheduler.advance(72h);
    QCoreApplication::processEvents();
    EXPECT_EQ(server.requests().size(), 2);
}

} // namespace
