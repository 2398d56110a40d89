#include "PanelWindow.h"

#include "MainThread.h"
#include "PointerCatcher.h"
#include "WindowSystem.h"
#include "WindowSystemWatcher.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>
#include <QWindow>

#include <algorithm>

namespace {

// Only the start of a click is judged by the shape: a drag that began inside (a resize
// handle) keeps its moves and its release wherever the pointer goes.
bool isPress(QEvent::Type type)
{
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
}

// The device pixels that a shape filled with antialiasing covers wholly. Without a compositor
// a pixel it covers in part would show its colour darkened, as if over black; a window shaped
// to these pixels alone has an edge in the content's own colours.
QRegion wholePixels(const QPainterPath& shape, const QSize& windowSize, qreal ratio)
{
    QImage coverage(windowSize * ratio, QImage::Format_Alpha8);
    coverage.fill(0);
    coverage.setDevicePixelRatio(ratio);
    {
        QPainter painter(&coverage);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(shape, Qt::black);
    }
    constexpr uchar whole = 255;
    // Row by row; a row whose runs are those of the row above lengthens them instead.
    QList<QRect> rectangles;
    QList<QRect> band;
    const int width = coverage.width();
    for (int y = 0; y < coverage.height(); ++y) {
        const uchar* row = coverage.constScanLine(y);
        QList<QRect> runs;
        for (int x = 0; x < width; ++x) {
            if (row[x] != whole)
                continue;
            const int start = x;
            while (x + 1 < width && row[x + 1] == whole)
                ++x;
            runs.append(QRect(start, y, x - start + 1, 1));
        }
        const auto sameColumns = [](const QRect& a, const QRect& b) {
            return a.left() == b.left() && a.right() == b.right();
        };
        if (!runs.isEmpty() && runs.size() == band.size() &&
            std::equal(runs.begin(), runs.end(), band.begin(), sameColumns)) {
            for (QRect& rect : band)
                rect.setBottom(y);
        } else {
            rectangles.append(band);
            band = runs;
        }
    }
    rectangles.append(band);
    QRegion region;
    region.setRects(rectangles.constData(), int(rectangles.size()));
    return region;
}

} // namespace

// Checked ahead of the base class: a widget made off the main thread goes wrong before this
// constructor's body could tell.
PanelWindow::PanelWindow(QWidget* parent)
    : QWidget((QUILLORY_ASSERT_MAIN_THREAD(), parent), Qt::Tool | Qt::FramelessWindowHint |
                                                           Qt::WindowStaysOnTopHint |
                                                           Qt::NoDropShadowWindowHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    connect(&WindowSystemWatcher::instance(), &WindowSystemWatcher::compositingChanged, this,
            &PanelWindow::updateShape);
    m_catcher = PointerCatcher::create();
    if (m_catcher) {
        connect(m_catcher.get(), &PointerCatcher::pointerEvent, this, &PanelWindow::forwardCaught);
        connect(m_catcher.get(), &PointerCatcher::left, this, [this] {
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(windowHandle(), &leave);
        });
    }
}

PanelWindow::~PanelWindow() = default;

void PanelWindow::setShapes(Shapes shapes)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    m_shapes = std::move(shapes);
    updateShape();
}

bool PanelWindow::shapeContains(const QPointF& windowPoint) const
{
    QUILLORY_ASSERT_MAIN_THREAD();
    return !m_shapes.clickable || m_shapes.clickable().contains(windowPoint);
}

void PanelWindow::updateShape()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (!m_shapes.outline || !testAttribute(Qt::WA_WState_Created))
        return;
    // Without a compositor the translucent margin would show black. With one, the window ends
    // where its shadow does, so that window managers' frames, which follow the window's shape
    // but not where it takes input, do not cover what lies beside the outline.
    const bool compositing = WindowSystemWatcher::instance().isCompositing();
    const QPainterPath drawn = compositing ? m_shapes.shadowed() : m_shapes.outline();
    const qreal ratio = devicePixelRatio();
    const QRegion clickable = wholePixels(m_shapes.clickable(), size(), ratio);
    const QRegion shown = wholePixels(drawn, size(), ratio);
    WindowSystem::setShape(winId(), clickable, shown);
    // The window takes no presses where it shows nothing.
    m_caughtPixels = isVisible() ? clickable - shown : QRegion();
    if (m_catcher)
        m_catcher->cover(framePixels(), m_caughtPixels);
}

