#include "PopoverShape.h"

namespace {

// Where the notch's sides leave the top edge, as a share of half its base, and how far either
// side of the tip their rounding starts.
constexpr qreal notchShoulder = 0.55;
constexpr qreal tipRounding = 3;
// How much of the inset the tip moves down, so an inset border still meets the tip.
constexpr qreal tipInsetShare = 0.6;

// Angles of QPainterPath::arcTo, in degrees counter-clockwise from three o'clock.
constexpr qreal right = 0;
constexpr qreal up = 90;
constexpr qreal left = 180;
constexpr qreal down = 270;
constexpr qreal quarterClockwise = -90;

} // namespace

QPainterPath PopoverShape::path(const QRectF& rect) const
{
    const qreal i = insetAmount;
    const qreal r = cornerRadius - i;
    const qreal h = notchHeight;
    const QRectF body(rect.x() + i, rect.y() + i + h, rect.width() - 2 * i,
                      rect.height() - h - 2 * i);
    const qreal top = body.top();
    const qreal cx = rect.x() + notchCenterX;
    const qreal b = notchWidth * 0.5;
    const qreal tipY = top - h + tipInsetShare * i;
    const QSizeF corner(2 * r, 2 * r);

    QPainterPath outline;
    outline.setFillRule(Qt::WindingFill);
    outline.moveTo(body.left() + r, top);
    outline.lineTo(cx - b, top);
    outline.cubicTo(cx - notchShoulder * b, top, cx - tipRounding, tipY, cx, tipY);
    outline.cubicTo(cx + tipRounding, tipY, cx + notchShoulder * b, top, cx + b, top);
    outline.lineTo(body.right() - r, top);
    outline.arcTo(QRectF(QPointF(body.right() - 2 * r, top), corner), up, quarterClockwise);
    outline.lineTo(body.right(), body.bottom() - r);
    outline.arcTo(QRectF(QPointF(body.right() - 2 * r, body.bottom() - 2 * r), corner), right,
                  quarterClockwise);
    outline.lineTo(body.left() + r, body.bottom());
    outline.arcTo(QRectF(QPointF(body.left(), body.bottom() - 2 * r), corner), down,
                  quarterClockwise);
    outline.lineTo(body.left(), top + r);
    outline.arcTo(QRectF(QPointF(body.left(), top), corner), left, quarterClockwise);
    outline.closeSubpath();
    return outline;
}

PopoverShape PopoverShape::inset(qreal amount) const
{
    PopoverShape copy = *this;
    copy.insetAmount += amount;
    return copy;
}

bool PopoverShape::contains(const QRectF& rect, const QPointF& point) const
{
    return path(rect).contains(point);
}
