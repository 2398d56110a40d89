#include "platform/FocusLossObserver.h"
#include "platform/GlobalClickMonitor.h"
#include "platform/PanelWindow.h"
#include "platform/StatusItem.h"
#include "platform/WindowSystemWatcher.h"

#include "X11Input.h"
#include "support/Contrast.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QProcess>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

using X11Input::clickAt;
using X11Input::waitFor;

QIcon squareIcon()
{
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::darkGray);
    return QIcon(pixmap);
}

constexpr QSize screenSize(1280, 800);

// Wholly on screen too: the tray grows to make room for the icon a moment after taking it in.
bool isInTopRightCorner(const QRect& rect)
{
    return QRect(QPoint(0, 0), screenSize).contains(rect) && rect.top() < X11Input::trayHeight &&
           rect.left() > screenSize.width() / 2;
}

// A tray host from another process, as on a desktop panel.
class StatusItemX11Test : public testing::Test
{
protected:
    QProcess tray;
    StatusItem item;

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(startTray());
        item.setIcon(squareIcon());
        item.setAccessibilityLabel(QStringLiteral("Quillory"));
        item.show();
        ASSERT_NO_FATAL_FAILURE(waitForIconInTray());
    }

    void startTray(std::optional<QRgb> bar = std::nullopt)
    {
        tray.start(QStringLiteral("trayer"), X11Input::trayArguments(bar));
        ASSERT_TRUE(tray.waitForStarted(X11Input::timeoutMs));
        ASSERT_TRUE(waitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }));
    }

    void waitForIconInTray()
    {
        // The tray takes the icon in a moment after it appears; it docks at the top right.
        ASSERT_TRUE(waitFor([this] {
            // Seen by the server and by Qt, which learns of the tray mapping it a moment later.
            const QWidget* window = iconWindow();
            return window && X11Input::isViewable(*window) && window->windowHandle()->isExposed() &&
                   isInTopRightCorner(item.anchorGeometry());
        })) << "the icon is at "
            << item.anchorGeometry().x() << ", " << item.anchorGeometry().y();
    }

    void TearDown() override { stopTray(); }

    void stopTray()
    {
        tray.kill();
        tray.waitForFinished(X11Input::timeoutMs);
    }

    QPoint icon() const { return item.anchorGeometry().center(); }

    // The window Qt embeds in the tray.
    static const QWidget* iconWindow()
    {
        for (const QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->inherits("QSystemTrayIconSys"))
                return widget;
        }
        return nullptr;
    }
};

TEST_F(StatusItemX11Test, TheAnchorIsTheIconInTheTray)
{
    const QRect anchor = item.anchorGeometry();
    EXPECT_EQ(anchor.size(), item.trayIcon()->geometry().size());
    EXPECT_TRUE(isInTopRightCorner(anchor));
    EXPECT_TRUE(item.handlesOutsidePress(icon()));
    EXPECT_FALSE(item.handlesOutsidePress(QPoint(10, 500)));
}

TEST_F(StatusItemX11Test, ClicksOnTheIconAreToldApartAndTheClickMonitorLeavesThemAlone)
{
    const auto monitor = GlobalClickMonitor::create();
    ASSERT_TRUE(monitor->isActive());
    QSignalSpy outside(monitor.get(), &GlobalClickMonitor::pressed);
    QSignalSpy clicked(&item, &StatusItem::clicked);
    QSignalSpy rightClicked(&item, &StatusItem::rightClicked);
    ASSERT_TRUE(clickAt(icon()));
    ASSERT_TRUE(waitFor([&] { return clicked.count() == 1; }));
    ASSERT_TRUE(clickAt(icon(), 3));
    ASSERT_TRUE(waitFor([&] { return rightClicked.count() == 1; }));
    EXPECT_EQ(clicked.count(), 1);

    // The press on the icon belongs to us, so the first outside press reported is this one.
    ASSERT_TRUE(clickAt(QPoint(200, 600)));
    ASSERT_TRUE(waitFor([&] { return !outside.isEmpty(); }));
    EXPECT_EQ(outside.count(), 1);
    EXPECT_EQ(outside.first().first().toPoint(), QPoint(200, 600));
}

TEST_F(StatusItemX11Test, ClickingTheIconLeavesAnOpenPanelFocused)
{
    PanelWindow panel;
    panel.setGeometry(500, 40, 300, 200);
    panel.showAndFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel, X11Input::timeoutMs));
    int focusLosses = 0;
    FocusLossObserver observer(panel.windowHandle(), [&] { ++focusLosses; });
    QSignalSpy clicked(&item, &StatusItem::clicked);
    QSignalSpy rightClicked(&item, &StatusItem::rightClicked);

    ASSERT_TRUE(clickAt(icon()));
    ASSERT_TRUE(waitFor([&] { return clicked.count() == 1; }));
    // A later event of the same kind: by then a focus change would have been reported.
    ASSERT_TRUE(clickAt(icon(), 3));
    ASSERT_TRUE(waitFor([&] { return rightClicked.count() == 1; }));
    EXPECT_EQ(focusLosses, 0);
    EXPECT_TRUE(panel.isActiveWindow());
}

TEST_F(StatusItemX11Test, TheColourTheTrayAsksForIsFollowed)
{
    xcb_connection_t* connection =
        qApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    const auto atom = [connection](const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t result = reply->atom;
        std::free(reply);
        return result;
    };
    xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, atom("_NET_SYSTEM_TRAY_S0")), nullptr);
    ASSERT_NE(owner, nullptr);
    const xcb_window_t tray = owner->owner;
    std::free(owner);
    const xcb_atom_t colors = atom("_NET_SYSTEM_TRAY_COLORS");
    const auto publish = [&](uint32_t red, uint32_t green, uint32_t blue) {
        // Foreground, error, warning and success.
        const uint32_t values[12] = {red,    green,  blue, 0xFFFF, 0,      0,
                                     0xFFFF, 0xFFFF, 0,    0,      0xFFFF, 0};
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, tray, colors, XCB_ATOM_CARDINAL, 32,
                            12, values);
        xcb_flush(connection);
    };

    const WindowSystemWatcher& watcher = WindowSystemWatcher::instance();
    publish(0x1111, 0x2222, 0xFFFF);
    EXPECT_TRUE(waitFor([&] { return watcher.trayForeground() == QColor(0x11, 0x22, 0xFF); }));
    publish(0xEEEE, 0xEEEE, 0xEEEE);
    EXPECT_TRUE(waitFor([&] { return watcher.trayForeground() == QColor(0xEE, 0xEE, 0xEE); }));
    xcb_delete_property(connection, tray, colors);
    xcb_flush(connection);
    EXPECT_TRUE(waitFor([&] { return !watcher.trayForeground(); }));
}

TEST_F(StatusItemX11Test, TheBarAroundTheIconIsReadAgainWhenTheIconIsTakenInByAnotherTray)
{
    constexpr int closeEnough = 8;
    for (const QRgb bar : {qRgb(0x20, 0x20, 0x20), qRgb(0xE0, 0xE0, 0xE0)}) {
        stopTray();
        QSignalSpy changed(&item, &StatusItem::barColorChanged);
        ASSERT_NO_FATAL_FAILURE(startTray(bar));
        ASSERT_NO_FATAL_FAILURE(waitForIconInTray());
        EXPECT_TRUE(waitFor([&] {
            return isNear(item.barColor().value_or(QColor()), bar, closeEnough);
        })) << QColor(bar).name().toStdString()
            << " read as " << item.barColor().value_or(QColor()).name().toStdString();
        EXPECT_GE(changed.count(), 1);
    }
}

} // namespace
