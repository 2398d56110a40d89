#include "PopupCard.h"

#include "app/views/theme/Theme.h"
#include "platform/Appearance.h"

#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

namespace {

constexpr qreal borderWidth = 1;

int reach(const PopupCard::Shadow& shadow, qreal offset)
{
    return qCeil(shadow.radius + std::max(0.0, offset));
}

} // namespace

PopupCard::PopupCard(const Style& style, const Appearance& appearance, QWidget* parent)
    : QWidget(parent)
    , m_style(style)
    , m_appearance(appearance)
{
    connect(&appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
}

QMargins PopupCard::shadowMargins() const
{
    // The soft shadow is the wider of the two.
    const Shadow& soft = m_style.soft;
    return {reach(soft, -soft.offset.x()), reach(soft, -soft.offset.y()),
            reach(soft, soft.offset.x()), reach(soft, soft.offset.y())};
}

void PopupCard::setCardGeometry(const QRect& card)
{
    setGeometry(card + shadowMargins());
}

QPainterPath PopupCard::cardOutline() const
{
    QPainterPath path;
    path.addRoundedRect(QRectF(cardRect()), m_style.cornerRadius, m_style.cornerRadius);
    return path;
}

void PopupCard::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath outline = cardOutline();
    const QRectF card(cardRect());
    const qreal corner = m_style.cornerRadius;
    m_shadow.paint(
        painter, outline, size(),
        {{Theme::shadowSoft().resolved(m_appearance), m_style.soft.radius, m_style.soft.offset},
         {Theme::shadowTight().resolved(m_appearance), m_style.tight.radius, m_style.tight.offset}},
        {{card.left() + corner, card.right() - corner}},
        {{card.top() + corner, card.bottom() - corner}});
    painter.fillPath(outline, Theme::popupBackground().resolved(m_appearance));
    // The border lies along the inside of the edge.
    const qreal half = borderWidth / 2;
    QPen pen(Theme::border().resolved(m_appearance), borderWidth, Qt::SolidLine, Qt::FlatCap,
             Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const qreal radius = m_style.cornerRadius - half;
    painter.drawRoundedRect(QRectF(cardRect()).adjusted(half, half, -half, -half), radius, radius);
}

void PopupCard::mousePressEvent(QMouseEvent* event)
{
    // Beside the card (on its shadow) the press belongs to what lies under it.
    event->setAccepted(cardOutline().contains(event->position()));
}
