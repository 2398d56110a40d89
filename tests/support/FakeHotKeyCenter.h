#pragma once

#include "platform/HotKeyCenter.h"

#include <optional>

#include <map>
#include <utility>

// Keeps hot keys in memory and lets a test press them, refuse them, and see what is held.
class FakeHotKeyCenter final : public HotKeyCenter
{
    Q_OBJECT

public:
    using Combination = std::pair<quint32, quint32>; // key code, modifiers

    using HotKeyCenter::HotKeyCenter;

    int registerHotKey(quint32 id, quint32 keyCode, quint32 modifiers) override;
    void unregisterHotKey(quint32 id) override;

    // Registrations of this combination are answered with `status` until it is allowed again.
    void refuse(quint32 keyCode, quint32 modifiers, int status = badAccessError);
    void allow(quint32 keyCode, quint32 modifiers);

    bool isHeld(quint32 keyCode, quint32 modifiers) const;
    std::map<quint32, Combination> hotKeys() const { return m_hotKeys; }
    int registrationCount() const { return m_registrationCount; }

    // What the system does for a press and a release of a held combination; returns whether
    // it was held.
    bool press(quint32 keyCode, quint32 modifiers);
    bool release(quint32 keyCode, quint32 modifiers);

private:
    std::optional<quint32> owner(const Combination& combination) const;

    std::map<quint32, Combination> m_hotKeys;
    std::map<Combination, int> m_refused;
    int m_registrationCount = 0;
};
