#pragma once

#include "platform/HotKeyCenter.h"

#include <map>
#include <optional>
#include <utility>
#include <vector>

class QSocketNotifier;
struct xcb_connection_t;

// Hot keys as passive key grabs on the root window, over a connection of its own so that the
// toolkit's connection never sees them. Each combination is grabbed once for every state of
// the lock keys, since the server matches modifiers exactly.
class X11HotKeyCenter final : public HotKeyCenter
{
    Q_OBJECT

public:
    // Connects to the display named by $DISPLAY; without one every registration is refused.
    explicit X11HotKeyCenter(QObject* parent = nullptr);
    ~X11HotKeyCenter() override;

    bool isConnected() const { return m_connection != nullptr; }

    int registerHotKey(quint32 id, quint32 keyCode, quint32 modifiers) override;
    void unregisterHotKey(quint32 id) override;

private:
    using Combination = std::pair<quint32, quint32>; // key code, modifiers

    void readEvents();
    // `event` is an xcb_generic_event_t, whose type cannot be declared ahead.
    void handleEvent(const void* event);
    void followMappingChange();
    void refreshNumLockMask();
    std::vector<quint32> lockVariants() const;
    int grab(const Combination& combination);
    void ungrab(const Combination& combination, const std::vector<quint32>& variants);
    std::optional<quint32> owner(const Combination& combination) const;
    void scheduleRead();

    xcb_connection_t* m_connection = nullptr;
    quint32 m_root = 0;
    quint32 m_numLockMask = 0;
    quint8 m_xkbEventBase = 0;
    QSocketNotifier* m_notifier = nullptr;
    std::map<quint32, Combination> m_hotKeys;
    // Key code of each grabbed press not yet released, with the hot key it was reported for.
    std::map<quint32, quint32> m_pressed;
};
