#include "FakeHotKeyCenter.h"

int FakeHotKeyCenter::registerHotKey(quint32 id, quint32 keyCode, quint32 modifiers)
{
    ++m_registrationCount;
    const Combination combination{keyCode, modifiers};
    const auto refused = m_refused.find(combination);
    if (refused != m_refused.end())
        return refused->second;
    m_hotKeys[id] = combination;
    return noError;
}

void FakeHotKeyCenter::unregisterHotKey(quint32 id)
{
    m_hotKeys.erase(id);
}

void FakeHotKeyCenter::refuse(quint32 keyCode, quint32 modifiers, int status)
{
    m_refused[{keyCode, modifiers}] = status;
}

void FakeHotKeyCenter::allow(quint32 keyCode, quint32 modifiers)
{
    m_refused.erase({keyCode, modifiers});
}

bool FakeHotKeyCenter::isHeld(quint32 keyCode, quint32 modifiers) const
{
    return owner({keyCode, modifiers}).has_value();
}

bool FakeHotKeyCenter::press(quint32 keyCode, quint32 modifiers)
{
    const auto id = owner({keyCode, modifiers});
    if (id)
        Q_EMIT hotKeyPressed(*id);
    return id.has_value();
}

bool FakeHotKeyCenter::release(quint32 keyCode, quint32 modifiers)
{
    const auto id = owner({keyCode, modifiers});
    if (id)
        Q_EMIT hotKeyReleased(*id);
    return id.has_value();
}

std::optional<quint32> FakeHotKeyCenter::owner(const Combination& combination) const
{
    for (const auto& [id, held] : m_hotKeys) {
        if (held == combination)
            return id;
    }
    return std::nullopt;
}
