#include "RunningQuillory.h"
#include "ServerClock.h"
#include "XTestClient.h"

#include <QFile>
#include <QJsonDocument>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The settings page as it is laid out at the default font: the centre of each control that the
// road uses, from the top left of the panel's body, which sits 40 points right of and 33 below
// the window's corner.
const QPoint bodyOffset(40, 33);
const QPoint recorderCentre(211, 87);
const QPoint textSizeArrow(265, 219);
const QPoint pastesClipboardSwitch(261, 287);
const QPoint copyOnCloseSwitch(261, 355);
// Where the note's first lines are, on the note page.
const QRect noteText(10, 42, 260, 110);
constexpr int textSizeCount = 15;
constexpr int eighteenPoints = 8;
constexpr int inkGray = 128;
constexpr int typedLetters = 5;
constexpr int lettersInkWidth = 3;
// Reopening right after a close: the pause between the two presses grows a millisecond at a
// time, through the moment in which the desktop is still taking the focus from the closed
// panel, and again, since a press in that moment meets it only now and then.
constexpr int reopenPausesMs = 150;
constexpr int reopenRounds = 2;

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

    // Ctrl+Alt+N can be grabbed, so the program holds it no more.
    bool grabbedByNobody()
    {
        return !client.isHeldByAnother(XTestClient::nKey, XTestClient::controlAltMask);
    }

    void clickInBody(const QPoint& point)
    {
        const QPoint screen = app.panelGeometry().topLeft() + bodyOffset + point;
        client.click(screen.x(), screen.y());
    }

    // The stored value of a setting as text, as the settings file holds it right now.
    QString stored(const QString& key) const
    {
        QFile file(app.configFolder() + QStringLiteral("/Quillory/settings.json"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QJsonObject typed =
            QJsonDocument::fromJson(file.readAll()).object().value(key).toObject();
        return typed.isEmpty() ? QString() : typed.begin()->toVariant().toString();
    }

    // How many rows of the note's text area hold the ink of several letters, not just the
    // caret's; none while the area is not drawn on its light page yet.
    int inkHeight()
    {
        const QImage text =
            client.grab(noteText.translated(app.panelGeometry().topLeft() + bodyOffset));
        if (text.isNull() || qGray(text.pixel(0, 0)) < inkGray)
            return 0;
        int rows = 0;
        for (int y = 0; y < text.height(); ++y) {
            int ink = 0;
            for (int x = 0; x < text.width(); ++x)
                ink += qGray(text.pixel(x, y)) < inkGray ? 1 : 0;
            rows += ink >= lettersInkWidth ? 1 : 0;
        }
        return rows;
    }

    bool startAndOpen() { return app.start() && app.openPanelWhenReady(client); }

    XTestClient client;
    RunningQuillory app{QStringLiteral(QUILLORY_BINARY)};
};

TEST_F(TogglePanelRoad, APressOpensThePanelFocusedAndTheNextClosesIt)
{
    ASSERT_TRUE(startAndOpen());
    toggle();
    ASSERT_TRUE(waitFor([this] { return app.panelClosed(); })) << app.windowState();
    toggle();
    ASSERT_TRUE(waitFor([this] { return app.panelOpen(); })) << app.windowState();
    toggle();
    ASSERT_TRUE(waitFor([this] { return app.panelClosed(); })) << app.windowState();
    EXPECT_TRUE(app.terminate());
}

TEST_F(TogglePanelRoad, ReopenedRightAfterItClosesThePanelStaysOpen)
{
    ASSERT_TRUE(startAndOpen());
    for (int cycle = 0; cycle < reopenPausesMs * reopenRounds; ++cycle) {
        const int pause = cycle % reopenPausesMs;
        SCOPED_TRACE(pause);
        toggle();
        QTest::qWait(pause);
        toggle();
        // Had the panel closed again by itself, it would not be found open, or the next press
        // would open it instead of closing it.
        ASSERT_TRUE(waitFor([this] { return app.panelOpen(); })) << app.windowState();
    }
}

TEST_F(TogglePanelRoad, TogglesWithCapsLockOrNumLockOn)
{
    ASSERT_TRUE(startAndOpen());
    toggle();
    ASSERT_TRUE(waitFor([this] { return app.panelClosed(); })) << app.windowState();
    for (const quint8 lockKey : {XTestClient::capsLockKey, XTestClient::numLockKey}) {
        SCOPED_TRACE(int(lockKey));
        client.press(lockKey);
        client.release(lockKey);
        toggle();
        ASSERT_TRUE(waitFor([this] { return app.panelOpen(); })) << app.windowState();
        toggle();
        ASSERT_TRUE(waitFor([this] { return app.panelClosed(); })) << app.windowState();
        // Back off, so the next lock is on alone.
        client.press(lockKey);
        client.release(lockKey);
        client.sync();
    }
}

TEST_F(TogglePanelRoad, ANewShortcutRecordedOnTheSettingsPageTakesOverAtOnceAndStays)
{
    const QString ctrlAltM = QStringLiteral(R"({"carbonKeyCode":46,"carbonModifiers":2304})");
    const QString shortcutKey = QStringLiteral("GlobalShortcuts_togglePopover");
    ASSERT_TRUE(startAndOpen());
    for (int i = 0; i < typedLetters; ++i)
        client.type(XTestClient::lKey);
    ASSERT_TRUE(waitFor([this] { return inkHeight() > 0; }));
    const int smallText = inkHeight();

    auto openSettingsAndRecord = [this] {
        client.type(XTestClient::commaKey, {XTestClient::controlKey});
        ASSERT_TRUE(waitFor([this] { return app.panelGeometry().width() == 380; }))
            << app.windowState();
        clickInBody(recorderCentre);
        ASSERT_TRUE(waitFor([this] { return grabbedByNobody(); }));
    };
    // While recording the program holds no grab: Ctrl+Alt+N is free for others, and reaches
    // the recorder, which takes it again and stops instead of toggling the panel; Escape then
    // closes the panel.
    openSettingsAndRecord();
    toggle();
    client.type(XTestClient::escapeKey);
    ASSERT_TRUE(waitFor([this] { return app.panelClosed(); })) << app.windowState();
    toggle();
    ASSERT_TRUE(waitFor([this] { return app.panelOpen(); })) << app.windowState();

    openSettingsAndRecord();
    // The tray menu's Ctrl+, is refused in an alert of its own; the panel stays open meanwhile.
    const qsizetype windows = app.visibleWindows().size();
    client.type(XTestClient::commaKey, {XTestClient::controlKey});
    ASSERT_TRUE(waitFor([&] { return app.visibleWindows().size() == windows + 1; }))
        << app.windowState();
    client.type(XTestClient::returnKey);
    ASSERT_TRUE(waitFor([&] { return app.visibleWindows().size() == windows; }));
    // Recording again.
    ASSERT_TRUE(waitFor([this] { return grabbedByNobody(); }));
    client.typeControlAlt(XTestClient::mKey);
    ASSERT_TRUE(waitFor([&] { return stored(shortcutKey) == ctrlAltM; })) << app.windowState();

    // 18 pt from the open list, and two switches.
    clickInBody(textSizeArrow);
    QRect list;
    ASSERT_TRUE(waitFor([&] {
        for (const QRect& window : app.visibleWindows()) {
            if (window.height() > window.width() && window != app.panelGeometry())
                list = window;
        }
        return list.isValid();
    }));
    const int rowHeight = list.height() / textSizeCount;
    client.click(list.center().x(), list.top() + rowHeight * eighteenPoints + rowHeight / 2);
    ASSERT_TRUE(waitFor(
        [&] { return stored(QStringLiteral("quillory.textSize")) == QLatin1String("18"); }));
    clickInBody(pastesClipboardSwitch);
    clickInBody(copyOnCloseSwitch);
    ASSERT_TRUE(waitFor([&] {
        return stored(QStringLiteral("quillory.newNotePastesClipboard")) == QLatin1String("true") &&
               stored(QStringLiteral("quillory.copyNoteOnClose")) == QLatin1String("true");
    }));

    client.type(XTestClient::commaKey, {XTestClient::controlKey});
    ASSERT_TRUE(waitFor([this] { return app.panelGeometry().width() == 360; }));
    EXPECT_TRUE(waitFor([&] { return inkHeight() > smallText; }));

    client.typeControlAlt(XTestClient::mKey);
    ASSERT_TRUE(waitFor([this] { return app.panelClosed(); })) << app.windowState();
    // The old combination does nothing: had it opened the panel, the new one after it would
    // close it again.
    toggle();
    client.typeControlAlt(XTestClient::mKey);
    ASSERT_TRUE(waitFor([this] { return app.panelOpen(); })) << app.windowState();

    ASSERT_TRUE(app.terminate());
    ASSERT_TRUE(app.start());
    EXPECT_TRUE(app.openPanelWhenReady(client, XTestClient::mKey)) << app.windowState();
    EXPECT_EQ(stored(shortcutKey), ctrlAltM);
}

TEST_F(TogglePanelRoad, HoldingTheKeysTogglesOnceOnRelease)
{
    ASSERT_TRUE(startAndOpen());
    toggle();
    ASSERT_TRUE(waitFor([this] { return app.panelClosed(); })) << app.windowState();

    client.press(XTestClient::controlKey);
    client.press(XTestClient::altKey);
    client.press(XTestClient::nKey);
    client.sync();
    // The server repeats the held key; none of it may toggle the panel.
    ServerClock clock;
    ASSERT_TRUE(clock.isConnected());
    const quint32 pressed = clock.now();
    bool stayedClosed = true;
    ASSERT_TRUE(waitFor([&] {
        stayedClosed = stayedClosed && app.panelClosed();
        return clock.hasRepeatedKeyHeldSince(pressed);
    })) << "the server's auto-repeat";
    EXPECT_TRUE(stayedClosed);
    client.release(XTestClient::nKey);
    client.release(XTestClient::altKey);
    client.release(XTestClient::controlKey);
    client.sync();
    ASSERT_TRUE(waitFor([this] { return app.panelOpen(); })) << app.windowState();
    // Exactly one toggle: one more press closes the panel rather than opening it again.
    toggle();
    ASSERT_TRUE(waitFor([this] { return app.panelClosed(); })) << app.windowState();
}

TEST_F(TogglePanelRoad, CombinationHeldByAnotherProgramIsReportedAndTheProgramKeepsRunning)
{
    ASSERT_EQ(client.grab(XTestClient::nKey, XTestClient::controlAltMask), 0);
    ASSERT_TRUE(app.start());
    // On standard output, at once, while the program runs on.
    ASSERT_TRUE(waitFor(
        [this] {
            return app.standardOutput().contains(
                QLatin1String("Error registering hotkey Ctrl+Alt+N: 10\n"));
        },
        RunningQuillory::startTimeoutMs))
        << app.standardOutput().toStdString() << app.errorOutput().toStdString();

    // The combination stays the other program's, and the panel stays shut.
    toggle();
    ASSERT_TRUE(waitFor([this] { return client.receivedPress(XTestClient::nKey); }));
    EXPECT_TRUE(app.panelClosed());
    EXPECT_TRUE(app.isRunning());
    // Once: handing the handler its shortcut after storing the default does not ask again.
    EXPECT_EQ(app.standardOutput().count(QLatin1String("Error registering hotkey")), 1)
        << app.standardOutput().toStdString();
    EXPECT_TRUE(app.terminate());
}

} // namespace
