#include "DragToScroll.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>

DragToScroll::DragToScroll(QAbstractScrollArea& area)
    : QObject(&area)
    , m_area(area)
{
    // Presses that the page's controls leave alone end up at the viewport.
    area.viewport()->installEventFilter(this);
}

bool DragToScroll::eventFilter(QObject*, QEvent* event)
{
    // Mouse events only: the area may be on its way out while the viewport still hears of
    // other things.
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            m_press = Press{mouse->globalPosition().y(), m_area.verticalScrollBar()->value()};
        return false;
    }
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!m_press || !mouse->buttons().testFlag(Qt::LeftButton))
            return false;
        const qreal moved = mouse->globalPosition().y() - m_press->y;
        if (!m_dragging && std::abs(moved) < QApplication::startDragDistance())
            return false;
        // From the press on, so the page keeps under the pointer from where it was taken.
        m_dragging = true;
        m_area.verticalScrollBar()->setValue(m_press->pageOffset - qRound(moved));
        return true;
    }
    case QEvent::MouseButtonRelease:
        m_press.reset();
        m_dragging = false;
        return false;
    default:
        return false;
    }
}
