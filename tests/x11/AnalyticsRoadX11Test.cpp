#include "RunningQuillory.h"
#include "XTestClient.h"
#include "analytics/LoopbackServer.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>

#include <gmock/gmock.h>

using testing::UnorderedElementsAreArray;

// Signal names read as text in a failure.
void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

const QString urlVariable = QStringLiteral(QUILLORY_ANALYTICS_URL_VARIABLE);
const QString newInstallSignal = QStringLiteral("Insights.Acquisition.newInstallDetected");
// The note texts typed; no request may carry any of them.
const QStringList typedTexts = {QStringLiteral("plumsesame"), QStringLiteral("velvetquartz"),
                                QStringLiteral("amberlotus")};
// Longer than the client's transmit interval, so a signal queued at start goes out in it.
constexpr int deliveryTimeoutMs = 30000;

QStringList signalTypes(const QList<QJsonObject>& signals)
{
    QStringList types;
    for (const QJsonObject& signal : signals)
        types.append(signal.value(QStringLiteral("type")).toString());
    return types;
}

// A loopback address where nothing listens: every send is refused.
QUrl refusingURL()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(server.serverPort()));
}

// The test build of the program, reporting to the test's own analytics service, used by a
// person: notes made and one deleted, quit, started again.
class AnalyticsRoad : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(app.isHomeValid());
        ASSERT_TRUE(keyboard.isConnected());
    }

    void reportTo(const QUrl& url) { app.setVariable(urlVariable, url.toString()); }

    // The first launch opens the panel by itself. Two notes are made after the first one and
    // the last is deleted again; every step is waited for in the saved document.
    void makeAndDeleteNotes()
    {
        ASSERT_TRUE(waitFor([this] { return app.panelOpen(); }, RunningQuillory::startTimeoutMs))
            << app.windowState() << app.errorOutput().toStdString();
        type(typedTexts[0]);
        ASSERT_TRUE(waitFor([&] { return app.savedTexts() == typedTexts.mid(0, 1); }));
        for (qsizetype note = 1; note < typedTexts.size(); ++note) {
            xdotool({QStringLiteral("key"), QStringLiteral("ctrl+n")});
            type(typedTexts[note]);
            ASSERT_TRUE(waitFor([&] { return app.savedTexts() == typedTexts.mid(0, note + 1); }))
                << app.savedTexts().join(u'|').toStdString();
        }
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+shift+BackSpace")});
        ASSERT_TRUE(waitFor([&] { return app.savedTexts() == typedTexts.mid(0, 2); }));
    }

    static void type(const QString& text)
    {
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text});
    }

    // The signals the client has left in its cache file for the next start.
    QStringList cachedSignalTypes() const
    {
        QFile file(app.cacheFolder() + QStringLiteral("/insightssignalcache"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList types;
        for (const QJsonValue& signal : QJsonDocument::fromJson(file.readAll()).array())
            types.append(signal[QStringLiteral("type")].toString());
        return types;
    }

    void expectNoTypedText()
    {
        for (const LoopbackServer::Request& request : server.requests()) {
            for (const QString& text : typedTexts)
                EXPECT_FALSE(request.body.contains(text.toUtf8())) << request.body.toStdString();
        }
    }

    bool received(const QString& type, qsizetype count)
    {
        return waitFor([&] { return signalTypes(server.receivedSignals()).count(type) >= count; },
                       deliveryTimeoutMs);
    }

    LoopbackServer server;
    XTestClient keyboard;
    RunningQuillory app{QStringLiteral(QUILLORY_E2E_BINARY)};
};

TEST_F(AnalyticsRoad, TwoRunsDeliverExactlyTheirSignalsWithoutNoteText)
{
    reportTo(server.baseUrl());
    app.setVariable(QStringLiteral("QUILLORY_APPEARANCE"), QStringLiteral("dark"));
    ASSERT_TRUE(app.start());
    ASSERT_NO_FATAL_FAILURE(makeAndDeleteNotes());
    ASSERT_TRUE(app.terminate()) << app.errorOutput().toStdString();

    ASSERT_TRUE(app.start());
    ASSERT_TRUE(received(QStringLiteral("app_launched"), 2))
        << signalTypes(server.receivedSignals()).join(u' ').toStdString();
    ASSERT_TRUE(app.terminate()) << app.errorOutput().toStdString();

    // The client's own first-session signal comes once, with the first run.
    const QStringList expected = {QStringLiteral("app_launched"),
                                  QStringLiteral("note_created"),
                                  QStringLiteral("note_created"),
                                  QStringLiteral("note_deleted"),
                                  newInstallSignal,
                                  QStringLiteral("app_launched")};
    EXPECT_THAT(signalTypes(server.receivedSignals()), UnorderedElementsAreArray(expected));
    EXPECT_THAT(cachedSignalTypes(), testing::IsEmpty()) << app.errorOutput().toStdString();
    for (const LoopbackServer::Request& request : server.requests()) {
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.path, "/v2/");
    }
    for (const QJsonObject& signal : server.receivedSignals()) {
        EXPECT_EQ(signal.value(QStringLiteral("appID")).toString(),
                  QStringLiteral(QUILLORY_ANALYTICS_APP_ID));
        // The program's display: the X server's one screen, the appearance it was given and its
        // layout direction.
        const QJsonObject payload = signal.value(QStringLiteral("payload")).toObject();
        EXPECT_EQ(payload.value(QStringLiteral("Insights.Device.screenResolutionWidth")),
                  QStringLiteral("1280.0"));
        EXPECT_EQ(payload.value(QStringLiteral("Insights.Device.screenResolutionHeight")),
                  QStringLiteral("800.0"));
        EXPECT_EQ(payload.value(QStringLiteral("Insights.Device.screenScaleFactor")),
                  QStringLiteral("1.0"));
        EXPECT_EQ(payload.value(QStringLiteral("Insights.UserPreference.colorScheme")),
                  QStringLiteral("Dark"));
        EXPECT_EQ(payload.value(QStringLiteral("Insights.UserPreference.layoutDirection")),
                  QStringLiteral("leftToRight"));
    }
    expectNoTypedText();
}

