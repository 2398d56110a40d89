#pragma once

#include "platform/Scheduler.h"

#include <QWidget>

#include <chrono>
#include <optional>

class Appearance;
class QScrollBar;

// A thin scroll bar laid over the right edge of a scrolling view, in the panel's colours,
// without arrows and clear of the edge. It takes no room from the content, so the text never
// moves when it appears, and it shows only while the view scrolls (and a moment after), while
// the pointer is over it and while its knob is dragged. It reads and moves `model`, the view's
// own scroll bar, which stays hidden.
class OverlayScrollBar : public QWidget
{
    Q_OBJECT

public:
    // The strip along the edge that takes the pointer; the knob is narrower.
    static constexpr int stripWidth = 12;
    static constexpr int knobWidth = 6;
    static constexpr int edgeGap = 3;
    static constexpr int shortestKnob = 24;
    static constexpr std::chrono::milliseconds lingering{1000};

    OverlayScrollBar(QScrollBar& model, Scheduler& scheduler, const Appearance& appearance,
                     QWidget* parent);

    bool isShown() const;
    // Takes the strip along the right edge of the parent; call when the parent is resized.
    void place();
    QRectF knobRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void scrolled();
    void followRange();

    QScrollBar& m_model;
    Scheduler& m_scheduler;
    const Appearance& m_appearance;
    Scheduler::Task m_fade;
    bool m_scrolling = false;
    bool m_hovered = false;
    // Where in the knob it was taken, while it is dragged.
    std::optional<qreal> m_grip;
};
