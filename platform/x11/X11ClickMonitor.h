#pragma once

#include "platform/GlobalClickMonitor.h"
#include "platform/x11/X11Connection.h"

#include <optional>

// Raw button presses of the XInput 2.2 extension on the root window, over a connection of its
// own. Without X11 or the extension it reports nothing.
class X11ClickMonitor final : public GlobalClickMonitor
{
    Q_OBJECT

public:
    explicit X11ClickMonitor(QObject* parent = nullptr);
    ~X11ClickMonitor() override;

    bool isActive() const override { return m_connection.isWatching(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool selectRawPresses();
    void handleEvent(const xcb_generic_event_t& event);
    void handlePress(uint32_t detail, xcb_timestamp_t time);

    X11Connection m_connection;
    uint8_t m_inputOpcode = 0;
    // When the last press that Qt delivered to one of our windows happened, in server time.
    std::optional<xcb_timestamp_t> m_lastOwnPress;
};
