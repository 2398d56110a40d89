#include "SettingsBox.h"

#include "app/views/settings/RowDivider.h"
#include "app/views/settings/SettingsRow.h"
#include "app/views/theme/Theme.h"
#include "platform/Appearance.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

SettingsBox::SettingsBox(const Appearance& appearance, QWidget* parent)
    : QWidget(parent)
    , m_appearance(appearance)
    , m_rows(new QVBoxLayout(this))
{
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(0);
    connect(&appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
}

void SettingsBox::addRow(SettingsRow* row)
{
    if (m_rows->count() > 0)
        m_rows->addWidget(new RowDivider(m_appearance));
    m_rows->addWidget(row);
}

void SettingsBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(card, Theme::card().resolved(m_appearance));
    // Stroked inside the edge.
    const qreal inset = outlineWidth / 2;
    QPen outline(Theme::hairline().resolved(m_appearance), outlineWidth, Qt::SolidLine, Qt::FlatCap,
                 Qt::MiterJoin);
    outline.setMiterLimit(10);
    painter.setPen(outline);
    painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset),
                            cornerRadius - inset, cornerRadius - inset);
}
