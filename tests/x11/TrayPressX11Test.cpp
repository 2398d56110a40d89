#include "app/shell/ShellTestFixture.h"

#include "platform/PanelWindow.h"
#include "platform/StatusItem.h"

#include "X11Input.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Where a desktop that draws the tray itself shows the icon: it does not tell where, and the
// press on it reaches the panel as a press elsewhere.
constexpr QPoint desktopDrawnIcon(40, 760);

class TrayPressX11Test : public ShellTestFixture
{};

// The press closes the panel, and the icon's click from that same press does not open it again.
TEST_F(TrayPressX11Test, APressOnAnIconOfUnknownPlaceClosesTheOpenPanelOnce)
{
    StatusItem item(m_clock);
    m_controller.setStatusItem(&item);
    QSignalSpy clicked(&item, &StatusItem::clicked);
    m_controller.open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_controller.panel()));

    ASSERT_TRUE(X11Input::clickAt(desktopDrawnIcon));
    ASSERT_TRUE(X11Input::waitFor([this] {
        nextTurn();
        return !m_controller.isOpen();
    })) << "the press to close the panel";
    Q_EMIT item.trayIcon()->activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(clicked.count(), 0);
}

} // namespace
