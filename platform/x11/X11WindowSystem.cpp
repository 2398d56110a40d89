#include "platform/WindowSystem.h"

#include <QGuiApplication>
#include <QList>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

// More window states than any window manager defines.
constexpr uint32_t maximumStates = 64;

xcb_connection_t* connection()
{
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(qstrlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

} // namespace

namespace WindowSystem {

std::optional<QPoint> screenPosition(WId window)
{
    xcb_connection_t* x11 = connection();
    if (!x11)
        return std::nullopt;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x11)).data->root;
    xcb_translate_coordinates_reply_t* reply = xcb_translate_coordinates_reply(
        x11, xcb_translate_coordinates(x11, static_cast<xcb_window_t>(window), root, 0, 0),
        nullptr);
    if (!reply)
        return std::nullopt;
    const QPoint position(reply->dst_x, reply->dst_y);
    std::free(reply);
    const qreal ratio = qApp->devicePixelRatio();
    return QPoint(qRound(position.x() / ratio), qRound(position.y() / ratio));
}

void flush()
{
    if (xcb_connection_t* x11 = connection())
        xcb_flush(x11);
}

void skipTaskbar(WId window)
{
    xcb_connection_t* x11 = connection();
    if (!x11)
        return;
    const auto target = static_cast<xcb_window_t>(window);
    const xcb_atom_t state = internAtom(x11, "_NET_WM_STATE");
    QList<xcb_atom_t> atoms;
    for (const char* name : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"})
        atoms.append(internAtom(x11, name));
    if (state == XCB_ATOM_NONE || atoms.contains(XCB_ATOM_NONE))
        return;

    const xcb_get_property_cookie_t cookie =
        xcb_get_property(x11, 0, target, state, XCB_ATOM_ATOM, 0, maximumStates);
    if (xcb_get_property_reply_t* reply = xcb_get_property_reply(x11, cookie, nullptr)) {
        const auto* present = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        const int count = xcb_get_property_value_length(reply) / int(sizeof(xcb_atom_t));
        for (int i = 0; i < count; ++i) {
            if (!atoms.contains(present[i]))
                atoms.append(present[i]);
        }
        std::free(reply);
    }
    xcb_change_property(x11, XCB_PROP_MODE_REPLACE, target, state, XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(atoms.size()), atoms.constData());
    xcb_flush(x11);
}

} // namespace WindowSystem
