#include "X11IconBackdrop.h"

#include "platform/Log.h"

#include <QGuiApplication>

#include <algorithm>
#include <chrono>

namespace {

const Log logger("quillory.windowsystem");

// Time for a bar to repaint what an event asked of it before its pixels are read.
constexpr std::chrono::milliseconds settleTime{250};
// How many times a window that is not yet on the server is looked for, a settling time apart.
constexpr int looksForIcon = 8;
// How far beside the icon the bar is read, in pixels: about half an icon, so that neighbouring
// icons count for little against the bar between them.
constexpr int reach = 12;

constexpr uint32_t holderEvents = XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
constexpr uint32_t iconEvents = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
constexpr uint32_t rootEvents = XCB_EVENT_MASK_PROPERTY_CHANGE;
constexpr uint32_t noEvents = 0;

// The root window's properties through which the desktop background is published.
constexpr const char* backgroundProperties[] = {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID",
                                                "_XSETROOT_ID"};

// The pixel layout read: 32 bits each, least significant byte first, 8 bits a channel.
constexpr uint8_t bitsPerPixel = 32;
constexpr uint32_t redMask = 0xFF0000;
constexpr uint32_t greenMask = 0x00FF00;
constexpr uint32_t blueMask = 0x0000FF;

const xcb_screen_t* screenOf(const X11Connection& connection)
{
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection.get()));
    for (; screens.rem; xcb_screen_next(&screens)) {
        if (screens.data->root == connection.root())
            return screens.data;
    }
    return nullptr;
}

// Whether the screen's pixels come in the one layout read here, as on every screen of today.
bool hasReadablePixels(const xcb_setup_t* setup, const xcb_screen_t& screen)
{
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return false;
    const xcb_format_t* formats = xcb_setup_pixmap_formats(setup);
    const auto format =
        std::find_if(formats, formats + xcb_setup_pixmap_formats_length(setup),
                     [&](const xcb_format_t& f) { return f.depth == screen.root_depth; });
    if (format == formats + xcb_setup_pixmap_formats_length(setup) ||
        format->bits_per_pixel != bitsPerPixel)
        return false;
    for (xcb_depth_iterator_t depths = xcb_screen_allowed_depths_iterator(&screen); depths.rem;
         xcb_depth_next(&depths)) {
        for (xcb_visualtype_iterator_t visuals = xcb_depth_visuals_iterator(depths.data);
             visuals.rem; xcb_visualtype_next(&visuals)) {
            const xcb_visualtype_t& visual = *visuals.data;
            if (visual.visual_id == screen.root_visual)
                return visual.red_mask == redMask && visual.green_mask == greenMask &&
                       visual.blue_mask == blueMask;
        }
    }
    return false;
}

} // namespace

std::unique_ptr<IconBackdrop> IconBackdrop::create(QObject* parent)
{
    return std::make_unique<X11IconBackdrop>(parent);
}

X11IconBackdrop::X11IconBackdrop(QObject* parent)
    : IconBackdrop(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(settleTime);
    connect(&m_settle, &QTimer::timeout, this, &X11IconBackdrop::read);
    m_lookForIcon.setSingleShot(true);
    m_lookForIcon.setInterval(settleTime);
    connect(&m_lookForIcon, &QTimer::timeout, this, &X11IconBackdrop::watchIcon);
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !m_connection.isConnected())
        return;
    const xcb_screen_t* screen = screenOf(m_connection);
    if (!screen || !hasReadablePixels(xcb_get_setup(m_connection.get()), *screen)) {
        logger.info(QStringLiteral("Quillory: the screen's pixels are laid out in a way not read "
                                   "here; the tray icon follows the colour scheme alone"));
        m_connection.close();
        return;
    }
    m_screen = QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels);
    xcb_connection_t* connection = m_connection.get();
    for (const char* name : backgroundProperties)
        m_backgroundProperties.append(internAtom(connection, name));
    xcb_change_window_attributes(connection, m_connection.root(), XCB_CW_EVENT_MASK, &rootEvents);
    m_connection.watch([this](const xcb_generic_event_t& event) { handleEvent(event); },
                       [] {
                           logger.error(QStringLiteral("Quillory: lost the X server connection "
                                                       "that follows the tray's bar"));
                       });
}

void X11IconBackdrop::follow(WId window)
{
    m_icon = static_cast<xcb_window_t>(window);
    m_looksLeft = looksForIcon;
    if (m_connection.isWatching())
        watchIcon();
}

void X11IconBackdrop::watchIcon()
{
    xcb_connection_t* connection = m_connection.get();
    const XcbReply<xcb_generic_error_t> missing(xcb_request_check(
        connection,
        xcb_change_window_attributes_checked(connection, m_icon, XCB_CW_EVENT_MASK, &iconEvents)));
    // The toolkit makes the window over a connection of its own, whose request may reach the
    // server after ours: then the window is looked for again a moment later.
    if (missing) {
        if (--m_looksLeft > 0)
            m_lookForIcon.start();
        return;
    }
    watchHolders();
}

void X11IconBackdrop::refresh()
{
    if (m_connection.isWatching())
        m_settle.start();
}

void X11IconBackdrop::watchHolders()
{
    xcb_connection_t* connection = m_connection.get();
    for (const xcb_window_t holder : std::as_const(m_holders))
        xcb_change_window_attributes(connection, holder, XCB_CW_EVENT_MASK, &noEvents);
    m_holders.clear();
    for (xcb_window_t window = m_icon; window != XCB_WINDOW_NONE;) {
        const XcbReply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
        if (!tree || tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE)
            break;
        window = tree->parent;
        m_holders.append(window);
        xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &holderEvents);
    }
    xcb_flush(connection);
    m_settle.start();
}

