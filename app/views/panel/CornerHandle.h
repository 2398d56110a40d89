#pragma once

#include "app/shell/PopoverController.h"

#include <QPointF>
#include <QWidget>

// An invisible square over one bottom corner of the note body (a top one while the panel stands
// above the icon). Dragging it resizes the panel live through the controller; the release
// stores the size; a double click restores the default size. While hovered it shows the
// desktop's resize cursor along the diagonal through its corner. A button of the page under
// the square keeps its clicks.
class CornerHandle : public QWidget
{
    Q_OBJECT

public:
    // The drag starts once the pointer has moved this far from the press.
    static constexpr qreal dragThreshold = 1;

    CornerHandle(PopoverController::Corner corner, PopoverController& controller,
                 QWidget* parent = nullptr);

    PopoverController::Corner corner() const { return m_corner; }
    bool isDragging() const { return m_dragging; }

    // The cursor of a handle on `corner` of a panel whose notch is on `notchEdge`.
    static Qt::CursorShape cursorShape(PopoverController::Corner corner, NotchEdge notchEdge);
    // Leaves the buttons of `page` that the square covers to themselves; for each new layout.
    void giveWayToButtons(const QWidget& page);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    PopoverController::Corner m_corner;
    PopoverController& m_controller;
    std::optional<QPointF> m_pressedAt;
    bool m_dragging = false;
};
