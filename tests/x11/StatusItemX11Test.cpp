#include "platform/FocusLossObserver.h"
#include "platform/GlobalClickMonitor.h"
#include "platform/PanelWindow.h"
#include "platform/StatusItem.h"

#include "X11Input.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QProcess>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

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
constexpr int trayHeight = 24;
// Wide enough for the icon from the start, so the tray never moves it once it is in.
constexpr int trayWidth = 96;

// Wholly on screen too: the tray grows to make room for the icon a moment after taking it in.
bool isInTopRightCorner(const QRect& rect)
{
    return QRect(QPoint(0, 0), screenSize).contains(rect) && rect.top() < trayHeight &&
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
        tray.start(QStringLiteral("trayer"),
                   {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                    QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("pixel"),
                    QStringLiteral("--width"), QString::number(trayWidth),
                    QStringLiteral("--height"), QString::number(trayHeight),
                    QStringLiteral("--SetDockType"), QStringLiteral("true")});
        ASSERT_TRUE(tray.waitForStarted(X11Input::timeoutMs));
        ASSERT_TRUE(waitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }));
        item.setIcon(squareIcon());
        item.setAccessibilityLabel(QStringLiteral("Quillory"));
        item.show();
        // The tray takes the icon in a moment after it appears; it docks at the top right.
        ASSERT_TRUE(waitFor([this] {
            // Seen by the server and by Qt, which learns of the tray mapping it a moment later.
            const QWidget* window = iconWindow();
            return window && X11Input::isViewable(*window) && window->windowHandle()->isExposed() &&
                   isInTopRightCorner(item.anchorGeometry());
        })) << "the icon is at "
            << item.anchorGeometry().x() << ", " << item.anchorGeometry().y();
    }

    void TearDown() override
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

} // namespace
