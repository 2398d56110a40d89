#include "RowDivider.h"

#include "app/views/theme/Theme.h"
#include "platform/Appearance.h"
#include "platform/MainThread.h"

#include <QPainter>

RowDivider::RowDivider(const Appearance& appearance, int leadingIndent, QWidget* parent)
    : QWidget(parent)
    , m_appearance(appearance)
    , m_leadingIndent(leadingIndent)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    setFixedHeight(1);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(&appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
}

void RowDivider::paintEvent(QPaintEvent*)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    QPainter painter(this);
    painter.fillRect(rect().adjusted(m_leadingIndent, 0, 0, 0),
                     Theme::hairline().resolved(m_appearance));
}
