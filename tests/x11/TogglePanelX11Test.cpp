#include "RunningQuillory.h"
#include "XTestClient.h"

#include <QElapsedTimer>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int holdMs = 1000;
constexpr int holdCheckIntervalMs = 20;

// Ctrl+Alt+N typed by another client toggles the running program's panel.
class TogglePanelRoad : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(client.isConnected());
        ASSERT_TRUE(app.isHomeValid());
        // Not the first launch, so the panel only opens when asked.
        ASSERT_TRUE(app.writeSettings({{QStringLiteral("quillory.hasLaunchedBefore"),
                                        QJsonObject{{QStringLiteral("bool"), true}}}}));
    }

    void toggle() { client.typeControlAlt(XTestClient::nKey); }

    bool startAndOpen() { return app.start() && app.openPanelWhenReady(client); }

    XTestClient client;
    RunningQuillory app{QStringLiteral(QUILLORY_BINARY)};
};

TEST_F(TogglePanelRoad, APressOpensThePanelFocusedAndTheNextClosesIt)
{
    ASSERT_TRUE(startAndOpen());
    toggle();
    ASSERT_TRUE(waitFor([this] { return app.panelClosed(); }));
    toggle();
    ASSERT_TRUE(waitFor([this] { return app.panelOpen(); }));
    toggle();
    ASSERT_TRUE(waitFor([this] { return app.panelClosed(); }));
    EXPECT_TRUE(app.terminate());
}

TEST_F(TogglePanelRoad, TogglesWithCapsLockOrNumLockOn)
{
    ASSERT_TRUE(startAndOpen());
    toggle();
    ASSERT_TRUE(waitFor([this] { return app.panelClosed(); }));
    for (const quint8 lockKey : {XTestClient::capsLockKey, XTestClient::numLockKey}) {
        SCOPED_TRACE(int(lockKey));
        client.press(lockKey);
        client.release(lockKey);
        toggle();
        ASSERT_TRUE(waitFor([this] { return app.panelOpen(); }));
        toggle();
        ASSERT_TRUE(waitFor([this] { return app.panelClosed(); }));
        // Back off, so the next lock is on alone.
        client.press(lockKey);
        client.release(lockKey);
        client.sync();
    }
}

TEST_F(TogglePanelRoad, HoldingTheKeysTogglesOnceOnRelease)
{
    ASSERT_TRUE(startAndOpen());
    toggle();
    ASSERT_TRUE(waitFor([this] { return app.panelClosed(); }));

    client.press(XTestClient::controlKey);
    client.press(XTestClient::altKey);
    client.press(XTestClient::nKey);
    client.sync();
    // The server repeats the held key all this time; none of it may toggle the panel.
    QElapsedTimer held;
    held.start();
    while (held.elapsed() < holdMs) {
        ASSERT_TRUE(app.panelClosed());
        QTest::qWait(holdCheckIntervalMs);
    }
    client.release(XTestClient::nKey);
    client.release(XTestClient::altKey);
    client.release(XTestClient::controlKey);
    client.sync();
    ASSERT_TRUE(waitFor([this] { return app.panelOpen(); }));
    // Exactly one toggle: one more press closes the panel rather than opening it again.
    toggle();
    ASSERT_TRUE(waitFor([this] { return app.panelClosed(); }));
}

TEST_F(TogglePanelRoad, CombinationHeldByAnotherProgramIsReportedAndTheProgramKeepsRunning)
{
    ASSERT_EQ(client.grab(XTestClient::nKey, XTestClient::controlAltMask), 0);
    ASSERT_TRUE(app.start());
    ASSERT_TRUE(waitFor(
        [this] { return app.errorOutput().contains(QLatin1String("Error registering hotkey")); },
        RunningQuillory::startTimeoutMs))
        << app.errorOutput().toStdString();

    // The combination stays the other program's, and the panel stays shut.
    toggle();
    ASSERT_TRUE(waitFor([this] { return client.receivedPress(XTestClient::nKey); }));
    EXPECT_TRUE(app.panelClosed());
    EXPECT_TRUE(app.isRunning());
    EXPECT_TRUE(app.terminate());
}

} // namespace
