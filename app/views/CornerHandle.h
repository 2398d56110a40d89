#pragma once

#include "app/shell/PopoverController.h"

#include <QPointF>
#include <QWidget>

// An invisible square over one bottom corner of the note body. Dragging it resizes the panel
// live through the controller; the release stores the size; a double click restores the
// default size. While hovered it shows the desktop's diagonal resize cursor.
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
