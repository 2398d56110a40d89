#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QRectF>

// The panel's outline: a rounded rectangle with a small notch on its top edge pointing up at
// the tray icon. Drawn, filled and clipped by the panel's content, and used to decide which
// clicks land on the panel, so what is visible and what is clickable agree.
struct PopoverShape
{
    // x of the notch's tip from the left edge of the drawing rectangle (not of the inset body).
    // Not clamped here: the panel keeps it clear of the rounded corners.
    qreal notchCenterX = 0;
    qreal cornerRadius = 12;
    qreal notchWidth = 32;
    qreal notchHeight = 9;
    qreal insetAmount = 0;

    // What an animation of the shape moves: the notch alone; the other fields jump.
    qreal animatableData() const { return notchCenterX; }
    void setAnimatableData(qreal value) { notchCenterX = value; }

    // The closed outline in `rect`, with the winding fill rule.
    QPainterPath path(const QRectF& rect) const;
    // A copy drawn `amount` further inside, for borders that must lie within the outline.
    PopoverShape inset(qreal amount) const;
    bool contains(const QRectF& rect, const QPointF& point) const;
};
