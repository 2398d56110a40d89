#include "Lucide.h"

#include "app/views/theme/IconImage.h"
#include "platform/Appearance.h"
#include "platform/MainThread.h"

#include <QPainter>

Lucide::Lucide(const QString& name, int size, const ThemeColor& color, const Appearance& appearance,
               QWidget* parent)
    : QWidget(parent)
    , m_name(name)
    , m_size(size)
    , m_color(color)
    , m_appearance(appearance)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(size, size);
    connect(&appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
}

void Lucide::setName(const QString& name)
{
    if (name == m_name)
        return;
    m_name = name;
    update();
}

void Lucide::setColor(const ThemeColor& color)
{
    m_color = color;
    update();
}

QColor Lucide::resolvedColor() const
{
    return m_color.resolved(m_appearance);
}

void Lucide::setOpacity(qreal opacity)
{
    if (qFuzzyCompare(opacity, m_opacity))
        return;
    m_opacity = opacity;
    update();
}

void Lucide::setRotation(qreal degrees)
{
    if (qFuzzyCompare(degrees, m_rotation))
        return;
    m_rotation = degrees;
    update();
}

void Lucide::setScale(qreal scale)
{
    if (qFuzzyCompare(scale, m_scale))
        return;
    m_scale = scale;
    update();
}

void Lucide::paintEvent(QPaintEvent*)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    const QColor color = resolvedColor();
    const qreal dpr = devicePixelRatioF();
    const QString key = QStringLiteral("%1/%2/%3/%4")
                            .arg(m_name)
                            .arg(m_size)
                            .arg(color.name(QColor::HexArgb))
                            .arg(dpr);
    if (key != m_cacheKey) {
        m_cache = iconPixmap(m_name, m_size, color, dpr);
        m_cacheKey = key;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setOpacity(m_opacity);
    const QPointF center = QRectF(rect()).center();
    painter.translate(center);
    painter.rotate(m_rotation);
    painter.scale(m_scale, m_scale);
    painter.translate(-center);
    painter.drawPixmap(0, 0, m_cache);
}
