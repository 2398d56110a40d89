#pragma once

#include <QEasingCurve>
#include <QPointF>

#include <chrono>

// How a change of state should look: the curve and duration travel with the change, so the
// views that redraw for it only decide what enters and what leaves.
struct Animation
{
    QEasingCurve curve{QEasingCurve::Linear};
    std::chrono::milliseconds duration{0};

    bool isNone() const { return duration.count() == 0; }

    static Animation none() { return {}; }
    static Animation easeIn(std::chrono::milliseconds duration)
    {
        return {QEasingCurve(QEasingCurve::InQuad), duration};
    }
    static Animation easeOut(std::chrono::milliseconds duration)
    {
        return {QEasingCurve(QEasingCurve::OutQuad), duration};
    }
    static Animation easeInOut(std::chrono::milliseconds duration)
    {
        return {QEasingCurve(QEasingCurve::InOutQuad), duration};
    }
    // A cubic Bézier timing curve through (0, 0), the two control points and (1, 1).
    static Animation timingCurve(qreal x1, qreal y1, qreal x2, qreal y2,
                                 std::chrono::milliseconds duration)
    {
        QEasingCurve curve(QEasingCurve::BezierSpline);
        curve.addCubicBezierSegment(QPointF(x1, y1), QPointF(x2, y2), QPointF(1, 1));
        return {curve, duration};
    }
};
