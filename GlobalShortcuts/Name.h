#pragma once

#include "GlobalShortcuts/Shortcut.h"

#include <QHashFunctions>
#include <QString>

#include <optional>

namespace GlobalShortcuts {

// A global shortcut known by name. Its shortcut lives in the user defaults under "GlobalShortcuts_"
// followed by the name, and is read from there afresh on every use.
class Name
{
public:
    // Stores `defaultShortcut` when nothing is stored for the name (a shortcut the user cleared
    // stays cleared, and a value that cannot be read stays and blocks it; a stored shortcut the
    // recorder would refuse is logged and replaced), and starts following the application's
    // menus.
    explicit Name(const QString& rawValue,
                  const std::optional<Shortcut>& defaultShortcut = std::nullopt);

    const QString& rawValue() const { return m_rawValue; }
    const std::optional<Shortcut>& defaultShortcut() const { return m_defaultShortcut; }
    // The user-defaults key of the name's shortcut.
    const QString& storageKey() const { return m_storageKey; }

    std::optional<Shortcut> shortcut() const;
    void setShortcut(const std::optional<Shortcut>& shortcut) const;

    // Names are the same name whatever their defaults.
    friend bool operator==(const Name& left, const Name& right)
    {
        return left.m_rawValue == right.m_rawValue;
    }

    static const QString storagePrefix;

private:
    QString m_rawValue;
    std::optional<Shortcut> m_defaultShortcut;
    QString m_storageKey;
};

inline size_t qHash(const Name& name, size_t seed = 0) noexcept
{
    return ::qHash(name.rawValue(), seed);
}

} // namespace GlobalShortcuts
