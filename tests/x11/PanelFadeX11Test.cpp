#include "app/shell/ShellTestFixture.h"

#include "platform/PanelWindow.h"
#include "support/ManualAnimationDriver.h"

#include "X11Input.h"

#include <QDeadlineTimer>
#include <QTest>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <poll.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

namespace {

using namespace std::chrono_literals;

constexpr double opaque = 0xffffffff;
// Marks an event that another client sent rather than the server.
constexpr uint8_t sentByClient = 0x80;
// The widget keeps its opacity in 255 steps.
constexpr double opacityStep = 1.0 / 255;

struct FreeDeleter
{
    void operator()(void* pointer) const { std::free(pointer); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

// The opacity the X server holds for a window, watched over a connection of the test's own: a
// read there sends nothing of what the program's connection still holds back.
class OpacityWatch
{
public:
    explicit OpacityWatch(xcb_window_t window)
        : m_connection(xcb_connect(nullptr, nullptr))
        , m_window(window)
    {
        constexpr char name[] = "_NET_WM_WINDOW_OPACITY";
        const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            m_connection,
            xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
            nullptr));
        m_atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
    }
    ~OpacityWatch() { xcb_disconnect(m_connection); }
    OpacityWatch(const OpacityWatch&) = delete;
    OpacityWatch& operator=(const OpacityWatch&) = delete;

    bool isConnected() const { return m_atom != XCB_ATOM_NONE; }

    // The property's value as a fraction of opaque; none when the window has none.
    std::optional<double> read() const
    {
        const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, m_window, m_atom, XCB_ATOM_CARDINAL, 0, 1), nullptr));
        if (!reply || xcb_get_property_value_length(reply.get()) != sizeof(uint32_t))
            return std::nullopt;
        return *static_cast<const uint32_t*>(xcb_get_property_value(reply.get())) / opaque;
    }

    // Waits, without running the program's event loop, until the server tells of a change of
    // the property; then its value.
    std::optional<double> nextChange()
    {
        QDeadlineTimer deadline(X11Input::timeoutMs);
        for (;;) {
            while (const Reply<xcb_generic_event_t> event{xcb_poll_for_event(m_connection)}) {
                const auto* change =
                    reinterpret_cast<const xcb_property_notify_event_t*>(event.get());
                if ((event->response_type & ~sentByClient) == XCB_PROPERTY_NOTIFY &&
                    change->atom == m_atom)
                    return read();
            }
            if (deadline.hasExpired())
                return std::nullopt;
            pollfd ready{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            poll(&ready, 1, int(deadline.remainingTime()));
        }
    }

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_window;
    xcb_atom_t m_atom = XCB_ATOM_NONE;
};

class PanelFadeX11Test : public ShellTestFixture
{};

TEST_F(PanelFadeX11Test, EachFrameOfTheFadeInReachesTheServerAsItComes)
{
    ManualAnimationDriver animations;
    m_controller.open();
    PanelWindow& panel = *m_controller.panel();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    OpacityWatch server(static_cast<xcb_window_t>(panel.winId()));
    ASSERT_TRUE(server.isConnected());
    EXPECT_EQ(server.read(), 0.0);

    constexpr int frames = 4;
    for (int frame = 1; frame <= frames; ++frame) {
        SCOPED_TRACE(frame);
        animations.advance(PopoverController::fadeInDuration / frames);
        const qreal shown = panel.windowOpacity();
        if (frame < frames) {
            EXPECT_TRUE(shown > 0 && shown < 1);
        }
        const std::optional<double> held = server.nextChange();
        ASSERT_TRUE(held) << "the frame's opacity never reached the server";
        EXPECT_NEAR(*held, shown, opacityStep);
    }
    EXPECT_EQ(server.read(), 1.0);
}

} // namespace
