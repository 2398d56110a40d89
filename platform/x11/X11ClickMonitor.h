#pragma once

#include "platform/GlobalClickMonitor.h"

class QSocketNotifier;
struct xcb_connection_t;

// Raw button presses of the XInput 2.2 extension on the root window, over a connection of its
// own. Without X11 or the extension it reports nothing.
class X11ClickMonitor final : public GlobalClickMonitor
{
    Q_OBJECT

public:
    explicit X11ClickMonitor(QObject* parent = nullptr);
    ~X11ClickMonitor() override;

    bool isActive() const override { return m_notifier != nullptr; }

private:
    bool connectToServer();
    void readEvents();
    void handlePress(uint32_t detail);
    void disconnectFromServer();

    xcb_connection_t* m_connection = nullptr;
    uint32_t m_root = 0;
    uint8_t m_inputOpcode = 0;
    QSocketNotifier* m_notifier = nullptr;
};