TEST_F(AnalyticsRoad, SignalsRefusedInOneRunGoOutAfterTheNextStart)
{
    reportTo(refusingURL());
    ASSERT_TRUE(app.start());
    ASSERT_NO_FATAL_FAILURE(makeAndDeleteNotes());
    // One send has been tried and refused, so the batch went back to the queue.
    ASSERT_TRUE(
        waitFor([this] { return app.errorOutput().contains(QLatin1String("Connection refused")); },
                deliveryTimeoutMs))
        << app.errorOutput().toStdString();
    ASSERT_TRUE(app.terminate()) << app.errorOutput().toStdString();
    const QStringList firstRun = {QStringLiteral("app_launched"), QStringLiteral("note_created"),
                                  QStringLiteral("note_created"), QStringLiteral("note_deleted"),
                                  newInstallSignal};
    EXPECT_THAT(cachedSignalTypes(), UnorderedElementsAreArray(firstRun));

    reportTo(server.baseUrl());
    ASSERT_TRUE(app.start());
    ASSERT_TRUE(received(QStringLiteral("note_deleted"), 1));
    ASSERT_TRUE(app.terminate()) << app.errorOutput().toStdString();
    // This run's own launch signal goes out with the next transmission or stays cached.
    const QStringList delivered = signalTypes(server.receivedSignals()) + cachedSignalTypes();
    EXPECT_THAT(delivered,
                UnorderedElementsAreArray(firstRun + QStringList{QStringLiteral("app_launched")}));
    expectNoTypedText();
}

TEST_F(AnalyticsRoad, NothingLeavesWithReportingOff)
{
    reportTo(server.baseUrl());
    ASSERT_TRUE(app.writeSettings({{QStringLiteral("quillory.sendErrorReports"),
                                    QJsonObject{{QStringLiteral("bool"), false}}}}));
    ASSERT_TRUE(app.start());
    ASSERT_NO_FATAL_FAILURE(makeAndDeleteNotes());
    ASSERT_TRUE(app.terminate()) << app.errorOutput().toStdString();
    ASSERT_TRUE(app.start());
    // Launching has finished, reporting included, once the shortcut opens the panel.
    ASSERT_TRUE(app.openPanelWhenReady(keyboard)) << app.windowState();
    ASSERT_TRUE(app.terminate()) << app.errorOutput().toStdString();

    // Whatever the client had taken would now be sent or kept in its cache for the next run.
    EXPECT_THAT(server.requests(), testing::IsEmpty());
    EXPECT_THAT(cachedSignalTypes(), testing::IsEmpty());
}

// Run without an endpoint, as the program is built by default: the client never starts, so
// using the program leaves no signal cache, no install identifier and no line of its log.
TEST_F(AnalyticsRoad, WithoutAnEndpointNothingIsRecordedStoredOrLogged)
{
    if (!QStringLiteral(QUILLORY_ANALYTICS_BASE_URL).isEmpty())
        GTEST_SKIP() << "built with an analytics endpoint";
    ASSERT_TRUE(app.start());
    ASSERT_NO_FATAL_FAILURE(makeAndDeleteNotes());
    ASSERT_TRUE(app.terminate()) << app.errorOutput().toStdString();

    EXPECT_FALSE(QFile::exists(app.cacheFolder() + QStringLiteral("/insightssignalcache")));
    EXPECT_THAT(QDir(app.configFolder() + QStringLiteral("/Quillory"))
                    .entryList({QStringLiteral("analytics.client.*")}),
                testing::IsEmpty());
    EXPECT_FALSE(app.errorOutput().contains(QLatin1String("Insights")))
        << app.errorOutput().toStdString();
}

} // namespace
