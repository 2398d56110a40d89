#include "PageSnapshot.h"

#include <QPainter>

PageSnapshot::PageSnapshot(const QPixmap& picture, QWidget* parent)
    : QWidget(parent)
    , m_picture(picture)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void PageSnapshot::setEffect(const PageEffect& effect)
{
    m_effect = effect;
    update();
}

void PageSnapshot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setOpacity(m_effect.opacity);
    const QPointF center = QRectF(rect()).center();
    painter.translate(m_effect.x, m_effect.y);
    painter.translate(center);
    painter.scale(m_effect.scale, m_effect.scale);
    painter.translate(-center);
    painter.drawPixmap(0, 0, m_picture);
}