void X11IconBackdrop::handleEvent(const xcb_generic_event_t& event)
{
    switch (eventKind(event)) {
    case XCB_EXPOSE:
        // The last of a series.
        if (reinterpret_cast<const xcb_expose_event_t&>(event).count == 0)
            m_settle.start();
        break;
    case XCB_CONFIGURE_NOTIFY:
    case XCB_MAP_NOTIFY:
        m_settle.start();
        break;
    case XCB_REPARENT_NOTIFY:
        // The icon, or a window holding it, taken in elsewhere.
        watchHolders();
        break;
    case XCB_DESTROY_NOTIFY:
        if (reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window == m_icon) {
            m_icon = XCB_WINDOW_NONE;
            m_holders.clear();
            setColor(std::nullopt);
        }
        break;
    case XCB_PROPERTY_NOTIFY:
        if (m_backgroundProperties.contains(
                reinterpret_cast<const xcb_property_notify_event_t&>(event).atom))
            m_settle.start();
        break;
    default:
        break;
    }
}

void X11IconBackdrop::read()
{
    setColor(barAroundIcon());
}

std::optional<QColor> X11IconBackdrop::barAroundIcon() const
{
    if (m_icon == XCB_WINDOW_NONE || m_holders.isEmpty())
        return std::nullopt;
    const std::optional<QRect> icon = rootGeometry(m_icon);
    const std::optional<QRect> bar = rootGeometry(m_holders.last());
    if (!icon || !bar)
        return std::nullopt;
    const QRect around = icon->adjusted(-reach, -reach, reach, reach) & *bar & m_screen;
    const QRect beside[] = {
        QRect(QPoint(around.left(), icon->top()), QPoint(icon->left() - 1, icon->bottom())),
        QRect(QPoint(icon->right() + 1, icon->top()), QPoint(around.right(), icon->bottom())),
        QRect(QPoint(icon->left(), around.top()), QPoint(icon->right(), icon->top() - 1)),
        QRect(QPoint(icon->left(), icon->bottom() + 1), QPoint(icon->right(), around.bottom())),
    };
    const auto besideExcept = [&](const QRegion& left) {
        QList<QRgb> seen;
        for (const QRect& strip : beside) {
            for (const QRect& part : QRegion(strip & around).subtracted(left))
                seen.append(pixels(part));
        }
        return seen;
    };
    // Another program's icon beside ours is no part of the bar, however much of it is in reach;
    // where nothing else is left, it counts all the same.
    QList<QRgb> seen = besideExcept(otherWindows());
    if (seen.isEmpty())
        seen = besideExcept(QRegion());
    if (seen.isEmpty())
        return std::nullopt;
    // The middle one by lightness: the bar itself rather than a neighbouring icon's drawing.
    const auto middle = seen.begin() + seen.size() / 2;
    std::nth_element(seen.begin(), middle, seen.end(),
                     [](QRgb a, QRgb b) { return qGray(a) < qGray(b); });
    return QColor(*middle);
}

QRegion X11IconBackdrop::otherWindows() const
{
    xcb_connection_t* connection = m_connection.get();
    QRegion others;
    xcb_window_t ours = m_icon;
    for (const xcb_window_t holder : m_holders) {
        const XcbReply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(connection, xcb_query_tree(connection, holder), nullptr));
        const xcb_window_t* children = tree ? xcb_query_tree_children(tree.get()) : nullptr;
        for (int i = 0; tree && i < xcb_query_tree_children_length(tree.get()); ++i) {
            if (children[i] == ours)
                continue;
            const XcbReply<xcb_get_window_attributes_reply_t> attributes(
                xcb_get_window_attributes_reply(
                    connection, xcb_get_window_attributes(connection, children[i]), nullptr));
            if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE ||
                attributes->_class != XCB_WINDOW_CLASS_INPUT_OUTPUT)
                continue;
            if (const std::optional<QRect> shown = rootGeometry(children[i]))
                others += *shown;
        }
        ours = holder;
    }
    return others;
}

std::optional<QRect> X11IconBackdrop::rootGeometry(xcb_window_t window) const
{
    xcb_connection_t* connection = m_connection.get();
    const XcbReply<xcb_get_geometry_reply_t> size(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    const XcbReply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, window, m_connection.root(), 0, 0),
        nullptr));
    if (!size || !origin)
        return std::nullopt;
    return QRect(origin->dst_x, origin->dst_y, size->width, size->height);
}

QList<QRgb> X11IconBackdrop::pixels(const QRect& area) const
{
    xcb_connection_t* connection = m_connection.get();
    const XcbReply<xcb_get_image_reply_t> image(xcb_get_image_reply(
        connection,
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_connection.root(),
                      static_cast<int16_t>(area.x()), static_cast<int16_t>(area.y()),
                      static_cast<uint16_t>(area.width()), static_cast<uint16_t>(area.height()),
                      ~0u),
        nullptr));
    QList<QRgb> result;
    if (!image)
        return result;
    const int count = xcb_get_image_data_length(image.get()) / int(sizeof(uint32_t));
    const auto* values = reinterpret_cast<const uint32_t*>(xcb_get_image_data(image.get()));
    result.reserve(count);
    for (int i = 0; i < count; ++i)
        result.append(qRgb(int((values[i] & redMask) >> 16), int((values[i] & greenMask) >> 8),
                           int(values[i] & blueMask)));
    return result;
}
