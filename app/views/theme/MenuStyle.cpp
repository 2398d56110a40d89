#include "MenuStyle.h"

#include "app/views/theme/IconImage.h"
#include "app/views/theme/Theme.h"
#include "platform/Appearance.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionMenuItem>

namespace {

constexpr int fontPixelSize = 13;
constexpr int rowHeight = 24;
constexpr int separatorHeight = 9;
constexpr int panelMargin = 5;
constexpr int frameWidth = 1;
constexpr int highlightRadius = 4;
constexpr int checkColumn = 20;
constexpr int iconSize = 14;
constexpr int iconGap = 8;
constexpr int rowPadding = 8;
constexpr int shortcutGap = 24;

// A single-colour icon in `color`, whatever colour it was drawn in.
QPixmap tinted(const QIcon& icon, const QColor& color, qreal ratio)
{
    QPixmap pixmap = icon.pixmap(QSize(iconSize, iconSize), ratio);
    QPainter painter(&pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(pixmap.rect(), color);
    return pixmap;
}

} // namespace

MenuStyle::MenuStyle(const Appearance& appearance)
    : m_appearance(appearance)
{}

QFont MenuStyle::font()
{
    QFont font = QApplication::font();
    font.setPixelSize(fontPixelSize);
    return font;
}

void MenuStyle::apply(QMenu& menu)
{
    menu.setStyle(this);
    menu.setFont(font());
    // The colours are read from the appearance as the menu paints.
    connect(&m_appearance, &Appearance::changed, &menu, qOverload<>(&QWidget::update));
}

int MenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                           const QWidget* widget) const
{
    switch (metric) {
    case PM_MenuPanelWidth:
        return frameWidth;
    case PM_MenuHMargin:
    case PM_MenuVMargin:
        return panelMargin;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

void MenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                              QPainter* painter, const QWidget* widget) const
{
    switch (element) {
    case PE_PanelMenu:
        painter->fillRect(option->rect, Theme::popupBackground().resolved(m_appearance));
        break;
    case PE_FrameMenu:
        painter->setPen(Theme::border().resolved(m_appearance));
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        break;
    default:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
}

QSize MenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                  const QWidget* widget) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (type != CT_MenuItem || !item)
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    if (item->menuItemType == QStyleOptionMenuItem::Separator)
        return {size.width(), separatorHeight};
    const QFontMetrics metrics(item->font);
    const QString title = item->text.section(QLatin1Char('\t'), 0, 0);
    const int width = checkColumn + iconSize + iconGap + metrics.horizontalAdvance(title) +
                      shortcutGap + item->reservedShortcutWidth + rowPadding;
    return {width, rowHeight};
}

void MenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                            const QWidget* widget) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element != CE_MenuItem || !item) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect row = item->rect;
    if (item->menuItemType == QStyleOptionMenuItem::Separator) {
        painter->setPen(Theme::hairline().resolved(m_appearance));
        const int y = row.center().y();
        painter->drawLine(row.left() + rowPadding, y, row.right() - rowPadding, y);
        painter->restore();
        return;
    }

    const bool enabled = item->state.testFlag(State_Enabled);
    const bool highlighted = enabled && item->state.testFlag(State_Selected);
    QColor text = Theme::textPrimary().resolved(m_appearance);
    QColor secondary = Theme::textSecondary().resolved(m_appearance);
    if (!enabled)
        text = secondary = Theme::textTertiary().resolved(m_appearance);
    if (highlighted) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(Theme::accent().resolved(m_appearance));
        painter->drawRoundedRect(row, highlightRadius, highlightRadius);
        text = secondary = Qt::white;
    }

    const qreal ratio = painter->device()->devicePixelRatioF();
    const auto centred = [&row](int left, int side) {
        return QRect(left, row.top() + (row.height() - side) / 2, side, side);
    };
    if (item->checked) {
        const QPixmap check = iconPixmap(QStringLiteral("check"), iconSize, text, ratio);
        painter->drawPixmap(centred(row.left() + (checkColumn - iconSize) / 2, iconSize), check);
    }
    const int iconLeft = row.left() + checkColumn;
    if (!item->icon.isNull())
        painter->drawPixmap(centred(iconLeft, iconSize), tinted(item->icon, text, ratio));

    const QRect textRect =
        row.adjusted(iconLeft + iconSize + iconGap - row.left(), 0, -rowPadding, 0);
    painter->setFont(item->font);
    painter->setPen(text);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      item->text.section(QLatin1Char('\t'), 0, 0));
    painter->setPen(secondary);
    painter->drawText(textRect, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                      item->text.section(QLatin1Char('\t'), 1));
    painter->restore();
}
