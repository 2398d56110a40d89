#pragma once

#include <QtGlobal>

struct xcb_connection_t;

// The X server's own clock, read from the time it stamps on an event it sends back, and the
// moment by that clock when the server has repeated a key held down.
class ServerClock
{
public:
    ServerClock();
    ~ServerClock();
    ServerClock(const ServerClock&) = delete;
    ServerClock& operator=(const ServerClock&) = delete;

    bool isConnected() const { return m_window != 0; }
    // Milliseconds by the server's clock.
    quint32 now();
    // Whether a key held down since `since` (a time of now()) has been repeated by the server:
    // its repeat delay and one repeat interval have passed by its own clock, so the repeat
    // comes before any input sent from here on.
    bool hasRepeatedKeyHeldSince(quint32 since);

private:
    xcb_connection_t* m_connection = nullptr;
    quint32 m_window = 0;
    quint32 m_firstRepeatMs = 0;
};
