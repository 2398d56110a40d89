#include "app/shell/PanelPlacement.h"

#include <gtest/gtest.h>

namespace {

const QSizeF noteSize{280, 217};
const QRectF screen{0, 0, 1280, 800};

TEST(PanelPlacementTest, HangsCentredUnderTheIconWithTheNotchOnIt)
{
    const QRectF icon(600, 0, 24, 24);
    const PanelPlacement placement = placePanel(noteSize, icon, screen);
    EXPECT_EQ(placement.frame.size(), QSizeF(360, 298));
    EXPECT_DOUBLE_EQ(placement.frame.center().x(), icon.center().x());
    // The notch tip touches one point below the icon: 24 below the frame's top.
    EXPECT_DOUBLE_EQ(placement.frame.top() + 24, icon.bottom() + 1);
    EXPECT_DOUBLE_EQ(placement.notchCenterX, 140);
}

TEST(PanelPlacementTest, KeepsTheBodySixPointsInsideEitherScreenEdge)
{
    const PanelPlacement right = placePanel(noteSize, QRectF(1270, 0, 10, 24), screen);
    EXPECT_DOUBLE_EQ(right.frame.left() + 40 + 280, screen.right() - 6);
    EXPECT_DOUBLE_EQ(right.notchCenterX, 280 - 28);

    const PanelPlacement left = placePanel(noteSize, QRectF(0, 0, 10, 24), screen);
    EXPECT_DOUBLE_EQ(left.frame.left() + 40, screen.left() + 6);
    EXPECT_DOUBLE_EQ(left.notchCenterX, 28);

    // Near, but not at, the edge: the notch still points at the icon.
    const PanelPlacement near = placePanel(noteSize, QRectF(1180, 0, 20, 24), screen);
    EXPECT_DOUBLE_EQ(near.frame.left() + 40 + near.notchCenterX, 1190);
}

TEST(PanelPlacementTest, WhenTheBoundsCrossTheUpperBoundWins)
{
    const QRectF narrow(100, 0, 200, 800);
    const PanelPlacement placement = placePanel(noteSize, QRectF(190, 0, 20, 24), narrow);
    EXPECT_DOUBLE_EQ(placement.frame.left(), narrow.right() - 6 - 40 - 280);
}

TEST(PanelPlacementTest, WithoutAnIconItHangsFromTheTopOfTheScreenOrAFixedPoint)
{
    const PanelPlacement centred = placePanel(noteSize, std::nullopt, screen);
    EXPECT_DOUBLE_EQ(centred.frame.center().x(), 640);
    EXPECT_DOUBLE_EQ(centred.frame.top() + 24, 0);

    const PanelPlacement nowhere = placePanel(noteSize, std::nullopt, std::nullopt);
    EXPECT_DOUBLE_EQ(nowhere.frame.center().x(), 400);
    EXPECT_DOUBLE_EQ(nowhere.notchCenterX, 140);
}

TEST(PanelPlacementTest, ATrayAtTheBottomOfTheScreenLiftsTheBodyOntoIt)
{
    const PanelPlacement placement =
        placePanel(noteSize, QRectF(600, 776, 24, 24), QRectF(0, 0, 1280, 776));
    const qreal bodyBottom = placement.frame.top() + 24 + 9 + 217;
    EXPECT_DOUBLE_EQ(bodyBottom, 776 - 6);
}

} // namespace
