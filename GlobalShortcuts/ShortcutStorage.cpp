#include "GlobalShortcuts/GlobalShortcuts.h"

#include "GlobalShortcuts/CarbonGlobalShortcuts.h"
#include "GlobalShortcuts/ModuleState.h"
#include "platform/UserDefaults.h"

namespace GlobalShortcuts {

std::optional<Shortcut> getShortcut(const Name& name)
{
    const QVariant value = UserDefaults::standard().object(name.storageKey());
    if (value.metaType().id() != QMetaType::QString)
        return std::nullopt;
    const QString json = value.toString();
    return Shortcut::fromJson(QStringView(json));
}

void userDefaultsSet(const Name& name, const Shortcut& shortcut)
{
    const QString json = QString::fromUtf8(shortcut.toJson());
    if (const auto old = getShortcut(name))
        unregisterAndForget(*old);
    ModuleState& state = ModuleState::instance();
    if (!state.registeredShortcuts.contains(shortcut)) {
        // Kept even when the system refuses it, so that it is tried again.
        CarbonGlobalShortcuts::registerShortcut(shortcut, handleOnKeyDown, handleOnKeyUp);
        state.registeredShortcuts.insert(shortcut);
    }
    UserDefaults::standard().set(name.storageKey(), json);
    postShortcutChange(name);
}

bool userDefaultsContains(const Name& name)
{
    return UserDefaults::standard().object(name.storageKey()).isValid();
}

void setShortcut(const std::optional<Shortcut>& shortcut, const Name& name)
{
    if (shortcut) {
        userDefaultsSet(name, *shortcut);
        return;
    }
    const auto old = getShortcut(name);
    if (!old)
        return;
    if (name.defaultShortcut())
        UserDefaults::standard().set(name.storageKey(), false);
    else
        UserDefaults::standard().remove(name.storageKey());
    unregisterAndForget(*old);
    postShortcutChange(name);
}

void reset(const QList<Name>& names)
{
    for (const Name& name : names) {
        if (name.defaultShortcut()) {
            userDefaultsSet(name, *name.defaultShortcut());
            continue;
        }
        const auto old = getShortcut(name);
        if (!old)
            continue;
        UserDefaults::standard().remove(name.storageKey());
        unregisterAndForget(*old);
        postShortcutChange(name);
    }
}

QSet<Name> storedNames()
{
    QSet<Name> names;
    const QStringList keys = UserDefaults::standard().dictionaryRepresentation().keys();
    for (const QString& key : keys) {
        if (key.startsWith(Name::storagePrefix))
            names.insert(Name(key.mid(Name::storagePrefix.size())));
    }
    return names;
}

void resetAll()
{
    const QSet<Name> names = storedNames();
    reset(QList<Name>(names.begin(), names.end()));
}

void postShortcutChange(const Name& name)
{
    Q_EMIT ShortcutNotifications::instance().shortcutByNameDidChange(name);
}

} // namespace GlobalShortcuts
