#include "X11ClickMonitor.h"

#include "platform/Log.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QSet>
#include <QTimer>
#include <QWindow>

#include <xcb/xinput.h>

namespace {

const Log logger("quillory.clickmonitor");

// XInput 2.2 delivers raw events to the root window even while another client grabs the
// pointer, which is exactly when a click elsewhere must still be seen.
constexpr uint16_t inputMajor = 2;
constexpr uint16_t inputMinor = 2;

// X11 button numbers.
constexpr uint32_t leftButton = 1;
constexpr uint32_t middleButton = 2;
constexpr uint32_t rightButton = 3;
constexpr uint32_t firstWheelButton = 4;
constexpr uint32_t lastWheelButton = 7;
constexpr uint32_t backButton = 8;
constexpr uint32_t forwardButton = 9;

// Long enough for Qt to deliver a press that went to our windows on a busy desktop, short
// enough that a panel closing after a click elsewhere does not seem to lag.
constexpr std::chrono::milliseconds ownPressGrace{60};

void logUnavailableOnce(const QString& reason)
{
    static bool logged = false;
    if (logged)
        return;
    logged = true;
    logger.error(QStringLiteral("Quillory: clicks outside the panel cannot be seen: ") + reason);
}

Qt::MouseButton toQtButton(uint32_t button)
{
    switch (button) {
    case leftButton:
        return Qt::LeftButton;
    case middleButton:
        return Qt::MiddleButton;
    case rightButton:
        return Qt::RightButton;
    case backButton:
        return Qt::BackButton;
    case forwardButton:
        return Qt::ForwardButton;
    default:
        return Qt::NoButton;
    }
}

QSet<xcb_window_t> ownWindows()
{
    QSet<xcb_window_t> windows;
    for (QWindow* window : QGuiApplication::allWindows()) {
        if (window->handle())
            windows.insert(static_cast<xcb_window_t>(window->winId()));
    }
    return windows;
}

} // namespace

std::unique_ptr<GlobalClickMonitor> GlobalClickMonitor::create(QObject* parent)
{
    return std::make_unique<X11ClickMonitor>(parent);
}

X11ClickMonitor::X11ClickMonitor(QObject* parent)
    : GlobalClickMonitor(parent)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        logUnavailableOnce(QStringLiteral("the desktop is not an X11 session"));
        return;
    }
    if (!m_connection.isConnected()) {
        logUnavailableOnce(QStringLiteral("cannot connect to the X server"));
        return;
    }
    if (!selectRawPresses()) {
        m_connection.close();
        return;
    }
    qApp->installEventFilter(this);
    m_connection.watch([this](const xcb_generic_event_t& event) { handleEvent(event); },
                       [] {
                           logger.error(QStringLiteral(
                               "Quillory: lost the X server connection of the click monitor"));
                       });
}

X11ClickMonitor::~X11ClickMonitor() = default;

bool X11ClickMonitor::selectRawPresses()
{
    xcb_connection_t* connection = m_connection.get();
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(connection, &xcb_input_id);
    if (!extension || !extension->present) {
        logUnavailableOnce(QStringLiteral("the X server has no XInput extension"));
        return false;
    }
    m_inputOpcode = extension->major_opcode;
    const XcbReply<xcb_input_xi_query_version_reply_t> version(xcb_input_xi_query_version_reply(
        connection, xcb_input_xi_query_version(connection, inputMajor, inputMinor), nullptr));
    if (!version || version->major_version < inputMajor ||
        (version->major_version == inputMajor && version->minor_version < inputMinor)) {
        logUnavailableOnce(QStringLiteral("the X server's XInput is older than 2.2"));
        return false;
    }

    struct
    {
        xcb_input_event_mask_t header;
        uint32_t bits;
    } mask = {};
    mask.header.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    mask.header.mask_len = 1;
    mask.bits = XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS;
    const XcbReply<xcb_generic_error_t> error(xcb_request_check(
        connection,
        xcb_input_xi_select_events_checked(connection, m_connection.root(), 1, &mask.header)));
    if (error) {
        logUnavailableOnce(QStringLiteral("the X server refused raw button events"));
        return false;
    }
    return true;
}

void X11ClickMonitor::handleEvent(const xcb_generic_event_t& event)
{
    if (eventKind(event) != XCB_GE_GENERIC)
        return;
    const auto& generic = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
    if (generic.extension != m_inputOpcode || generic.event_type != XCB_INPUT_RAW_BUTTON_PRESS)
        return;
    const auto& press = reinterpret_cast<const xcb_input_raw_button_press_event_t&>(event);
    handlePress(press.detail, press.time);
}

bool X11ClickMonitor::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
        m_lastOwnPress = xcb_timestamp_t(static_cast<QMouseEvent*>(event)->timestamp());
    return GlobalClickMonitor::eventFilter(watched, event);
}

void X11ClickMonitor::handlePress(uint32_t detail, xcb_timestamp_t time)
{
    if (detail >= firstWheelButton && detail <= lastWheelButton)
        return;
    xcb_connection_t* connection = m_connection.get();
    const XcbReply<xcb_query_pointer_reply_t> pointer(xcb_query_pointer_reply(
        connection, xcb_query_pointer(connection, m_connection.root()), nullptr));
    if (!pointer)
        return;

    // Walk down from the root to the deepest window under the pointer: a press anywhere on
    // that path that is ours (our panel inside a window manager frame, our tray icon inside
    // the tray) reaches us through Qt.
    const QSet<xcb_window_t> ours = ownWindows();
    xcb_window_t window = pointer->child;
    while (window != XCB_WINDOW_NONE) {
        if (ours.contains(window))
            return;
        const XcbReply<xcb_query_pointer_reply_t> below(
            xcb_query_pointer_reply(connection, xcb_query_pointer(connection, window), nullptr));
        window = below ? below->child : xcb_window_t{XCB_WINDOW_NONE};
    }

    const qreal ratio = qApp->devicePixelRatio();
    const QPoint position(qRound(pointer->root_x / ratio), qRound(pointer->root_y / ratio));
    // The pointer is read when the press is handled here, which on a busy desktop can be after
    // a drag that began on one of our windows has left it. Such a press reaches Qt too, soon
    // after: it is ours when Qt delivers it within the grace period.
    QTimer::singleShot(ownPressGrace, this, [this, position, detail, time] {
        if (m_lastOwnPress != time)
            Q_EMIT pressed(position, toQtButton(detail));
    });
}
