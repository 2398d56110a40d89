#include "X11ClickMonitor.h"

#include "platform/Log.h"

#include <QGuiApplication>
#include <QSet>
#include <QSocketNotifier>
#include <QWindow>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstdlib>
#include <memory>

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

struct FreeDeleter
{
    void operator()(void* pointer) const { std::free(pointer); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

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
    if (!connectToServer())
        disconnectFromServer();
}

X11ClickMonitor::~X11ClickMonitor()
{
    disconnectFromServer();
}

bool X11ClickMonitor::connectToServer()
{
    int screenNumber = 0;
    m_connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(m_connection)) {
        logUnavailableOnce(QStringLiteral("cannot connect to the X server"));
        return false;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    m_root = screens.data->root;

    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(m_connection, &xcb_input_id);
    if (!extension || !extension->present) {
        logUnavailableOnce(QStringLiteral("the X server has no XInput extension"));
        return false;
    }
    m_inputOpcode = extension->major_opcode;
    const Reply<xcb_input_xi_query_version_reply_t> version(xcb_input_xi_query_version_reply(
        m_connection, xcb_input_xi_query_version(m_connection, inputMajor, inputMinor), nullptr));
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
    const Reply<xcb_generic_error_t> error(xcb_request_check(
        m_connection, xcb_input_xi_select_events_checked(m_connection, m_root, 1, &mask.header)));
    if (error) {
        logUnavailableOnce(QStringLiteral("the X server refused raw button events"));
        return false;
    }

    m_notifier =
        new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11ClickMonitor::readEvents);
    return true;
}

void X11ClickMonitor::disconnectFromServer()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_connection)
        xcb_disconnect(m_connection);
    m_connection = nullptr;
}

void X11ClickMonitor::readEvents()
{
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        const Reply<xcb_generic_event_t> owned(event);
        if ((event->response_type & ~0x80) != XCB_GE_GENERIC)
            continue;
        const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
        if (generic->extension != m_inputOpcode ||
            generic->event_type != XCB_INPUT_RAW_BUTTON_PRESS)
            continue;
        handlePress(reinterpret_cast<const xcb_input_raw_button_press_event_t*>(event)->detail);
    }
    if (xcb_connection_has_error(m_connection)) {
        logger.error(QStringLiteral("Quillory: lost the X server connection of the click monitor"));
        disconnectFromServer();
    }
}

void X11ClickMonitor::handlePress(uint32_t detail)
{
    if (detail >= firstWheelButton && detail <= lastWheelButton)
        return;
    const Reply<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr));
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
        const Reply<xcb_query_pointer_reply_t> below(xcb_query_pointer_reply(
            m_connection, xcb_query_pointer(m_connection, window), nullptr));
        window = below ? below->child : xcb_window_t{XCB_WINDOW_NONE};
    }

    const qreal ratio = qApp->devicePixelRatio();
    const QPoint position(qRound(pointer->root_x / ratio), qRound(pointer->root_y / ratio));
    Q_EMIT pressed(position, toQtButton(detail));
}
