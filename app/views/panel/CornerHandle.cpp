#include "CornerHandle.h"

#include "platform/MainThread.h"

#include <QAbstractButton>
#include <QMouseEvent>

CornerHandle::CornerHandle(PopoverController::Corner corner, PopoverController& controller,
                           QWidget* parent)
    : QWidget(parent)
    , m_corner(corner)
    , m_controller(controller)
{
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setCursor(cursorShape(corner, controller.notchEdge()));
    connect(&controller, &PopoverController::notchEdgeChanged, this,
            [this] { setCursor(cursorShape(m_corner, m_controller.notchEdge())); });
    setToolTip(QStringLiteral("Drag to resize, double-click to reset"));
}

Qt::CursorShape CornerHandle::cursorShape(PopoverController::Corner corner, NotchEdge notchEdge)
{
    // The handles sit on the corners away from the notch: at the bottom below it, at the top
    // when the panel stands on the icon.
    const bool left = corner == PopoverController::Corner::bottomLeft;
    const bool bottom = notchEdge == NotchEdge::top;
    return left == bottom ? Qt::SizeBDiagCursor : Qt::SizeFDiagCursor;
}

void CornerHandle::giveWayToButtons(const QWidget& page)
{
    QRegion taken(rect());
    for (const QAbstractButton* button : page.findChildren<QAbstractButton*>()) {
        if (button->isVisibleTo(&page))
            taken -= QRect(button->mapTo(parentWidget(), QPoint(0, 0)) - pos(), button->size());
    }
    if (taken == QRegion(rect()))
        clearMask();
    else
        setMask(taken);
}

void CornerHandle::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // Screen coordinates: the panel moves under the pointer while it resizes.
    m_pressedAt = event->globalPosition();
    m_dragging = false;
}

void CornerHandle::mouseMoveEvent(QMouseEvent* event)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (!m_pressedAt)
        return;
    const QPointF mouse = event->globalPosition();
    if (!m_dragging) {
        const QPointF moved = mouse - *m_pressedAt;
        if (std::max(std::abs(moved.x()), std::abs(moved.y())) < dragThreshold)
            return;
        m_dragging = true;
        // From the press, so a fast drag keeps its first pixels.
        m_controller.beginResize(*m_pressedAt);
    }
    m_controller.resizeDrag(m_corner, mouse);
}

void CornerHandle::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressedAt.reset();
    if (std::exchange(m_dragging, false))
        m_controller.endResize();
}

void CornerHandle::mouseDoubleClickEvent(QMouseEvent* event)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (event->button() != Qt::LeftButton)
        return;
    m_pressedAt.reset();
    m_dragging = false;
    m_controller.resetSize();
}

void CornerHandle::hideEvent(QHideEvent* event)
{
    // The panel closing mid-drag: that drag is over, and its size is not kept.
    m_pressedAt.reset();
    m_dragging = false;
    QWidget::hideEvent(event);
}
