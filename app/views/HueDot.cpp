#include "HueDot.h"

#include "app/views/Theme.h"

#include <QPainter>

HueDot::HueDot(Hue hue, QWidget* parent)
    : QWidget(parent)
    , m_hue(hue)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(diameter, diameter);
}

void HueDot::setHue(Hue hue)
{
    if (hue == m_hue)
        return;
    m_hue = hue;
    update();
}

QColor HueDot::fillColor(Hue hue)
{
    return hue == Hue::white ? QColor(Qt::white) : Theme::hueAccent(int(hue));
}

QColor HueDot::ringColor(Hue hue)
{
    return hue == Hue::white ? Theme::hueAccent(int(hue)) : QColor(Qt::transparent);
}

void HueDot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF dot(0, 0, diameter, diameter);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fillColor(m_hue));
    painter.drawEllipse(dot);
    // Stroked along the inside of the edge.
    QPen ring(ringColor(m_hue), ringWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    ring.setMiterLimit(10);
    painter.setPen(ring);
    painter.setBrush(Qt::NoBrush);
    const qreal half = ringWidth / 2;
    painter.drawEllipse(dot.adjusted(half, half, -half, -half));
}
