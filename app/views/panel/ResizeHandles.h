#pragma once

#include "app/shell/PopoverController.h"

#include <array>

class CornerHandle;
class QWidget;

// The two corner handles over the bottom corners of the note body (the top ones while the
// panel stands on the icon), pushed outwards so each straddles its corner.
class ResizeHandles
{
public:
    ResizeHandles(PopoverController& controller, QWidget* parent);

    CornerHandle* handle(PopoverController::Corner corner) const
    {
        return m_handles[std::size_t(corner)];
    }

    // Over the body as the panel shows it, on the note page only, above the parent's other
    // children and leaving the buttons of `notePage` that they cover to themselves.
    void place(const QWidget* notePage);

private:
    PopoverController& m_controller;
    std::array<CornerHandle*, 2> m_handles;
};
