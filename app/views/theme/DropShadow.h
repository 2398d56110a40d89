#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>

// A soft shadow of a shape: the shape filled with `color`, moved by `offset` and blurred by
// `radius`, on a transparent canvas of `canvasSize`. Drawn once per shape and reused.
QImage renderDropShadow(const QPainterPath& shape, QSize canvasSize, const QColor& color,
                        qreal radius, QPointF offset);
// How many pixels beyond the shape's edge its blur reaches, before the offset.
int dropShadowReach(qreal radius);
