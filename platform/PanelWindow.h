#pragma once

#include <QEvent>
#include <QPainterPath>
#include <QPointF>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class PointerCatcher;

// A borderless, transparent, always-on-top window without a taskbar entry, which takes the
// keyboard focus when shown. Its content draws a shape; the rest of the window is margin.
// The window system passes clicks on the margin through to what lies below and, without a
// compositor to blend the margin, shows nothing of it. Mouse presses on the margin that reach
// the window all the same never reach the content: those of the left and right buttons are
// reported through onClickOutsideShape instead.
class PanelWindow : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(qreal opacity READ windowOpacity WRITE setOpacity)

public:
    // A shape in window coordinates.
    using ShapePath = std::function<QPainterPath()>;

    explicit PanelWindow(QWidget* parent = nullptr);
    ~PanelWindow() override;

    struct Shapes
    {
        ShapePath outline;   // what the content draws, all that shows without a compositor
        ShapePath shadowed;  // the outline and its shadow, what shows with one
        ShapePath clickable; // what takes presses; may reach past the outline
    };
    // All three or none; without shapes the whole window is inside.
    void setShapes(Shapes shapes);
    bool shapeContains(const QPointF& windowPoint) const;
    // Hands the shape to the window system again; for changes of the shape that do not
    // resize the window.
    void updateShape();

    void setOnClickOutsideShape(std::function<void()> callback)
    {
        m_onClickOutsideShape = std::move(callback);
    }

    // The one child that fills the window.
    void setContentWidget(QWidget* content);
    QWidget* contentWidget() const { return m_content; }

    // Shows, raises and asks the window manager for the keyboard focus.
    void showAndFocus();

    // The window's opacity, handed to the window system at once rather than with the next
    // drawing: each frame of a fade, which draws nothing, reaches the screen.
    void setOpacity(qreal opacity);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Press
    {
        quint64 time;
        QPoint position;
        Qt::MouseButton button;
    };

    // What the catcher reports, handed to the content as the window's own pointer events.
    void forwardCaught(QEvent::Type type, const QPoint& pixel, Qt::MouseButton button,
                       Qt::MouseButtons buttons, quint64 time);
    bool isDoubleClick(const Press& press) const;
    QRect framePixels() const;

    Shapes m_shapes;
    std::function<void()> m_onClickOutsideShape;
    QWidget* m_content = nullptr;
    // Takes the presses on the clickable parts beyond what the window shows.
    std::unique_ptr<PointerCatcher> m_catcher;
    QRegion m_caughtPixels;
    std::optional<Press> m_lastCaughtPress;
};
