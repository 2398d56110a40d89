#include "PanelPlacement.h"

#include "app/notes/AppSettings.h"
#include "app/views/outline/PopoverShape.h"

#include <QTransform>

#include <algorithm>

namespace {
// Where the panel hangs when neither an anchor nor a screen is known.
constexpr QPointF fallbackAnchor{400, 0};

// How much nearer one screen edge an icon's rectangle may seem than another for no reason but
// its rounding to whole points: half a point at its near edges, a point at its far ones.
constexpr qreal iconRounding = 1.5;

// Bottom margin, notch and body, from the window's top to the body's top when mirrored.
constexpr qreal mirroredBodyTop = PanelGeometry::bottomMargin;

// Where on the screen the body may lie: the usable area less the gap along its edges, beside a
// tray at the side, and between the notch's tip and the far edge.
QRectF bodyRoom(const QRectF& free, const QRectF& icon, TrayEdge edge, bool standsAbove, qreal tipY)
{
    using namespace PanelGeometry;
    QRectF room = free.adjusted(screenEdgeGap, screenEdgeGap, -screenEdgeGap, -screenEdgeGap);
    if (edge == TrayEdge::left)
        room.setLeft(std::max(room.left(), icon.right() + screenEdgeGap));
    else if (edge == TrayEdge::right)
        room.setRight(std::min(room.right(), icon.left() - screenEdgeGap));
    if (standsAbove) {
        room.setTop(free.top() + bottomMargin);
        room.setBottom(std::min(room.bottom(), tipY - notchHeight));
    } else {
        room.setBottom(free.bottom() - bottomMargin);
        room.setTop(std::max(room.top(), tipY + notchHeight));
    }
    return room;
}

// As much of `wanted` as the room holds, but no less than the smallest note.
qreal fitted(qreal wanted, qreal room, qreal smallest)
{
    return std::min(wanted, std::max(room, smallest));
}

} // namespace

namespace PanelGeometry {

QRectF bodyRect(QSizeF noteSize, NotchEdge edge)
{
    const qreal top = edge == NotchEdge::top ? topMargin + notchHeight : mirroredBodyTop;
    return {QPointF(sideMargin, top), noteSize};
}

QRectF shadowArea(QSizeF noteSize, NotchEdge edge)
{
    const QSizeF frame = frameSize(noteSize);
    const qreal top = edge == NotchEdge::top ? topMargin : 0;
    return {0, top, frame.width(), frame.height() - topMargin};
}

QPainterPath outline(QSizeF noteSize, qreal notchCenterX, NotchEdge edge, qreal inset)
{
    const PopoverShape shape{notchCenterX, cornerRadius, notchWidth, notchHeight, 0};
    const QRectF rect(sideMargin, topMargin, noteSize.width(), noteSize.height() + notchHeight);
    const QPainterPath path = shape.inset(inset).path(rect);
    if (edge == NotchEdge::top)
        return path;
    const qreal height = frameSize(noteSize).height();
    return QTransform(1, 0, 0, -1, 0, height).map(path);
}

} // namespace PanelGeometry

TrayEdge trayEdge(const QRectF& icon, const ScreenArea& screen)
{
    const QRectF& all = screen.geometry;
    const QRectF& free = screen.available;
    // A tray that reserves its strip says where it is.
    if (icon.bottom() <= free.top() && free.top() > all.top())
        return TrayEdge::top;
    if (icon.top() >= free.bottom() && free.bottom() < all.bottom())
        return TrayEdge::bottom;
    if (icon.right() <= free.left() && free.left() > all.left())
        return TrayEdge::left;
    if (icon.left() >= free.right() && free.right() < all.right())
        return TrayEdge::right;

    // Ties go to the top, then the bottom: trays lie along the long edges more often. An icon
    // in a corner is as near one edge as the other, but for its rectangle's rounding to whole
    // points: so a side wins only when it is nearer by more than that.
    const qreal top = icon.top() - all.top();
    const qreal bottom = all.bottom() - icon.bottom();
    const qreal side = std::min(icon.left() - all.left(), all.right() - icon.right());
    if (std::min(top, bottom) <= side + iconRounding)
        return top <= bottom ? TrayEdge::top : TrayEdge::bottom;
    return icon.left() - all.left() <= all.right() - icon.right() ? TrayEdge::left
                                                                  : TrayEdge::right;
}

