#include "PanelWindow.h"

#include "WindowSystem.h"
#include "WindowSystemWatcher.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWindow>

namespace {

// Only the start of a click is judged by the shape: a drag that began inside (a resize
// handle) keeps its moves and its release wherever the pointer goes.
bool isPress(QEvent::Type type)
{
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
}

} // namespace

PanelWindow::PanelWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::NoDropShadowWindowHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    connect(&WindowSystemWatcher::instance(), &WindowSystemWatcher::compositingChanged, this,
            &PanelWindow::updateShape);
}

void PanelWindow::setShapes(Shapes shapes)
{
    m_shapes = std::move(shapes);
    updateShape();
}

bool PanelWindow::shapeContains(const QPointF& windowPoint) const
{
    return !m_shapes.clickable || m_shapes.clickable().contains(windowPoint);
}

void PanelWindow::updateShape()
{
    if (!m_shapes.outline || !testAttribute(Qt::WA_WState_Created))
        return;
    const auto region = [](const QPainterPath& path) {
        QRegion united;
        for (const QPolygonF& polygon : path.simplified().toFillPolygons())
            united += QRegion(polygon.toPolygon(), Qt::WindingFill);
        return united;
    };
    // Without a compositor the translucent margin would show black. With one, the window ends
    // where its shadow does, so that window managers' frames, which follow the window's shape
    // but not where it takes input, do not cover what lies beside the outline.
    const bool compositing = WindowSystemWatcher::instance().isCompositing();
    const QPainterPath drawn = compositing ? m_shapes.shadowed() : m_shapes.outline();
    WindowSystem::setShape(winId(), region(m_shapes.clickable()), region(drawn));
}

void PanelWindow::setContentWidget(QWidget* content)
{
    delete m_content;
    m_content = content;
    if (!content)
        return;
    content->setParent(this);
    content->setGeometry(rect());
    content->show();
}

void PanelWindow::showAndFocus()
{
    show();
    raise();
    activateWindow();
    // Shown again before Qt saw the focus leave when it was hidden, the window still has the
    // focus in Qt's eyes but is no longer its active window: a click would focus nothing.
    if (QGuiApplication::focusWindow() == windowHandle() && QApplication::activeWindow() != this)
        QApplication::setActiveWindow(this);
}

void PanelWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_content)
        m_content->setGeometry(rect());
    updateShape();
}

void PanelWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Presses on the content and the window's exposures pass through here while it is on screen.
    qApp->installEventFilter(this);
    // Tool windows keep out of most taskbars already; this says it to the rest as well.
    WindowSystem::skipTaskbar(winId());
    WindowSystem::setPopupHints(winId());
    updateShape();
}

void PanelWindow::hideEvent(QHideEvent* event)
{
    qApp->removeEventFilter(this);
    QWidget::hideEvent(event);
}

bool PanelWindow::eventFilter(QObject* watched, QEvent* event)
{
    // On screen now, so framed by the window manager, whose frame takes the hints too.
    if (watched == windowHandle() && event->type() == QEvent::Expose && windowHandle()->isExposed())
        WindowSystem::setPopupHints(winId());
    if (!watched->isWidgetType() || !isPress(event->type()))
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != this)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    // From the event's own position: Qt may learn of a window manager's move of the window
    // late, so mapping from screen coordinates could be off.
    const QPointF windowPoint = widget->mapTo(this, mouse->position());
    if (shapeContains(windowPoint))
        return false;
    // Qt tells a press that follows another one quickly, even one on another window such as
    // the tray icon, as a double click alone: it closes all the same.
    if (m_onClickOutsideShape)
        m_onClickOutsideShape();
    return true;
}
