#include "platform/WindowSystem.h"
#include "platform/x11/X11Connection.h"

#include <QGuiApplication>
#include <QList>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <vector>

namespace {

// More window states or types than any window manager defines.
constexpr uint32_t maximumAtoms = 64;

// The property of Motif's window manager hints, as window managers still read it.
struct MotifHints
{
    uint32_t flags;
    uint32_t functions;
    uint32_t decorations;
    int32_t inputMode;
    uint32_t status;
};
constexpr uint32_t motifFunctionsAndDecorations = 0x3;
constexpr uint32_t motifMove = 0x4;
constexpr uint32_t motifClose = 0x20;
constexpr uint32_t motifBorder = 0x2;
constexpr uint32_t motifTitle = 0x8;
constexpr uint32_t motifMenu = 0x10;

xcb_connection_t* connection()
{
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// Writes the atoms `first` at the front of a window's list property, followed by the atoms
// already there, each once.
void putAtomsFirst(xcb_connection_t* x11, xcb_window_t window, const char* property,
                   std::initializer_list<const char*> first)
{
    const xcb_atom_t name = internAtom(x11, property);
    QList<xcb_atom_t> atoms;
    for (const char* atom : first)
        atoms.append(internAtom(x11, atom));
    if (name == XCB_ATOM_NONE || atoms.contains(XCB_ATOM_NONE))
        return;

    const XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        x11, xcb_get_property(x11, 0, window, name, XCB_ATOM_ATOM, 0, maximumAtoms), nullptr));
    if (reply) {
        const auto* present = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        const int count = xcb_get_property_value_length(reply.get()) / int(sizeof(xcb_atom_t));
        for (int i = 0; i < count; ++i) {
            if (!atoms.contains(present[i]))
                atoms.append(present[i]);
        }
    }
    xcb_change_property(x11, XCB_PROP_MODE_REPLACE, window, name, XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(atoms.size()), atoms.constData());
    xcb_flush(x11);
}

bool hasShapeExtension(xcb_connection_t* connection)
{
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(connection, &xcb_shape_id);
    return extension && extension->present;
}

std::vector<xcb_rectangle_t> rectangles(const QRegion& region)
{
    std::vector<xcb_rectangle_t> result;
    for (const QRect& rect : region)
        result.push_back({static_cast<int16_t>(rect.x()), static_cast<int16_t>(rect.y()),
                          static_cast<uint16_t>(rect.width()),
                          static_cast<uint16_t>(rect.height())});
    return result;
}

// The window's ancestor just below the root: the frame a window manager put around it, else
// the window itself.
xcb_window_t topLevel(xcb_connection_t* x11, xcb_window_t window)
{
    for (;;) {
        const XcbReply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(x11, xcb_query_tree(x11, window), nullptr));
        if (!tree || tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE)
            return window;
        window = tree->parent;
    }
}

} // namespace

namespace WindowSystem {

std::optional<QPoint> screenPosition(WId window)
{
    xcb_connection_t* x11 = connection();
    if (!x11)
        return std::nullopt;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x11)).data->root;
    const XcbReply<xcb_translate_coordinates_reply_t> reply(xcb_translate_coordinates_reply(
        x11, xcb_translate_coordinates(x11, static_cast<xcb_window_t>(window), root, 0, 0),
        nullptr));
    if (!reply)
        return std::nullopt;
    const QPoint position(reply->dst_x, reply->dst_y);
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
    if (xcb_connection_t* x11 = connection())
        putAtomsFirst(x11, static_cast<xcb_window_t>(window), "_NET_WM_STATE",
                      {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"});
}

void setShape(WId window, const QRegion& input, const QRegion& drawn)
{
    xcb_connection_t* x11 = connection();
    if (!x11 || !hasShapeExtension(x11))
        return;
    const auto target = static_cast<xcb_window_t>(window);
    const auto shape = [x11, target](xcb_shape_kind_t kind, const QRegion& region) {
        const std::vector<xcb_rectangle_t> pixels = rectangles(region);
        xcb_shape_rectangles(x11, XCB_SHAPE_SO_SET, kind, XCB_CLIP_ORDERING_UNSORTED, target, 0, 0,
                             static_cast<uint32_t>(pixels.size()), pixels.data());
    };
    shape(XCB_SHAPE_SK_INPUT, input);
    shape(XCB_SHAPE_SK_BOUNDING, drawn);
    xcb_flush(x11);
}

void setPopupHints(WId window)
{
    xcb_connection_t* x11 = connection();
    if (!x11)
        return;
    const auto target = static_cast<xcb_window_t>(window);
    // Read by the compositors of the compton family, some from the window manager's frame.
    const uint32_t noShadow = 0;
    const xcb_atom_t shadow = internAtom(x11, "_COMPTON_SHADOW");
    const xcb_window_t frame = topLevel(x11, target);
    for (const xcb_window_t carrier : {target, frame})
        xcb_change_property(x11, XCB_PROP_MODE_REPLACE, carrier, shadow, XCB_ATOM_CARDINAL, 32, 1,
                            &noShadow);
    xcb_flush(x11);
    // A kind of window that compositors leave unshadowed by default, ahead of the kinds the
    // toolkit wrote, which window managers that do not know it fall back to.
    putAtomsFirst(x11, target, "_NET_WM_WINDOW_TYPE", {"_NET_WM_WINDOW_TYPE_POPUP_MENU"});
}

void setAlertHints(WId window)
{
    xcb_connection_t* x11 = connection();
    if (!x11)
        return;
    const auto target = static_cast<xcb_window_t>(window);
    const xcb_atom_t dialog = internAtom(x11, "_NET_WM_WINDOW_TYPE_DIALOG");
    xcb_change_property(x11, XCB_PROP_MODE_REPLACE, target, internAtom(x11, "_NET_WM_WINDOW_TYPE"),
                        XCB_ATOM_ATOM, 32, 1, &dialog);
    // The window manager hints of Motif, which the toolkit writes with resizing allowed.
    const MotifHints hints{motifFunctionsAndDecorations, motifMove | motifClose,
                           motifBorder | motifTitle | motifMenu, 0, 0};
    const xcb_atom_t motif = internAtom(x11, "_MOTIF_WM_HINTS");
    xcb_change_property(x11, XCB_PROP_MODE_REPLACE, target, motif, motif, 32,
                        sizeof hints / sizeof(uint32_t), &hints);
    xcb_flush(x11);
}

std::optional<bool> hasFocus(WId window)
{
    xcb_connection_t* x11 = connection();
    if (!x11)
        return std::nullopt;
    const XcbReply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(x11, xcb_get_input_focus(x11), nullptr));
    if (!focus)
        return std::nullopt;
    return focus->focus == static_cast<xcb_window_t>(window);
}

bool givesFocus(WId window, const QByteArray& eventType, const void* message)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if (eventKind(*event) != XCB_FOCUS_IN)
        return false;
    const auto* focusIn = static_cast<const xcb_focus_in_event_t*>(message);
    // A focus-in of detail "pointer" says only that the pointer is over the window while the
    // focus is elsewhere.
    return focusIn->event == static_cast<xcb_window_t>(window) &&
           focusIn->detail != XCB_NOTIFY_DETAIL_POINTER;
}

} // namespace WindowSystem
