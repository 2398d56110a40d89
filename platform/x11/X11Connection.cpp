#include "X11Connection.h"

#include <QSocketNotifier>

xcb_atom_t internAtom(xcb_connection_t* connection, const QByteArray& name)
{
    const XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.constData()),
        nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

X11Connection::X11Connection(QObject* parent)
    : QObject(parent)
{
    xcb_connection_t* connection = xcb_connect(nullptr, &m_screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    m_connection = connection;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < m_screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    m_root = screens.data->root;
}

X11Connection::~X11Connection()
{
    close();
}

void X11Connection::watch(std::function<void(const xcb_generic_event_t&)> handle,
                          std::function<void()> lost)
{
    if (!m_connection || m_notifier)
        return;
    m_handle = std::move(handle);
    m_lost = std::move(lost);
    m_notifier =
        new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11Connection::readEvents);
    // What arrived while the watch was being set up is not announced by the socket again.
    readEvents();
}

void X11Connection::close()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_connection)
        xcb_disconnect(m_connection);
    m_connection = nullptr;
}

void X11Connection::readEvents()
{
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        const XcbReply<xcb_generic_event_t> owned(event);
        m_handle(*event);
    }
    if (xcb_connection_has_error(m_connection)) {
        close();
        if (m_lost)
            m_lost();
    }
}
