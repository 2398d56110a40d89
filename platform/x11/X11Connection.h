#pragma once

#include <QObject>

#include <xcb/xcb.h>

#include <cstdlib>
#include <functional>
#include <memory>

class QSocketNotifier;

// A reply of xcb, freed when it goes.
struct XcbFree
{
    void operator()(void* pointer) const { std::free(pointer); }
};
template <typename T> using XcbReply = std::unique_ptr<T, XcbFree>;

xcb_atom_t internAtom(xcb_connection_t* connection, const QByteArray& name);

// What kind of event this is, whether the server sent it or another client did.
inline uint8_t eventKind(const xcb_generic_event_t& event)
{
    constexpr uint8_t sentByClient = 0x80;
    return event.response_type & ~sentByClient;
}

// A connection of our own to the X server of the default display, for watching what Qt's
// connection does not deliver. Once watched, the events that arrive are handed over from the
// event loop; a connection that breaks is closed.
class X11Connection : public QObject
{
    Q_OBJECT

public:
    explicit X11Connection(QObject* parent = nullptr);
    ~X11Connection() override;

    bool isConnected() const { return m_connection != nullptr; }
    bool isWatching() const { return m_notifier != nullptr; }
    xcb_connection_t* get() const { return m_connection; }
    xcb_window_t root() const { return m_root; }
    int screenNumber() const { return m_screenNumber; }

    // `lost` is called once the server connection broke and was closed.
    void watch(std::function<void(const xcb_generic_event_t&)> handle, std::function<void()> lost);
    void close();

private:
    void readEvents();

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    int m_screenNumber = 0;
    QSocketNotifier* m_notifier = nullptr;
    std::function<void(const xcb_generic_event_t&)> m_handle;
    std::function<void()> m_lost;
};