namespace {

// What the panel is placed against: the icon, or the point that stands in for it, and the room
// the screen leaves the body around it.
struct Surroundings
{
    QRectF icon;
    bool standsAbove;
    qreal tipY; // the notch's tip
    std::optional<QRectF> room;
};

Surroundings surroundings(std::optional<QRectF> anchor, std::optional<ScreenArea> screen)
{
    QRectF icon(fallbackAnchor, QSizeF(0, 0));
    if (anchor)
        icon = *anchor;
    else if (screen)
        icon =
            QRectF(QPointF(screen->available.center().x(), screen->available.top()), QSizeF(0, 0));

    const TrayEdge edge = anchor && screen ? trayEdge(icon, *screen) : TrayEdge::top;
    // Beside a tray at the side the panel opens towards the larger part of the screen.
    const bool standsAbove =
        edge == TrayEdge::bottom ||
        (edge != TrayEdge::top && screen && icon.center().y() > screen->geometry.center().y());

    // The notch's tip is one point off the icon, or at the point that stands in for it.
    qreal tipY = icon.top();
    if (anchor)
        tipY = standsAbove ? icon.top() - 1 : icon.bottom() + 1;

    std::optional<QRectF> room;
    if (screen)
        room = bodyRoom(screen->available, icon, edge, standsAbove, tipY);
    return {icon, standsAbove, tipY, room};
}

} // namespace

PanelPlacement placePanel(QSizeF noteSize, std::optional<QRectF> anchor,
                          std::optional<ScreenArea> screen)
{
    using namespace PanelGeometry;
    const auto [icon, standsAbove, tipY, room] = surroundings(anchor, screen);
    const NotchEdge notchEdge = standsAbove ? NotchEdge::bottom : NotchEdge::top;

    QSizeF size = noteSize;
    if (room)
        size = {fitted(noteSize.width(), room->width(), AppSettings::minimumPopoverWidth),
                fitted(noteSize.height(), room->height(), AppSettings::minimumPopoverHeight)};
    const QSizeF frame = frameSize(size);
    qreal y = standsAbove ? tipY + topMargin - frame.height() : tipY - topMargin;
    qreal x = icon.center().x() - frame.width() / 2;

    if (room) {
        const qreal lower = room->left() - sideMargin;
        const qreal upper = room->right() - sideMargin - size.width();
        x = std::min(std::max(x, lower), upper);

        // On a screen too short even for the smallest note the body stays on it, even if the
        // notch then no longer touches the icon; its top, with the header, above all.
        const QRectF& free = screen->available;
        const qreal bodyTop = bodyRect(size, notchEdge).top();
        y = std::max(std::min(y, free.bottom() - screenEdgeGap - size.height() - bodyTop),
                     free.top() + screenEdgeGap - bodyTop);
    }
    const qreal notchCenterX = std::min(std::max(icon.center().x() - (x + sideMargin), notchInset),
                                        size.width() - notchInset);
    return {QRectF(QPointF(x, y), frame), size, notchCenterX, notchEdge};
}

qreal draggedWidth(qreal startWidth, qreal outwards, std::optional<QRectF> anchor,
                   std::optional<ScreenArea> screen)
{
    const Surroundings around = surroundings(anchor, screen);
    const std::optional<QRectF>& room = around.room;
    if (!room)
        return startWidth + 2 * outwards;
    // Up to this width the body lies centred under the icon and both its sides move; past it
    // the screen holds one side and only the other one moves.
    const qreal iconX = around.icon.center().x();
    const qreal centred = std::max(0.0, 2 * std::min(iconX - room->left(), room->right() - iconX));
    // How far the pointer moves a side out to widen the body from nothing to `width`.
    const auto reach = [centred](qreal width) {
        return width <= centred ? width / 2 : width - centred / 2;
    };
    const qreal moved = reach(startWidth) + outwards;
    return moved <= centred / 2 ? 2 * moved : moved + centred / 2;
}
