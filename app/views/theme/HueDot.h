#pragma once

#include "app/notes/Hue.h"

#include <QWidget>

class QPainter;

// A 9-point dot in a note colour. White gets a thin grey ring so it shows on a white page; the
// dot looks the same in light and dark. Draws only.
class HueDot : public QWidget
{
    Q_OBJECT

public:
    static constexpr int diameter = 9;
    static constexpr qreal ringWidth = 1;

    explicit HueDot(Hue hue, QWidget* parent = nullptr);

    Hue hue() const { return m_hue; }
    void setHue(Hue hue);

    static QColor fillColor(Hue hue);
    // Transparent for every hue but white.
    static QColor ringColor(Hue hue);
    // Draws the dot with its top-left corner at `topLeft`, for views that draw rows of them.
    static void paint(QPainter& painter, QPointF topLeft, Hue hue);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Hue m_hue;
};
