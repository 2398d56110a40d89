#pragma once

#include "app/views/theme/ThemeColor.h"

#include <QPixmap>
#include <QWidget>

class Appearance;

// One of the program's line icons, `size` points square, tinted with one theme colour. Draws
// only: mouse events pass through to whatever holds it.
class Lucide : public QWidget
{
    Q_OBJECT

public:
    Lucide(const QString& name, int size, const ThemeColor& color, const Appearance& appearance,
           QWidget* parent = nullptr);

    QString name() const { return m_name; }
    void setName(const QString& name);
    int iconSize() const { return m_size; }
    ThemeColor color() const { return m_color; }
    void setColor(const ThemeColor& color);
    // The colour the icon is drawn in under the current appearance.
    QColor resolvedColor() const;
    qreal opacity() const { return m_opacity; }
    void setOpacity(qreal opacity);
    // Degrees, clockwise, about the icon's centre.
    qreal rotation() const { return m_rotation; }
    void setRotation(qreal degrees);
    // Scale about the icon's centre.
    void setScale(qreal scale);

    QSize sizeHint() const override { return {m_size, m_size}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_name;
    int m_size;
    ThemeColor m_color;
    const Appearance& m_appearance;
    qreal m_opacity = 1;
    qreal m_rotation = 0;
    qreal m_scale = 1;
    QPixmap m_cache;
    QString m_cacheKey;
};
