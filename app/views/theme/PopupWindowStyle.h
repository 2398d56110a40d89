#pragma once

#include <QProxyStyle>

class Appearance;

// Draws the program's small windows that the toolkit opens by itself, the tooltips and the
// lists of the pop-up buttons, in the panel's look: a rounded card in the pop-up colour with
// the panel's border, light or dark as the appearance is. Tooltips take the panel's text
// colour from here; a list keeps the colours of its pop-up button's page. Installed for the
// whole application, since tooltips take the application's style; everything else is drawn as
// the style it stands in for draws it.
class PopupWindowStyle : public QProxyStyle
{
    Q_OBJECT

public:
    static constexpr qreal cornerRadius = 6;
    static constexpr qreal borderWidth = 1;
    // Around a tooltip's text.
    static constexpr int toolTipPadding = 4;

    // Over `base`, or the desktop's style when none is given.
    explicit PopupWindowStyle(const Appearance& appearance, QStyle* base = nullptr);

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;

private:
    // The window that holds a pop-up button's list.
    static bool isPopupList(const QWidget* widget);
    void paintCard(QPainter* painter, const QRect& rect) const;
    QPalette toolTipPalette(const QPalette& base) const;
    void applyColours();

    const Appearance& m_appearance;
};
