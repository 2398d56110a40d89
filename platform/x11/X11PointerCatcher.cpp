#include "platform/PointerCatcher.h"
#include "platform/x11/X11Connection.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QWindow>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <vector>

namespace {

constexpr uint32_t pointerEvents = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                                   XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_LEAVE_WINDOW;

Qt::MouseButton buttonOf(xcb_button_t button)
{
    switch (button) {
    case 1:
        return Qt::LeftButton;
    case 2:
        return Qt::MiddleButton;
    case 3:
        return Qt::RightButton;
    default:
        return Qt::NoButton;
    }
}

Qt::MouseButtons buttonsOf(uint16_t state)
{
    Qt::MouseButtons buttons;
    if (state & XCB_BUTTON_MASK_1)
        buttons |= Qt::LeftButton;
    if (state & XCB_BUTTON_MASK_2)
        buttons |= Qt::MiddleButton;
    if (state & XCB_BUTTON_MASK_3)
        buttons |= Qt::RightButton;
    return buttons;
}

// An input-only window of the application's own X connection, above the covered one and out
// of the window manager's hands. Its events come through the application's event loop.
class X11PointerCatcher : public PointerCatcher, public QAbstractNativeEventFilter
{
public:
    X11PointerCatcher(xcb_connection_t* connection, QObject* parent)
        : PointerCatcher(parent)
        , m_connection(connection)
        , m_window(xcb_generate_id(connection))
    {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        const uint32_t values[] = {1, pointerEvents};
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                          XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
        // Qt sets the cursor of a window it did not make, too.
        m_cursorWindow.reset(QWindow::fromWinId(m_window));
        qApp->installNativeEventFilter(this);
    }

    ~X11PointerCatcher() override
    {
        qApp->removeNativeEventFilter(this);
        m_cursorWindow.reset();
        xcb_destroy_window(m_connection, m_window);
        xcb_flush(m_connection);
    }

    void cover(const QRect& frame, const QRegion& region) override
    {
        if (region.isEmpty()) {
            xcb_unmap_window(m_connection, m_window);
            xcb_flush(m_connection);
            return;
        }
        const uint32_t geometry[] = {uint32_t(frame.x()), uint32_t(frame.y()),
                                     uint32_t(frame.width()), uint32_t(frame.height()),
                                     XCB_STACK_MODE_ABOVE};
        xcb_configure_window(m_connection, m_window,
                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                 XCB_CONFIG_WINDOW_HEIGHT | XCB_CONFIG_WINDOW_STACK_MODE,
                             geometry);
        std::vector<xcb_rectangle_t> rectangles;
        for (const QRect& rect : region)
            rectangles.push_back({int16_t(rect.x()), int16_t(rect.y()), uint16_t(rect.width()),
                                  uint16_t(rect.height())});
        for (const xcb_shape_kind_t kind : {XCB_SHAPE_SK_BOUNDING, XCB_SHAPE_SK_INPUT})
            xcb_shape_rectangles(m_connection, XCB_SHAPE_SO_SET, kind, XCB_CLIP_ORDERING_UNSORTED,
                                 m_window, 0, 0, uint32_t(rectangles.size()), rectangles.data());
        xcb_map_window(m_connection, m_window);
        xcb_flush(m_connection);
    }

    void setCursor(const QCursor& cursor) override { m_cursorWindow->setCursor(cursor); }

    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override
    {
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        switch (eventKind(*event)) {
        case XCB_BUTTON_PRESS:
        case XCB_BUTTON_RELEASE: {
            const auto* button = reinterpret_cast<const xcb_button_press_event_t*>(event);
            if (button->event != m_window)
                return false;
            const bool press = eventKind(*event) == XCB_BUTTON_PRESS;
            const Qt::MouseButton changed = buttonOf(button->detail);
            // The state is the one before the event.
            const Qt::MouseButtons held =
                press ? buttonsOf(button->state) | changed : buttonsOf(button->state) & ~changed;
            Q_EMIT pointerEvent(press ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease,
                                QPoint(button->event_x, button->event_y), changed, held,
                                button->time);
            return true;
        }
        case XCB_MOTION_NOTIFY: {
            const auto* motion = reinterpret_cast<const xcb_motion_notify_event_t*>(event);
            if (motion->event != m_window)
                return false;
            Q_EMIT pointerEvent(QEvent::MouseMove, QPoint(motion->event_x, motion->event_y),
                                Qt::NoButton, buttonsOf(motion->state), motion->time);
            return true;
        }
        case XCB_LEAVE_NOTIFY: {
            const auto* leave = reinterpret_cast<const xcb_leave_notify_event_t*>(event);
            if (leave->event != m_window)
                return false;
            Q_EMIT left();
            return true;
        }
        default:
            return false;
        }
    }

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_window;
    std::unique_ptr<QWindow> m_cursorWindow;
};

} // namespace

std::unique_ptr<PointerCatcher> PointerCatcher::create(QObject* parent)
{
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return nullptr;
    return std::make_unique<X11PointerCatcher>(x11->connection(), parent);
}
