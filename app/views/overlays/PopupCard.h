#pragma once

#include "app/views/outline/OutlineShadow.h"

#include <QPainterPath>
#include <QPointF>
#include <QWidget>

class Appearance;

// A small card floating over the note page (the note list, the colour picker): an opaque
// rounded surface in the raised-surface colour with a 1-point border and two shadows. The
// widget reaches past the card by its shadows; a press there is left to the widget below.
class PopupCard : public QWidget
{
    Q_OBJECT

public:
    struct Shadow
    {
        qreal radius;
        QPointF offset;
    };
    struct Style
    {
        qreal cornerRadius;
        Shadow soft;
        Shadow tight;
    };

    PopupCard(const Style& style, const Appearance& appearance, QWidget* parent = nullptr);

    // Room around the card for its shadows.
    QMargins shadowMargins() const;
    // The card itself, in the widget's coordinates.
    QRect cardRect() const { return rect() - shadowMargins(); }
    // Places the widget so that the card has this geometry in the parent.
    void setCardGeometry(const QRect& card);
    // The card's outline, in the widget's coordinates.
    QPainterPath cardOutline() const;

protected:
    const Appearance& appearance() const { return m_appearance; }
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    Style m_style;
    const Appearance& m_appearance;
    OutlineShadow m_shadow;
};
