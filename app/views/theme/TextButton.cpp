#include "TextButton.h"

#include "platform/Appearance.h"

#include <QPainter>

TextButton::TextButton(const QString& title, const ThemeColor& color, const Appearance& appearance,
                       QWidget* parent)
    : QAbstractButton(parent)
    , m_color(color)
    , m_appearance(appearance)
{
    setFocusPolicy(Qt::NoFocus);
    setText(title);
    QFont semibold = font();
    semibold.setPixelSize(fontSize);
    semibold.setWeight(QFont::DemiBold);
    setFont(semibold);
    connect(&appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
}

QSize TextButton::sizeHint() const
{
    return {fontMetrics().horizontalAdvance(text()), fontMetrics().height()};
}

void TextButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setOpacity(isEnabled() ? 1.0 : disabledOpacity);
    painter.setPen(m_color.resolved(m_appearance));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
}
