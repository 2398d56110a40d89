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

// The _NET_WM_STATE client message's "add" action.
constexpr uint32_t netWmStateAdd = 1;
// The message comes from an ordinary application.
constexpr uint32_t sourceIndicationApplication = 1;

} // namespace

PanelWindow::PanelWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::NoDropShadowWindowHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    setFocusPolicy(Qt::StrongFocus);
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
    const QPointF windowPoint = mapFromGlobal(mouse->globalPosition());
    if (shapeContains(windowPoint))
        return false;
    if (event->type() == QEvent::MouseButtonPress && m_onClickOutsideShape)
        m_onClickOutsideShape();
    return true;
}

void PanelWindow::markSkipTaskbar()
{
    // Tool windows keep out of most taskbars already; this says it to the rest as well.
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || !windowHandle())
        return;
    const auto window = static_cast<xcb_window_t>(winId());
    const xcb_atom_t state = internAtom(connection, "_NET_WM_STATE");
    const xcb_atom_t skipTaskbar = internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    const xcb_atom_t skipPager = internAtom(connection, "_NET_WM_STATE_SKIP_PAGER");
    if (state == XCB_ATOM_NONE || skipTaskbar == XCB_ATOM_NONE)
        return;

    xcb_client_message_event_t message = {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = state;
    message.data.data32[0] = netWmStateAdd;
    message.data.data32[1] = skipTaskbar;
    message.data.data32[2] = skipPager;
    message.data.data32[3] = sourceIndicationApplication;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
}
