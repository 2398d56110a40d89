#include "ResizeHandles.h"

#include "app/views/panel/CornerHandle.h"

ResizeHandles::ResizeHandles(PopoverController& controller, QWidget* parent)
    : m_controller(controller)
    , m_handles{new CornerHandle(PopoverController::Corner::bottomLeft, controller, parent),
                new CornerHandle(PopoverController::Corner::bottomRight, controller, parent)}
{}

void ResizeHandles::place(const QWidget* notePage)
{
    const bool onNotePage = m_controller.mode() == PopoverController::Mode::note;
    for (CornerHandle* handle : m_handles) {
        handle->setGeometry(PopoverController::resizeHandleRect(handle->corner(),
                                                                m_controller.shownSize(),
                                                                m_controller.notchEdge())
                                .toAlignedRect());
        handle->setVisible(onNotePage);
        handle->raise();
        if (notePage)
            handle->giveWayToButtons(*notePage);
    }
}
