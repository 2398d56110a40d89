#include "platform/StatusItem.h"

#include "support/LogCapture.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

class StatusItemTest : public testing::Test
{
protected:
    ManualClock clock;
    StatusItem item{clock};
    QSignalSpy clicked{&item, &StatusItem::clicked};
    QSignalSpy rightClicked{&item, &StatusItem::rightClicked};

    void clickAt(const QPoint& position, QSystemTrayIcon::ActivationReason reason)
    {
        QCursor::setPos(position);
        Q_EMIT item.trayIcon()->activated(reason);
    }
};

TEST_F(StatusItemTest, LeftAndRightClicksAreToldApartAndTheLastOneAnchorsThePanel)
{
    clickAt(QPoint(500, 10), QSystemTrayIcon::Trigger);
    clickAt(QPoint(500, 10), QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(clicked.count(), 2);
    EXPECT_EQ(rightClicked.count(), 0);
    clickAt(QPoint(500, 10), QSystemTrayIcon::Context);
    clickAt(QPoint(500, 10), QSystemTrayIcon::MiddleClick);
    EXPECT_EQ(clicked.count(), 2);
    EXPECT_EQ(rightClicked.count(), 1);
    EXPECT_EQ(item.anchorGeometry(), QRect(500, 10, 1, 1));
}

TEST_F(StatusItemTest, WithoutTrayGeometryOrAClickTheAnchorIsTheTopRight)
{
    ASSERT_TRUE(QGuiApplication::primaryScreen());
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(item.anchorGeometry(), QRect(available.right(), available.top(), 1, 1));
    EXPECT_EQ(item.screen(), QGuiApplication::primaryScreen());
}

TEST_F(StatusItemTest, OnlyTheIconsClickFromAPressThatAlreadyClosedThePanelIsSwallowed)
{
    EXPECT_FALSE(item.handlesOutsidePress(QPoint(400, 8)));
    clock.advance(200ms);
    clickAt(QPoint(401, 8), QSystemTrayIcon::Trigger);
    EXPECT_EQ(clicked.count(), 0);
    // Only that one click.
    clickAt(QPoint(401, 8), QSystemTrayIcon::Trigger);
    EXPECT_EQ(clicked.count(), 1);

    // Not a click elsewhere, later, or after a right click.
    item.handlesOutsidePress(QPoint(100, 400));
    clickAt(QPoint(400, 8), QSystemTrayIcon::Trigger);
    EXPECT_EQ(clicked.count(), 2);

    item.handlesOutsidePress(QPoint(400, 8));
    clock.advance(StatusItem::samePressWindow + 1ms);
    clickAt(QPoint(400, 8), QSystemTrayIcon::Trigger);
    EXPECT_EQ(clicked.count(), 3);

    item.handlesOutsidePress(QPoint(400, 8));
    clickAt(QPoint(400, 8), QSystemTrayIcon::Context);
    clickAt(QPoint(400, 8), QSystemTrayIcon::Trigger);
    EXPECT_EQ(clicked.count(), 4);
}

TEST_F(StatusItemTest, WithoutATrayOneLineIsLoggedAndNothingFails)
{
    ASSERT_FALSE(item.isTrayAvailable()) << "the offscreen platform has no tray";
    LogCapture log;
    item.show();
    EXPECT_EQ(log.matching(QStringLiteral("no system tray")).size(), 1);
}

TEST_F(StatusItemTest, TheMenuPopsUpAtTheLastClick)
{
    QMenu menu;
    menu.addAction(QStringLiteral("Quit Quillory"));
    clickAt(QPoint(300, 4), QSystemTrayIcon::Context);
    item.popUpMenu(&menu);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.pos(), QPoint(300, 4));
    menu.close();
}

} // namespace
