#include "ColorPickerDot.h"

#include "app/views/theme/Theme.h"
#include "platform/Appearance.h"

#include <QPainter>

ColorPickerDot::ColorPickerDot(Hue hue, const Appearance& appearance, QWidget* parent)
    : QAbstractButton(parent)
    , m_hue(hue)
    , m_appearance(appearance)
{
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(diameter, diameter);
    setToolTip(Hues::displayName(hue));
    setAccessibleName(Hues::displayName(hue));
}

void ColorPickerDot::setCurrent(bool current)
{
    if (current == m_current)
        return;
    m_current = current;
    update();
}

QColor ColorPickerDot::drawnRingColor() const
{
    return m_current ? Theme::selectionRing().resolved(m_appearance) : Theme::hueAccent(int(m_hue));
}

bool ColorPickerDot::hitButton(const QPoint& position) const
{
    const QPointF fromCenter = QPointF(position) + QPointF(0.5, 0.5) - QRectF(rect()).center();
    const qreal radius = diameter / 2.0;
    return QPointF::dotProduct(fromCenter, fromCenter) <= radius * radius;
}

void ColorPickerDot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(rect());
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::hueBackground(int(m_hue)).resolved(m_appearance));
    painter.drawEllipse(disc);
    const qreal width = drawnRingWidth();
    QPen ring(drawnRingColor(), width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    ring.setMiterLimit(10);
    painter.setPen(ring);
    painter.setBrush(Qt::NoBrush);
    const qreal half = width / 2;
    painter.drawEllipse(disc.adjusted(half, half, -half, -half));
}
