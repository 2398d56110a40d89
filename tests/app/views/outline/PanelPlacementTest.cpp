#include "app/views/outline/PanelPlacement.h"

#include <gtest/gtest.h>

namespace {

const QSizeF noteSize{280, 217};
const QRectF wholeScreen{0, 0, 1280, 800};
const ScreenArea screen{wholeScreen, wholeScreen};

// Where the notch's tip is on the screen.
QPointF tip(const PanelPlacement& placement)
{
    const qreal y = placement.notchEdge == NotchEdge::top
                        ? placement.frame.top() + PanelGeometry::topMargin
                        : placement.frame.bottom() - PanelGeometry::topMargin;
    return {placement.frame.left() + PanelGeometry::sideMargin + placement.notchCenterX, y};
}

struct EdgeCase
{
    const char* name;
    QRectF icon;
    QRectF available; // what the tray's strut leaves of the screen
    NotchEdge notchEdge;
    QPointF tip;
};

TEST(PanelPlacementTest, OpensOffTheIconAtEveryEdgeWithTheBodyOnTheUsableScreen)
{
    const EdgeCase cases[] = {
        {"top", {600, 0, 24, 24}, {0, 24, 1280, 776}, NotchEdge::top, {612, 25}},
        {"bottom", {600, 776, 24, 24}, {0, 0, 1280, 776}, NotchEdge::bottom, {612, 775}},
        // Beside a tray at the side, the notch as close to the icon as the corners allow.
        {"left, upper half", {0, 100, 24, 24}, {24, 0, 1256, 800}, NotchEdge::top, {58, 125}},
        {"right, lower half",
         {1256, 700, 24, 24},
         {0, 0, 1256, 800},
         NotchEdge::bottom,
         {1222, 699}},
        {"left, no strut", {0, 300, 24, 24}, wholeScreen, NotchEdge::top, {58, 325}},
        {"top right corner", {1270, 0, 10, 24}, {0, 24, 1280, 776}, NotchEdge::top, {1246, 25}},
        {"top left corner", {0, 0, 10, 24}, {0, 24, 1280, 776}, NotchEdge::top, {34, 25}},
        {"bottom, no strut", {900, 780, 20, 20}, wholeScreen, NotchEdge::bottom, {910, 779}},
        // A corner icon in whole points, a point nearer the side than the top or bottom only
        // for rounding half pixels at scale 2: the bar runs along the long edge still.
        {"top right corner, no strut", {1258, 1, 22, 11}, wholeScreen, NotchEdge::top, {1246, 13}},
        {"bottom right corner, no strut",
         {1258, 788, 22, 11},
         wholeScreen,
         NotchEdge::bottom,
         {1246, 787}},
        // Nearer the left edge than the top, but in the strip a tall top tray reserves; the
        // body keeps its gap below the strip.
        {"tall top tray", {30, 40, 24, 24}, {0, 80, 1280, 720}, NotchEdge::top, {42, 77}},
    };
    for (const EdgeCase& edge : cases) {
        SCOPED_TRACE(edge.name);
        const PanelPlacement placement =
            placePanel(noteSize, edge.icon, ScreenArea{wholeScreen, edge.available});
        EXPECT_EQ(placement.frame.size(), QSizeF(360, 298));
        EXPECT_EQ(placement.notchEdge, edge.notchEdge);
        EXPECT_EQ(tip(placement), edge.tip);
        const QRectF body = PanelGeometry::bodyRect(noteSize, placement.notchEdge)
                                .translated(placement.frame.topLeft());
        EXPECT_FALSE(body.intersects(edge.icon));
        EXPECT_TRUE(edge.available.adjusted(6, 6, -6, -6).contains(body));
    }
}

TEST(PanelPlacementTest, WhenTheBoundsCrossTheUpperBoundWins)
{
    // Narrower than the smallest note: the note keeps that width, and its right edge the gap.
    const QRectF narrow(100, 0, 200, 800);
    const PanelPlacement placement =
        placePanel(noteSize, QRectF(190, 0, 20, 24), ScreenArea{wholeScreen, narrow});
    EXPECT_EQ(placement.noteSize.width(), 240);
    EXPECT_DOUBLE_EQ(placement.frame.left(), narrow.right() - 6 - 40 - 240);
}

// A screen of `pixels` at a scale, with a tray `trayPixels` thick along one edge whose strip is
// reserved, and the tray's icon at the right end of it; in the points the panel is placed in.
struct ShortScreen
{
    const char* name;
    QSize pixels;
    qreal scale;
    TrayEdge tray;
    QSizeF wanted;
    QSizeF shown;
};

TEST(PanelPlacementTest, TheNoteShrinksToTheRoomBetweenTheTrayAndTheFarEdgeOfTheScreen)
{
    constexpr qreal trayPixels = 24;
    const QSizeF settingsPage(300, 560);
    const ShortScreen cases[] = {
        // 450 points less the tray (12), the tip's point, the notch (9) and the shadow's
        // margin (48).
        {"1440x900 at 2, top", {1440, 900}, 2, TrayEdge::top, settingsPage, {300, 380}},
        {"1440x900 at 2, bottom", {1440, 900}, 2, TrayEdge::bottom, settingsPage, {300, 380}},
        {"1920x1080 at 2, top", {1920, 1080}, 2, TrayEdge::top, settingsPage, {300, 470}},
        {"1280x800 at 1.25, bottom", {1280, 800}, 1.25, TrayEdge::bottom, {520, 640}, {520, 562.8}},
        // Room enough: the note as asked for.
        {"1920x1080 at 1, top", {1920, 1080}, 1, TrayEdge::top, {520, 640}, {520, 640}},
        {"1920x1080 at 2, bottom, note", {1920, 1080}, 2, TrayEdge::bottom, noteSize, noteSize},
        // Too narrow for the widest note, and too short for even the smallest one.
        {"800x600 at 2, top", {800, 600}, 2, TrayEdge::top, {520, 640}, {388, 230}},
        {"640x300 at 2, bottom", {640, 300}, 2, TrayEdge::bottom, {520, 640}, {308, 180}},
    };
    for (const ShortScreen& example : cases) {
        SCOPED_TRACE(example.name);
        const QRectF whole(QPointF(0, 0), QSizeF(example.pixels) / example.scale);
        const qreal tray = trayPixels / example.scale;
        const bool top = example.tray == TrayEdge::top;
        const QRectF free = whole.adjusted(0, top ? tray : 0, 0, top ? 0 : -tray);
        const QRectF icon(whole.right() - tray, top ? 0 : whole.bottom() - tray, tray, tray);

        const PanelPlacement placement = placePanel(example.wanted, icon, ScreenArea{whole, free});
        EXPECT_EQ(placement.noteSize, example.shown);
        EXPECT_EQ(placement.frame.size(), PanelGeometry::frameSize(example.shown));
        const QRectF body = PanelGeometry::bodyRect(placement.noteSize, placement.notchEdge)
                                .translated(placement.frame.topLeft());
        if (example.shown.height() > 180) {
            EXPECT_FALSE(body.intersects(icon));
            EXPECT_TRUE(free.adjusted(6, 6, -6, -6).contains(body));
            // All of the window but the margin beyond the notch, which lies over the tray.
            const QRectF far = top ? placement.frame.adjusted(0, 24, 0, 0)
                                   : placement.frame.adjusted(0, 0, 0, -24);
            EXPECT_GE(far.top(), free.top());
            EXPECT_LE(far.bottom(), free.bottom());
        } else { // the header stays on the screen, the notch leaving the icon
            EXPECT_EQ(body.top(), free.top() + 6);
        }
    }
}

// A corner drag on a panel hanging from a top tray, the icon at `iconX`.
struct DragCase
{
    const char* name;
    qreal iconX;
    bool leftHandle;
    qreal startWidth;
    qreal lastWidth; // after the longest move
};

TEST(PanelPlacementTest, ADraggedSideFollowsThePointerWhereverTheScreenHoldsTheOtherOne)
{
    const ScreenArea top{wholeScreen, {0, 24, 1280, 776}};
    const DragCase cases[] = {
        // Centred: both sides move, the width by twice the move.
        {"centred tray, right handle", 640, false, 280, 280 + 2 * 60},
        {"centred tray, left handle", 640, true, 280, 280 + 2 * 60},
        // At a screen end the far side is held: the width follows the move alone.
        {"icon at the right end, left handle", 1268, true, 280, 280 + 60},
        {"icon at the left end, right handle", 12, false, 280, 280 + 60},
        // Centred at first, until the growing body meets the screen's edge.
        {"icon near the right end, left handle", 1100, true, 280, 280 + 2 * 34 + 26},
    };
    for (const DragCase& drag : cases) {
        SCOPED_TRACE(drag.name);
        const QRectF icon(drag.iconX - 10, 0, 20, 24);
        const auto body = [&](qreal width) {
            const PanelPlacement placement = placePanel({width, 217}, icon, top);
            return PanelGeometry::bodyRect(placement.noteSize, placement.notchEdge)
                .translated(placement.frame.topLeft());
        };
        const QRectF start = body(drag.startWidth);
        for (const qreal outwards : {-20.0, 10.0, 30.0, 60.0}) {
            SCOPED_TRACE(outwards);
            const qreal width = draggedWidth(drag.startWidth, outwards, icon, top);
            const QRectF moved = body(width);
            if (drag.leftHandle)
                EXPECT_DOUBLE_EQ(moved.left(), start.left() - outwards);
            else
                EXPECT_DOUBLE_EQ(moved.right(), start.right() + outwards);
        }
        EXPECT_DOUBLE_EQ(draggedWidth(drag.startWidth, 60, icon, top), drag.lastWidth);
    }
}

TEST(PanelPlacementTest, ASideTheScreenHoldsStaysAndTheWidthFollowsTheMoveAlone)
{
    // The icon at the right end: the right handle's side cannot follow the pointer.
    const QRectF icon(1258, 0, 20, 24);
    const ScreenArea top{wholeScreen, {0, 24, 1280, 776}};
    EXPECT_DOUBLE_EQ(draggedWidth(300, 5, icon, top), 305);
    EXPECT_DOUBLE_EQ(draggedWidth(300, -40, icon, top), 260);
    // Without a screen nothing holds either side.
    EXPECT_DOUBLE_EQ(draggedWidth(300, 5, icon, std::nullopt), 310);
}

TEST(PanelPlacementTest, WithoutAnIconItHangsFromTheTopOfTheScreenOrAFixedPoint)
{
    const PanelPlacement centred = placePanel(noteSize, std::nullopt, screen);
    EXPECT_EQ(tip(centred), QPointF(640, 0));
    EXPECT_EQ(centred.notchEdge, NotchEdge::top);

    const PanelPlacement nowhere = placePanel(noteSize, std::nullopt, std::nullopt);
    EXPECT_EQ(tip(nowhere), QPointF(400, 0));
}

TEST(PanelPlacementTest, TheOutlineOfAPanelStandingAboveTheIconIsMirrored)
{
    const QSizeF frame = PanelGeometry::frameSize(noteSize);
    const QPainterPath below = PanelGeometry::outline(noteSize, 140, NotchEdge::top);
    const QPainterPath above = PanelGeometry::outline(noteSize, 140, NotchEdge::bottom);
    const QPointF nearTopTip(180, 24 + 2);
    EXPECT_TRUE(below.contains(nearTopTip));
    EXPECT_FALSE(above.contains(nearTopTip));
    EXPECT_TRUE(above.contains(QPointF(180, frame.height() - 24 - 2)));
    EXPECT_EQ(PanelGeometry::bodyRect(noteSize, NotchEdge::bottom),
              QRectF(40, frame.height() - 24 - 9 - 217, 280, 217));
}

} // namespace