QRect PanelWindow::framePixels() const
{
    const qreal ratio = devicePixelRatio();
    return {(QPointF(geometry().topLeft()) * ratio).toPoint(), (QSizeF(size()) * ratio).toSize()};
}

void PanelWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (m_catcher && !m_caughtPixels.isEmpty())
        m_catcher->cover(framePixels(), m_caughtPixels);
}

bool PanelWindow::isDoubleClick(const Press& press) const
{
    if (!m_lastCaughtPress || m_lastCaughtPress->button != press.button)
        return false;
    const auto interval = quint64(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    const int distance = QGuiApplication::styleHints()->mouseDoubleClickDistance();
    return press.time - m_lastCaughtPress->time < interval &&
           (press.position - m_lastCaughtPress->position).manhattanLength() <= distance;
}

void PanelWindow::forwardCaught(QEvent::Type type, const QPoint& pixel, Qt::MouseButton button,
                                Qt::MouseButtons buttons, quint64 time)
{
    QWindow* window = windowHandle();
    if (!window)
        return;
    const QPointF position = QPointF(pixel) / devicePixelRatio();
    const auto send = [&](QEvent::Type sent) {
        QMouseEvent event(sent, position, position, mapToGlobal(position), button, buttons,
                          QGuiApplication::keyboardModifiers());
        event.setTimestamp(time);
        QCoreApplication::sendEvent(window, &event);
    };
    send(type);
    if (type == QEvent::MouseButtonPress) {
        const Press press{time, pixel, button};
        // As Qt does for the window's own presses: a second one soon after is a double click
        // too, and a third starts over.
        if (isDoubleClick(press)) {
            send(QEvent::MouseButtonDblClick);
            m_lastCaughtPress.reset();
        } else {
            m_lastCaughtPress = press;
        }
    }
    // The cursor of the widget under the pointer: the window's own is that of the last widget
    // the pointer crossed inside the window, if any. A drag keeps the one it began with.
    if (m_catcher && (type == QEvent::MouseButtonPress || buttons == Qt::NoButton)) {
        const QWidget* under = childAt(position.toPoint());
        m_catcher->setCursor((under ? under : this)->cursor());
    }
}

void PanelWindow::setContentWidget(QWidget* content)
{
    QUILLORY_ASSERT_MAIN_THREAD();
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
    QUILLORY_ASSERT_MAIN_THREAD();
    show();
    raise();
    activateWindow();
    // Shown again before Qt saw the focus leave when it was hidden, the window still has the
    // focus in Qt's eyes but is no longer its active window: a click would focus nothing.
    if (QGuiApplication::focusWindow() == windowHandle() && QApplication::activeWindow() != this)
        QApplication::setActiveWindow(this);
}

void PanelWindow::setOpacity(qreal opacity)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    setWindowOpacity(opacity);
    WindowSystem::flush();
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
    m_caughtPixels = QRegion();
    if (m_catcher)
        m_catcher->cover({}, m_caughtPixels);
    QWidget::hideEvent(event);
}

bool PanelWindow::eventFilter(QObject* watched, QEvent* event)
{
    QUILLORY_ASSERT_MAIN_THREAD();
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
    // the tray icon, as a double click alone: it closes all the same. Other buttons than
    // these two only miss the content.
    const bool closes = mouse->button() == Qt::LeftButton || mouse->button() == Qt::RightButton;
    if (closes && m_onClickOutsideShape)
        m_onClickOutsideShape();
    return true;
}
