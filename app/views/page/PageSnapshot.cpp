#include "PageSnapshot.h"

#include <QPainter>

namespace {

QPixmap pictureOf(QWidget& page)
{
    // Without a background of its own: whatever lies under the page (the panel's fill, the
    // note page under a card) shows through wherever the page draws nothing.
    const qreal ratio = page.devicePixelRatioF();
    QPixmap picture(page.size() * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    page.render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
    return picture;
}

} // namespace

PageSnapshot::PageSnapshot(QWidget& page, QWidget* parent)
    : QWidget(parent)
    , m_picture(pictureOf(page))
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
