#include "app/views/outline/PopoverShape.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <vector>

static void PrintTo(const QPointF& point, std::ostream* out)
{
    *out << "(" << point.x() << ", " << point.y() << ")";
}

namespace {

const QRectF panelRect(0, 0, 280, 226);

PopoverShape panelShape(qreal notchCenterX)
{
    PopoverShape shape;
    shape.notchCenterX = notchCenterX;
    return shape;
}

std::vector<QPointF> points(const QPainterPath& path, int first, int count)
{
    std::vector<QPointF> result;
    for (int i = first; i < first + count; ++i)
        result.emplace_back(path.elementAt(i).x, path.elementAt(i).y);
    return result;
}

MATCHER_P2(IsPoint, x, y, "")
{
    return qAbs(arg.x() - x) < 1e-9 && qAbs(arg.y() - y) < 1e-9;
}

TEST(PopoverShapeTest, TheNotchTopEdgeAndRoundedBodyRunThroughTheGivenPoints)
{
    const QPainterPath path = panelShape(140).path(panelRect);
    ASSERT_GE(path.elementCount(), 9);
    EXPECT_TRUE(path.elementAt(0).isMoveTo());
    EXPECT_THAT(points(path, 0, 2), testing::ElementsAre(IsPoint(12, 9), IsPoint(124, 9)));
    EXPECT_EQ(path.elementAt(2).type, QPainterPath::CurveToElement);
    EXPECT_THAT(points(path, 2, 7),
                testing::ElementsAre(IsPoint(131.2, 9), IsPoint(137, 0), IsPoint(140, 0),
                                     IsPoint(143, 0), IsPoint(148.8, 9), IsPoint(156, 9),
                                     IsPoint(268, 9)));
    EXPECT_EQ(path.fillRule(), Qt::WindingFill);
    EXPECT_EQ(path.boundingRect(), QRectF(0, 0, 280, 226));
    // Corners are rounded with radius 12: the very corner is outside, a point on the diagonal
    // inside the arc is inside.
    EXPECT_FALSE(path.contains(QPointF(0.5, 225.5)));
    EXPECT_FALSE(path.contains(QPointF(279.5, 9.5)));
    EXPECT_TRUE(path.contains(QPointF(12 - 8, 226 - 12 + 8 - 1)));
    EXPECT_TRUE(path.contains(QPointF(4, 120)));
}

TEST(PopoverShapeTest, AnInsetCopyKeepsTheTipOverTheSameSpot)
{
    const PopoverShape inset = panelShape(140).inset(0.5);
    EXPECT_DOUBLE_EQ(inset.insetAmount, 0.5);
    EXPECT_DOUBLE_EQ(inset.cornerRadius, 12);
    const QPainterPath path = inset.path(panelRect);
    EXPECT_THAT(points(path, 0, 2), testing::ElementsAre(IsPoint(12, 9.5), IsPoint(124, 9.5)));
    EXPECT_THAT(points(path, 4, 1), testing::ElementsAre(IsPoint(140, 0.8)));
    EXPECT_EQ(path.boundingRect(), QRectF(0.5, 0.8, 279, 225.2 - 0.5));
    EXPECT_DOUBLE_EQ(inset.inset(0.25).insetAmount, 0.75);
}

TEST(PopoverShapeTest, TheNotchAtEitherBoundMeetsTheCornerArcWithoutAStraightPiece)
{
    const QPainterPath path = panelShape(28).path(panelRect);
    // The notch's first curve starts right at the start point, where the corner arc ends.
    EXPECT_THAT(points(path, 0, 1), testing::ElementsAre(IsPoint(12, 9)));
    EXPECT_EQ(path.elementAt(1).type, QPainterPath::CurveToElement);
    EXPECT_THAT(points(path, 3, 1), testing::ElementsAre(IsPoint(28, 0)));
    const QPainterPath::Element closing = path.elementAt(path.elementCount() - 1);
    EXPECT_THAT(std::vector<QPointF>{closing}, testing::ElementsAre(IsPoint(12, 9)));

    // At the highest bound the notch ends where the right corner arc begins, not with a line.
    const QPainterPath right = panelShape(280 - 28).path(panelRect);
    EXPECT_THAT(points(right, 7, 1), testing::ElementsAre(IsPoint(268, 9)));
    EXPECT_EQ(right.elementAt(8).type, QPainterPath::CurveToElement);
    EXPECT_TRUE(right.contains(QPointF(252, 1)));
}

TEST(PopoverShapeTest, ContainsFollowsTheNotch)
{
    const PopoverShape shape = panelShape(140);
    EXPECT_TRUE(shape.contains(panelRect, QPointF(140, 0.5)));  // just under the tip
    EXPECT_FALSE(shape.contains(panelRect, QPointF(124, 1)));   // beside the tip, above the edge
    EXPECT_FALSE(shape.contains(panelRect, QPointF(160, 5)));   // past the notch's base
    EXPECT_TRUE(shape.contains(panelRect, QPointF(160, 10)));   // just inside the top edge
    EXPECT_FALSE(shape.contains(panelRect, QPointF(1, 10)));    // outside the top-left corner
    EXPECT_FALSE(shape.contains(panelRect, QPointF(279, 225))); // outside the bottom-right one
    EXPECT_FALSE(shape.contains(panelRect, QPointF(300, 100)));
    // The shape moves with the rectangle.
    const QRectF placed(40, 24, 280, 226);
    EXPECT_TRUE(shape.contains(placed, QPointF(180, 24.5)));
    EXPECT_FALSE(shape.contains(placed, QPointF(140, 24.5)));
    EXPECT_EQ(shape.path(placed).boundingRect(), placed);
}

TEST(PopoverShapeTest, AnAnimationMovesTheNotchAloneAndTheOutlineFollowsIt)
{
    PopoverShape shape = panelShape(140).inset(0.5);
    EXPECT_DOUBLE_EQ(shape.animatableData(), 140);
    shape.setAnimatableData(200);
    EXPECT_EQ(shape.path(panelRect), panelShape(200).inset(0.5).path(panelRect));
}

} // namespace
