#include "X11WindowSystemWatcher.h"

#include "platform/Log.h"

#include <QGuiApplication>
#include <QPointer>

#include <xcb/xfixes.h>

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

xcb_window_t selectionOwner(xcb_connection_t* connection, xcb_atom_t selection)
{
    const XcbReply<xcb_get_selection_owner_reply_t> reply(xcb_get_selection_owner_reply(
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
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !m_connection.isConnected())
        return;
    if (!selectOwnerChanges()) {
        logger.error(QStringLiteral("Quillory: cannot follow the compositor and the tray's "
                                    "colours: the X server has no XFixes extension"));
        m_connection.close();
        return;
    }
    readCompositor();
    readTray();
    m_connection.watch([this](const xcb_generic_event_t& event) { handleEvent(event); },
                       [] {
                           logger.error(QStringLiteral("Quillory: lost the X server connection "
                                                       "that follows the compositor and the tray"));
                       });
}

bool X11WindowSystemWatcher::selectOwnerChanges()
{
    xcb_connection_t* connection = m_connection.get();
    const xcb_query_extension_reply_t* fixes = xcb_get_extension_data(connection, &xcb_xfixes_id);
    if (!fixes || !fixes->present)
        return false;
    m_fixesFirstEvent = fixes->first_event;
    std::free(xcb_xfixes_query_version_reply(
        connection, xcb_xfixes_query_version(connection, fixesMajor, fixesMinor), nullptr));

    const QByteArray screen = QByteArray::number(m_connection.screenNumber());
    m_compositorSelection = internAtom(connection, "_NET_WM_CM_S" + screen);
    m_traySelection = internAtom(connection, "_NET_SYSTEM_TRAY_S" + screen);
    m_trayColors = internAtom(connection, "_NET_SYSTEM_TRAY_COLORS");
    for (const xcb_atom_t selection : {m_compositorSelection, m_traySelection})
        xcb_xfixes_select_selection_input(connection, m_connection.root(), selection, ownerChanges);
    return true;
}

void X11WindowSystemWatcher::handleEvent(const xcb_generic_event_t& event)
{
    const uint8_t type = eventKind(event);
    if (type == m_fixesFirstEvent + XCB_XFIXES_SELECTION_NOTIFY) {
        const auto& notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(event);
        if (notify.selection == m_compositorSelection)
            readCompositor();
        else if (notify.selection == m_traySelection)
            readTray();
    } else if (type == XCB_PROPERTY_NOTIFY) {
        const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (notify.window == m_tray && notify.atom == m_trayColors)
            readTrayColors();
    }
}

void X11WindowSystemWatcher::readCompositor()
{
    setCompositing(selectionOwner(m_connection.get(), m_compositorSelection) != XCB_NONE);
}

void X11WindowSystemWatcher::readTray()
{
    m_tray = selectionOwner(m_connection.get(), m_traySelection);
    if (m_tray != XCB_NONE) {
        // The tray's window belongs to another client; its property changes are reported to
        // every client that asks.
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(m_connection.get(), m_tray, XCB_CW_EVENT_MASK, &events);
    }
    readTrayColors();
}

void X11WindowSystemWatcher::readTrayColors()
{
    std::optional<QColor> foreground;
    if (m_tray != XCB_NONE) {
        xcb_connection_t* connection = m_connection.get();
        const XcbReply<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(connection,
                                   xcb_get_property(connection, 0, m_tray, m_trayColors,
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
