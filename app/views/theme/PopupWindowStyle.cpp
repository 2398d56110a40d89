#include "PopupWindowStyle.h"

#include "app/views/theme/Theme.h"
#include "platform/Appearance.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleHintReturnMask>
#include <QStyleOption>
#include <QToolTip>

PopupWindowStyle::PopupWindowStyle(const Appearance& appearance, QStyle* base)
    : QProxyStyle(base)
    , m_appearance(appearance)
{
    applyColours();
    connect(&appearance, &Appearance::changed, this, &PopupWindowStyle::applyColours);
}

bool PopupWindowStyle::isPopupList(const QWidget* widget)
{
    // The toolkit's window for the list has no public type, only its class name.
    return widget && widget->inherits("QComboBoxPrivateContainer");
}

QPalette PopupWindowStyle::toolTipPalette(const QPalette& base) const
{
    QPalette palette = base;
    palette.setColor(QPalette::ToolTipBase, Theme::popupBackground().resolved(m_appearance));
    palette.setColor(QPalette::ToolTipText, Theme::textPrimary().resolved(m_appearance));
    return palette;
}

void PopupWindowStyle::applyColours()
{
    QToolTip::setPalette(toolTipPalette(QToolTip::palette()));
}

int PopupWindowStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                  const QWidget* widget) const
{
    if (metric == PM_ToolTipLabelFrameWidth)
        return toolTipPadding;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

void PopupWindowStyle::paintCard(QPainter* painter, const QRect& rect) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(QRectF(rect), cornerRadius, cornerRadius);
    painter->fillPath(card, Theme::popupBackground().resolved(m_appearance));
    // The border lies along the inside of the edge, over the card.
    const qreal inset = borderWidth / 2;
    painter->setPen(QPen(Theme::border().resolved(m_appearance), borderWidth));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(QRectF(rect).adjusted(inset, inset, -inset, -inset),
                             cornerRadius - inset, cornerRadius - inset);
    painter->restore();
}

void PopupWindowStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                     QPainter* painter, const QWidget* widget) const
{
    if (element == PE_PanelTipLabel || (element == PE_PanelMenu && isPopupList(widget))) {
        paintCard(painter, option->rect);
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

int PopupWindowStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                                QStyleHintReturn* returnData) const
{
    auto* mask = qstyleoption_cast<QStyleHintReturnMask*>(returnData);
    const bool rounded = hint == SH_ToolTip_Mask || (hint == SH_Menu_Mask && isPopupList(widget));
    if (!rounded || !mask || !option)
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    // Without a compositor to blend the corners, the window itself is cut to the card.
    QPainterPath card;
    card.addRoundedRect(QRectF(option->rect), cornerRadius, cornerRadius);
    mask->region = QRegion(card.toFillPolygon().toPolygon());
    return 1;
}
