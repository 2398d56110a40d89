#include "IconImage.h"

#include <QIconEngine>
#include <QPainter>
#include <QSvgRenderer>

QPixmap iconPixmap(const QString& name, int size, const QColor& color, qreal devicePixelRatio)
{
    QSvgRenderer renderer(QStringLiteral(":/icons/%1.svg").arg(name));
    if (!renderer.isValid())
        return {};
    const int pixels = qRound(size * devicePixelRatio);
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    // The drawings are one colour; tint them by keeping only their coverage.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(pixmap.rect(), color);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

namespace {

class NamedIconEngine final : public QIconEngine
{
public:
    NamedIconEngine(const QString& name, const QPixmap& pixmap)
        : m_name(name)
        , m_pixmap(pixmap)
    {}

    // Its own size, or less to fit: never stretched.
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const QSize natural = m_pixmap.deviceIndependentSize().toSize();
        return natural.boundedTo(natural.scaled(size, Qt::KeepAspectRatio));
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        QRect drawn(QPoint(), actualSize(rect.size(), mode, state));
        drawn.moveCenter(rect.center());
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawPixmap(drawn, m_pixmap);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return m_pixmap.scaled(actualSize(size, mode, state) * m_pixmap.devicePixelRatio(),
                               Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {m_pixmap.deviceIndependentSize().toSize()};
    }

    QString iconName() override { return m_name; }
    QIconEngine* clone() const override { return new NamedIconEngine(m_name, m_pixmap); }

private:
    QString m_name;
    QPixmap m_pixmap;
};

} // namespace

QIcon namedIcon(const QString& themeName, const QPixmap& pixmap)
{
    return QIcon(new NamedIconEngine(themeName, pixmap));
}
