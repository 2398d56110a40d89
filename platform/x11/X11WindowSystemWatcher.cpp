#include "X11WindowSystemWatcher.h"

#include "platform/Log.h"

#include <QGuiApplication>
#include <QPointer>
#include <QSocketNotifier>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>
#include <memory>

namespace {

const Log logger("quillory.windowsystem");

// The first version that reports changes of selection owners.
constexpr uint32_t fixesMajor = 1;
constexpr uint32_t fixesMinor = 0;

// The tray's colours: foreground, error, warning and success, each red, green and blue in
// sixteen bits; only the foreground is used.
constexpr uint32_t foregroundValues = 3;

constexpr uint32_t ownerChanges = XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                  XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                  XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE;

struct FreeDeleter
{
    void operator()(void* pointer) const { std::free(pointer); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t internAtom(xcb_connection_t* connection, const QByteArray& name)
{
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.constData()),
        nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

xcb_window_t selectionOwner(xcb_connection_t* connection, xcb_atom_t selection)
{
    const Reply<xcb_get_selection_owner_reply_t> reply(xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, selection), nullptr));
    return reply ? reply->owner : xcb_window_t{XCB_NONE};
}

} // namespace

WindowSystemWatcher& WindowSystemWatcher::instance()
{
    static QPointer<WindowSystemWatcher> shared;
    if (!shared)
        shared = new X11WindowSystemWatcher(qApp);
    return *shared;
}

X11WindowSystemWatcher::X11WindowSystemWatcher(QObject* parent)
    : WindowSystemWatcher(parent)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    if (!connectToServer()) {
        logger.error(QStringLiteral("Quillory: cannot follow the compositor and the tray's "
                                    "colours: the X server has no XFixes extension"));
        disconnectFromServer();
    }
}

X11WindowSystemWatcher::~X11WindowSystemWatcher()
{
    disconnectFromServer();
}

bool X11WindowSystemWatcher::connectToServer()
{
    int screenNumber = 0;
    m_connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(m_connection))
        return false;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    m_root = screens.data->root;

    const xcb_query_extension_reply_t* fixes = xcb_get_extension_data(m_connection, &xcb_xfixes_id);
    if (!fixes || !fixes->present)
        return false;
    m_fixesFirstEvent = fixes->first_event;
    std::free(xcb_xfixes_query_version_reply(
        m_connection, xcb_xfixes_query_version(m_connection, fixesMajor, fixesMinor), nullptr));

    const QByteArray screen = QByteArray::number(screenNumber);
    m_compositorSelection = internAtom(m_connection, "_NET_WM_CM_S" + screen);
    m_traySelection = internAtom(m_connection, "_NET_SYSTEM_TRAY_S" + screen);
    m_trayColors = internAtom(m_connection, "_NET_SYSTEM_TRAY_COLORS");
    for (const xcb_atom_t selection : {m_compositorSelection, m_traySelection})
        xcb_xfixes_select_selection_input(m_connection, m_root, selection, ownerChanges);

    m_notifier =
        new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11WindowSystemWatcher::readEvents);
    readCompositor();
    readTray();
    return true;
}

void X11WindowSystemWatcher::disconnectFromServer()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_connection)
        xcb_disconnect(m_connection);
    m_connection = nullptr;
}

void X11WindowSystemWatcher::readEvents()
{
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        const Reply<xcb_generic_event_t> owned(event);
        const uint8_t type = event->response_type & ~0x80;
        if (type == m_fixesFirstEvent + XCB_XFIXES_SELECTION_NOTIFY) {
            const auto* notify =
                reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
            if (notify->selection == m_compositorSelection)
                readCompositor();
            else if (notify->selection == m_traySelection)
                readTray();
        } else if (type == XCB_PROPERTY_NOTIFY) {
            const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
            if (notify->window == m_tray && notify->atom == m_trayColors)
                readTrayColors();
        }
    }
    if (xcb_connection_has_error(m_connection)) {
        logger.error(QStringLiteral("Quillory: lost the X server connection that follows the "
                                    "compositor and the tray"));
        disconnectFromServer();
    }
}

void X11WindowSystemWatcher::readCompositor()
{
    setCompositing(selectionOwner(m_connection, m_compositorSelection) != XCB_NONE);
}

void X11WindowSystemWatcher::readTray()
{
    m_tray = selectionOwner(m_connection, m_traySelection);
    if (m_tray != XCB_NONE) {
        // The tray's window belongs to another client; its property changes are reported to
        // every client that asks.
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(m_connection, m_tray, XCB_CW_EVENT_MASK, &events);
    }
    readTrayColors();
}

void X11WindowSystemWatcher::readTrayColors()
{
    std::optional<QColor> foreground;
    if (m_tray != XCB_NONE) {
        const Reply<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(m_connection,
                                   xcb_get_property(m_connection, 0, m_tray, m_trayColors,
                                                    XCB_ATOM_CARDINAL, 0, foregroundValues),
                                   nullptr));
        if (reply && reply->format == 32 &&
            uint32_t(xcb_get_property_value_length(reply.get())) >= foregroundValues * 4) {
            const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
            foreground =
                QColor::fromRgba64(quint16(values[0]), quint16(values[1]), quint16(values[2]));
        }
    }
    setTrayForeground(foreground);
}
