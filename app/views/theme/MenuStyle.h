#pragma once

#include <QProxyStyle>

class Appearance;
class QMenu;

// Draws menus in the panel's look, light or dark as the appearance is when they paint: the
// card colour with the panel's border, rows highlighted in the accent colour, icons in the
// colour of the text like template images, and a check mark in a column of its own so that
// a checked entry keeps its icon.
class MenuStyle : public QProxyStyle
{
    Q_OBJECT

public:
    explicit MenuStyle(const Appearance& appearance);

    // The font menus drawn in this style use.
    static QFont font();
    // Draws `menu` in this style and font, anew whenever the colour scheme changes while it is
    // open. The style outlives the menu.
    void apply(QMenu& menu);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;

private:
    const Appearance& m_appearance;
};
