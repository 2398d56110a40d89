#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QSize>

#include <vector>

class QPainter;

// The soft shadows an outline casts, drawn at any size without blurring anything anew. Where
// the outline runs straight, far enough from its corners and notches, every column (or row)
// of its shadow is the same; so the shadows are blurred for a copy of the outline with those
// stretches cut short, and drawn with one column (or row) of each repeated to make up the
// rest. Only a change of the corners, the notches or the layers blurs again.
class OutlineShadow
{
public:
    struct Layer
    {
        QColor color;
        qreal radius;
        QPointF offset;
        bool operator==(const Layer&) const = default;
    };
    // Where along x (for columns) or y (for rows) the outline runs straight across: every
    // column (or row) between `from` and `to` crosses it alike.
    struct Stretch
    {
        qreal from;
        qreal to;
    };

    // Draws the layers' shadows of `outline`, the first lowest, as blurred on a transparent
    // canvas of `canvasSize` at the painter's origin.
    void paint(QPainter& painter, const QPainterPath& outline, QSize canvasSize,
               const std::vector<Layer>& layers, const std::vector<Stretch>& columns,
               const std::vector<Stretch>& rows);

    // Columns (or rows) left out of the copy: the `count` after `at` are drawn as copies of it.
    struct Cut
    {
        int at;
        int count;
        bool operator==(const Cut&) const = default;
    };

private:
    void compose(QSize canvasSize);

    QImage m_copy;
    QPainterPath m_copyOutline;
    std::vector<Layer> m_copyLayers;
    // The shadows at the size last drawn, made up from the copy along these cuts.
    QImage m_shadow;
    std::vector<Cut> m_cutColumns;
    std::vector<Cut> m_cutRows;
};
