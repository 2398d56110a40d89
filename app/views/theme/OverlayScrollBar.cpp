#include "OverlayScrollBar.h"

#include "app/views/theme/Theme.h"
#include "platform/Appearance.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

OverlayScrollBar::OverlayScrollBar(QScrollBar& model, Scheduler& scheduler,
                                   const Appearance& appearance, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_scheduler(scheduler)
    , m_appearance(appearance)
{
    setAttribute(Qt::WA_NoSystemBackground);
    setCursor(Qt::ArrowCursor);
    connect(&model, &QScrollBar::valueChanged, this, &OverlayScrollBar::scrolled);
    connect(&model, &QScrollBar::rangeChanged, this, &OverlayScrollBar::followRange);
    connect(&appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
    followRange();
}

bool OverlayScrollBar::isShown() const
{
    return m_model.maximum() > 0 && (m_scrolling || m_hovered || m_grip);
}

void OverlayScrollBar::place()
{
    const QWidget* view = parentWidget();
    setGeometry(view->width() - stripWidth, 0, stripWidth, view->height());
    raise();
}

QRectF OverlayScrollBar::knobRect() const
{
    const qreal track = height() - 2 * edgeGap;
    const qreal range = m_model.maximum();
    const qreal length =
        std::max<qreal>(shortestKnob, track * m_model.pageStep() / (range + m_model.pageStep()));
    const qreal top = edgeGap + (range > 0 ? (track - length) * m_model.value() / range : 0);
    return QRectF(width() - edgeGap - knobWidth, top, knobWidth, length);
}

void OverlayScrollBar::scrolled()
{
    m_scrolling = true;
    m_fade = m_scheduler.schedule(lingering, [this] {
        m_scrolling = false;
        update();
    });
    update();
}

void OverlayScrollBar::followRange()
{
    // Nothing to scroll: nothing to show, and the strip leaves the pointer to the view.
    setVisible(m_model.maximum() > 0);
    update();
}

void OverlayScrollBar::paintEvent(QPaintEvent*)
{
    if (!isShown())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::textTertiary().resolved(m_appearance));
    painter.drawRoundedRect(knobRect(), knobWidth / 2.0, knobWidth / 2.0);
}

void OverlayScrollBar::enterEvent(QEnterEvent* event)
{
    m_hovered = true;
    update();
    QWidget::enterEvent(event);
}

void OverlayScrollBar::leaveEvent(QEvent* event)
{
    m_hovered = false;
    update();
    QWidget::leaveEvent(event);
}

void OverlayScrollBar::mousePressEvent(QMouseEvent* event)
{
    const QRectF knob = knobRect();
    const qreal y = event->position().y();
    if (y < knob.top())
        m_model.triggerAction(QAbstractSlider::SliderPageStepSub);
    else if (y > knob.bottom())
        m_model.triggerAction(QAbstractSlider::SliderPageStepAdd);
    else
        m_grip = y - knob.top();
    update();
}

void OverlayScrollBar::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_grip)
        return;
    const qreal travel = height() - 2 * edgeGap - knobRect().height();
    if (travel <= 0)
        return;
    const qreal top = event->position().y() - *m_grip - edgeGap;
    m_model.setValue(qRound(top / travel * m_model.maximum()));
}

void OverlayScrollBar::mouseReleaseEvent(QMouseEvent*)
{
    m_grip.reset();
    update();
}

void OverlayScrollBar::wheelEvent(QWheelEvent* event)
{
    QCoreApplication::sendEvent(&m_model, event);
}
