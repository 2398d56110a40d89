#pragma once

#include "platform/WindowSystemWatcher.h"
#include "platform/x11/X11Connection.h"

// Learns of compositors and trays coming and going through the owners of their selections
// (XFixes), and of the tray's colours through its window's property, over a connection of its
// own. Without X11 or XFixes it reports nothing.
class X11WindowSystemWatcher final : public WindowSystemWatcher
{
    Q_OBJECT

public:
    explicit X11WindowSystemWatcher(QObject* parent);

private:
    bool selectOwnerChanges();
    void handleEvent(const xcb_generic_event_t& event);
    void readCompositor();
    void readTray();
    void readTrayColors();

    X11Connection m_connection;
    uint32_t m_compositorSelection = 0;
    uint32_t m_traySelection = 0;
    uint32_t m_trayColors = 0;
    uint32_t m_tray = 0;
    uint8_t m_fixesFirstEvent = 0;
};
