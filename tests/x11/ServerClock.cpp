#include "ServerClock.h"

#include <xcb/xcb.h>
// xkb.h names a member `explicit`, which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>
#include <memory>

namespace {

struct FreeDeleter
{
    void operator()(void* pointer) const { std::free(pointer); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

constexpr quint8 responseTypeMask = 0x7f;

} // namespace

ServerClock::ServerClock()
    : m_connection(xcb_connect(nullptr, nullptr))
{
    if (xcb_connection_has_error(m_connection))
        return;
    const Reply<xcb_xkb_use_extension_reply_t> xkb(xcb_xkb_use_extension_reply(
        m_connection,
        xcb_xkb_use_extension(m_connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION),
        nullptr));
    const Reply<xcb_xkb_get_controls_reply_t> controls(
        xkb && xkb->supported
            ? xcb_xkb_get_controls_reply(
                  m_connection, xcb_xkb_get_controls(m_connection, XCB_XKB_ID_USE_CORE_KBD),
                  nullptr)
            : nullptr);
    if (!controls)
        return;
    m_firstRepeatMs = quint32(controls->repeatDelay) + controls->repeatInterval;

    // An unmapped window of our own whose property changes come back stamped with the time.
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    m_window = xcb_generate_id(m_connection);
    const quint32 events[] = {XCB_EVENT_MASK_PROPERTY_CHANGE};
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, events);
}

ServerClock::~ServerClock()
{
    xcb_disconnect(m_connection);
}

quint32 ServerClock::now()
{
    // Appending nothing changes nothing, but the server still reports the change with its time.
    xcb_change_property(m_connection, XCB_PROP_MODE_APPEND, m_window, XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, 0, nullptr);
    xcb_flush(m_connection);
    while (const Reply<xcb_generic_event_t> event{xcb_wait_for_event(m_connection)}) {
        if ((event->response_type & responseTypeMask) == XCB_PROPERTY_NOTIFY)
            return reinterpret_cast<const xcb_property_notify_event_t*>(event.get())->time;
    }
    return 0;
}

bool ServerClock::hasRepeatedKeyHeldSince(quint32 since)
{
    return now() - since >= m_firstRepeatMs;
}
