#include "X11Input.h"

#include "ServerClock.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>

namespace {

// A client of its own, like any other program that sends input.
class PointerClient
{
public:
    PointerClient()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        if (!xcb_connection_has_error(m_connection))
            m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    }
    ~PointerClient() { xcb_disconnect(m_connection); }

    bool isConnected() const { return m_root != 0; }

    void click(const QPoint& position, int button)
    {
        xcb_test_fake_input(m_connection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root,
                            static_cast<int16_t>(position.x()), static_cast<int16_t>(position.y()),
                            0);
        const auto detail = static_cast<uint8_t>(button);
        xcb_test_fake_input(m_connection, XCB_BUTTON_PRESS, detail, XCB_CURRENT_TIME, XCB_NONE, 0,
                            0, 0);
        xcb_test_fake_input(m_connection, XCB_BUTTON_RELEASE, detail, XCB_CURRENT_TIME, XCB_NONE, 0,
                            0, 0);
        // A round trip: the server has handled everything sent before it.
        std::free(
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_root = 0;
};

xcb_connection_t* qtConnection()
{
    return qApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

} // namespace

namespace X11Input {

QStringList trayArguments(std::optional<QRgb> bar, Qt::Edge edge)
{
    QStringList arguments =
        QStringLiteral("--edge %1 --align right --widthtype pixel --width %2 "
                       "--height %3 --SetDockType true")
            .arg(edge == Qt::BottomEdge ? QStringLiteral("bottom") : QStringLiteral("top"))
            .arg(trayWidth)
            .arg(trayHeight)
            .split(u' ');
    if (bar)
        arguments += QStringLiteral("--transparent true --alpha 0 --tint 0x%1")
                         .arg(*bar & RGB_MASK, 6, 16, QLatin1Char('0'))
                         .split(u' ');
    return arguments;
}

bool type(const QString& text)
{
    QProcess process;
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(QStringLiteral("xdotool"), {QStringLiteral("type"), text});
    return finished.wait(timeoutMs) && process.exitCode() == 0;
}

bool clickAt(const QPoint& position, int button)
{
    static PointerClient client;
    static ServerClock clock;
    if (!client.isConnected() || !clock.isConnected())
        return false;
    client.click(position, button);
    // A person's presses never share a millisecond, and the program tells a press of its own
    // from one elsewhere by its time: the next click comes at a later time than this one.
    const quint32 clicked = clock.now();
    return waitFor([&] { return clock.now() != clicked; });
}

bool waitFor(const std::function<bool()>& condition)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

bool isViewable(const QWidget& window)
{
    xcb_connection_t* connection = qtConnection();
    xcb_get_window_attributes_reply_t* reply = xcb_get_window_attributes_reply(
        connection,
        xcb_get_window_attributes(connection, static_cast<xcb_window_t>(window.winId())), nullptr);
    const bool viewable = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(reply);
    return viewable;
}

QPoint screenPosition(const QWidget& window)
{
    xcb_connection_t* connection = qtConnection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_translate_coordinates_reply_t* reply = xcb_translate_coordinates_reply(
        connection,
        xcb_translate_coordinates(connection, static_cast<xcb_window_t>(window.winId()), root, 0,
                                  0),
        nullptr);
    if (!reply)
        return {};
    const QPoint position(reply->dst_x, reply->dst_y);
    std::free(reply);
    return position;
}

} // namespace X11Input
