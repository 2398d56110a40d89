#include "GlobalShortcuts/Name.h"

#include "GlobalShortcuts/GlobalShortcuts.h"

namespace GlobalShortcuts {

const QString Name::storagePrefix = QStringLiteral("GlobalShortcuts_");

Name::Name(const QString& rawValue, const std::optional<Shortcut>& defaultShortcut)
    : m_rawValue(rawValue)
    , m_defaultShortcut(defaultShortcut)
    , m_storageKey(storagePrefix + rawValue)
{
    storeDefaultUnlessStored(*this);
    installMenuObservers();
}

std::optional<Shortcut> Name::shortcut() const
{
    return getShortcut(*this);
}

void Name::setShortcut(const std::optional<Shortcut>& shortcut) const
{
    GlobalShortcuts::setShortcut(shortcut, *this);
}

} // namespace GlobalShortcuts
