#pragma once

#include <QPointF>
#include <QWidget>

#include <functional>

// A borderless, transparent, always-on-top window without a taskbar entry, which takes the
// keyboard focus when shown. Its content draws a shape; the rest of the window is margin.
// Mouse presses on the margin never reach the content: they are reported through
// onClickOutsideShape instead.
class PanelWindow : public QWidget
{
    Q_OBJECT

public:
    // Answers whether a point in window coordinates lies inside the drawn shape.
    using ShapeHitTest = std::function<bool(const QPointF&)>;

    explicit PanelWindow(QWidget* parent = nullptr);

    // Without a hit test the whole window counts as inside.
    void setShapeHitTest(ShapeHitTest hitTest) { m_shapeHitTest = std::move(hitTest); }
    bool shapeContains(const QPointF& windowPoint) const;

    void setOnClickOutsideShape(std::function<void()> callback)
    {
        m_onClickOutsideShape = std::move(callback);
    }

    // The one child that fills the window.
    void setContentWidget(QWidget* content);
    QWidget* contentWidget() const { return m_content; }

    // Shows, raises and asks the window manager for the keyboard focus.
    void showAndFocus();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    ShapeHitTest m_shapeHitTest;
    std::function<void()> m_onClickOutsideShape;
    QWidget* m_content = nullptr;
};
