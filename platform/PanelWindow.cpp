#include "PanelWindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWindow>

#include <xcb/xcb.h>

namespace {

// Only the start of a click is judged by the shape: a drag that began inside (a resize
// handle) keeps its moves and its release wherever the pointer goes.
bool isPress(QEvent::Type type)
{
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
}

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(qstrlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    free(reply);
    return atom;
}

// More window states than any window manager defines.
constexpr uint32_t maximumStates = 64;

} // namespace

PanelWindow::PanelWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::NoDropShadowWindowHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
}

bool PanelWindow::shapeContains(const QPointF& windowPoint) const
{
    return !m_shapeHitTest || m_shapeHitTest(windowPoint);
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
}

void PanelWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_content)
        m_content->setGeometry(rect());
}

void PanelWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Presses on the content pass through here first while the panel is on screen.
    qApp->installEventFilter(this);
    markSkipTaskbar();
}

void PanelWindow::hideEvent(QHideEvent* event)
{
    qApp->removeEventFilter(this);
    QWidget::hideEvent(event);
}

bool PanelWindow::eventFilter(QObject* watched, QEvent* event)
{
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

void PanelWindow::markSkipTaskbar()
{
    // Tool windows keep out of most taskbars already; this says it to the rest as well. The
    // window is not mapped yet, so the state is written as a property, which Qt's own state
    // hints are merged into when it maps the window.
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || !windowHandle())
        return;
    const auto window = static_cast<xcb_window_t>(winId());
    const xcb_atom_t state = internAtom(connection, "_NET_WM_STATE");
    QList<xcb_atom_t> atoms;
    for (const char* name : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"})
        atoms.append(internAtom(connection, name));
    if (state == XCB_ATOM_NONE || atoms.contains(XCB_ATOM_NONE))
        return;

    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, window, state, XCB_ATOM_ATOM, 0, maximumStates);
    if (xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr)) {
        const auto* present = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        const int count = xcb_get_property_value_length(reply) / int(sizeof(xcb_atom_t));
        for (int i = 0; i < count; ++i) {
            if (!atoms.contains(present[i]))
                atoms.append(present[i]);
        }
        free(reply);
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(atoms.size()), atoms.constData());
    xcb_flush(connection);
}
