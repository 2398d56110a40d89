#include "platform/Updater.h"

#include "LoopbackHttpServer.h"
#include "support/MainThreadChecks.h"

#include <QApplication>
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
    // An answer's window outlives the updater, as it may in the program; the next case starts
    // with none on screen.
    ~UpdaterTest() override { delete updater.resultDialog(); }

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

    // Plain http is refused except on this machine.
    Updater remote(QUrl(QStringLiteral("http://updates.example.org/feed.json")), installed,
                   scheduler);
    EXPECT_FALSE(remote.startUpdater());
    EXPECT_TRUE(remote.errorString().contains(QStringLiteral("https")));
    Updater secure(QUrl(QStringLiteral("https://updates.example.org/feed.json")), installed,
                   scheduler);
    EXPECT_TRUE(secure.startUpdater());
}

TEST(UpdaterWithoutFeedTest, EachEntryChecksItRunsOnTheMainThread)
{
    ManualScheduler scheduler;
    // Without a feed, where the calls below would otherwise do nothing.
    Updater updater(QUrl(), installed, scheduler);
    expectEachCaughtOffTheMainThread({
        {"constructor", [&scheduler] { Updater(QUrl(), installed, scheduler); }},
        {"startUpdater", [&updater] { updater.startUpdater(); }},
        {"setAutomaticallyChecksForUpdates",
         [&updater] { updater.setAutomaticallyChecksForUpdates(false); }},
        {"checkForUpdates", [&updater] { updater.checkForUpdates(); }},
    });
}

TEST_F(UpdaterTest, AManualCheckReadsTheFeedAndShowsWhatItFound)
{
    using Outcome = Updater::Outcome;
    const struct
    {
        int status;
        QByteArray body;
        Outcome outcome;
        const char* dialog;
        QUrl downloadPage;
    } cases[] = {
        {200, R"({"version": "1.10.0", "url": "https://example.org/q/1.10.0"})",
         Outcome::NewerVersion, "1.10.0 is available",
         QUrl(QStringLiteral("https://example.org/q/1.10.0"))},
        // A download page that is not https is not offered.
        {200, R"json({"version": "3.0.0", "url": "javascript:alert(1)"})json",
         Outcome::NewerVersion, "3.0.0 is available", QUrl()},
        {200, R"({"version": "1.2.0"})", Outcome::UpToDate, "newest version", QUrl()},
        {200, R"({"version": "1.2.0", "url": "https://example.org/q/1.2.0"})", Outcome::UpToDate,
         "newest version", QUrl(QStringLiteral("https://example.org/q/1.2.0"))},
        {200, R"({"version": "1.1.9"})", Outcome::UpToDate, "newest version", QUrl()},
        {200, R"({"version": "1.2"})", Outcome::UpToDate, "newest version", QUrl()},
        {200, "not json", Outcome::Failed, "Could not check", QUrl()},
        {200, R"({"url": "https://example.org"})", Outcome::Failed, "Could not check", QUrl()},
        {200, R"({"version": "2.0-beta"})", Outcome::Failed, "Could not check", QUrl()},
        {200, R"(["1.3.0"])", Outcome::Failed, "Could not check", QUrl()},
        {404, R"({"version": "9.0.0"})", Outcome::Failed, "Could not check", QUrl()},
    };
    ASSERT_TRUE(updater.startUpdater());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body.constData());
        server.respondWith(c.status, c.body);
        const Updater::Result result = checkNow();
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.downloadPage, c.downloadPage);
        EXPECT_EQ(result.errorString.isEmpty(), c.outcome != Outcome::Failed);
        ASSERT_NE(updater.resultDialog(), nullptr);
        EXPECT_TRUE(updater.resultDialog()->text().contains(QString::fromLatin1(c.dialog)));
        // Only a newer version's https page is offered, on a button beside OK.
        EXPECT_EQ(updater.resultDialog()->buttons().size(),
                  c.outcome == Outcome::NewerVersion && !c.downloadPage.isEmpty() ? 2 : 1);
        // The answer before it is gone.
        const QWidgetList windows = QApplication::topLevelWidgets();
        EXPECT_EQ(std::count_if(windows.begin(), windows.end(),
                                [](QWidget* window) { return window->isVisible(); }),
                  1);
    }
    EXPECT_EQ(server.requests().first().method, "GET");
    EXPECT_EQ(server.requests().first().path, "/feed.json");
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
