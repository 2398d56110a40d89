// The panel on a screen of 720 x 450 points, as a 1440 x 900 screen at scale 2: too short for
// the settings page and for the tallest note. Without a tray icon the panel hangs from the top.
#include "ShellTestFixture.h"

#include "platform/PanelWindow.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

// The screen's height less the notch (9) and the margin that holds the shadow (48).
constexpr qreal roomHeight = 450 - 9 - 48;

class ShortScreenTest : public ShellTestFixture
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 720, 450));
    }

    // Where the body is on the screen.
    QRectF body() const
    {
        return PanelGeometry::bodyRect(m_controller.size(), m_controller.notchEdge())
            .translated(m_controller.panel()->geometry().topLeft());
    }

    // A drag of the bottom-right corner by `moved`, from press to release.
    void drag(QPointF moved)
    {
        const QPointF start(600, 400);
        m_controller.beginResize(start);
        m_controller.resizeDrag(PopoverController::Corner::bottomRight, start + moved);
        m_controller.endResize();
    }
};

TEST_F(ShortScreenTest, EveryPageFitsTheScreenAndTheChosenNoteSizeStaysAsChosen)
{
    const QRectF screen(0, 0, 720, 450);
    m_settings.setPopoverSize(QSizeF(520, 640));
    m_controller.open();
    EXPECT_EQ(m_controller.size(), QSizeF(520, roomHeight));
    EXPECT_TRUE(screen.contains(body()));

    m_controller.openSettings();
    EXPECT_EQ(m_controller.size(), QSizeF(300, roomHeight));
    EXPECT_TRUE(screen.contains(body()));
    m_controller.backToNote();
    EXPECT_EQ(m_controller.size(), QSizeF(520, roomHeight));
    m_controller.close(); // from the settings page
    m_controller.open();
    EXPECT_EQ(m_controller.size(), QSizeF(520, roomHeight));
    EXPECT_EQ(m_settings.popoverSize(), QSizeF(520, 640));

    // A size the screen holds shows as it is.
    m_settings.setPopoverSize(QSizeF(400, 300));
    m_controller.close();
    m_controller.open();
    EXPECT_EQ(m_controller.size(), QSizeF(400, 300));
}

TEST_F(ShortScreenTest, ADragStoresTheSidesItChangedAndNotTheOnesTheScreenHeldBack)
{
    m_settings.setPopoverSize(QSizeF(400, 640));
    m_controller.open();
    drag({10, 0}); // wider only
    EXPECT_EQ(m_settings.popoverSize(), QSizeF(420, 640));
    drag({0, 30}); // further down than the screen lets the panel grow: nothing changes
    EXPECT_EQ(m_settings.popoverSize(), QSizeF(420, 640));
    EXPECT_EQ(m_controller.size(), QSizeF(420, roomHeight));
    drag({0, -35}); // shorter: what the user sees is what is kept
    EXPECT_EQ(m_settings.popoverSize(), QSizeF(420, roomHeight - 35));
    EXPECT_EQ(m_controller.size(), QSizeF(420, roomHeight - 35));
}

} // namespace
