#include "HueDot.h"

#include "app/views/theme/Theme.h"
#include "platform/MainThread.h"

#include <QPainter>

HueDot::HueDot(Hue hue, QWidget* parent)
    : QWidget(parent)
    , m_hue(hue)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(diameter, diameter);
}

void HueDot::setHue(Hue hue)
{
    QUILLORY_ASSERT_MAIN_THREAD();
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
    paint(painter, QPointF(0, 0), m_hue);
}

void HueDot::paint(QPainter& painter, QPointF topLeft, Hue hue)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF dot(topLeft, QSizeF(diameter, diameter));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fillColor(hue));
    painter.drawEllipse(dot);
    // Stroked along the inside of the edge.
    QPen ring(ringColor(hue), ringWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    ring.setMiterLimit(10);
    painter.setPen(ring);
    painter.setBrush(Qt::NoBrush);
    const qreal half = ringWidth / 2;
    painter.drawEllipse(dot.adjusted(half, half, -half, -half));
    painter.restore();
}
