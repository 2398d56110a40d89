#include "GlobalShortcuts/GlobalShortcuts.h"

#include "GlobalShortcuts/CarbonGlobalShortcuts.h"
#include "GlobalShortcuts/KeyCodes.h"
#include "GlobalShortcuts/ModuleState.h"
#include "platform/Log.h"
#include "platform/UserDefaults.h"

#include <QDebug>

namespace GlobalShortcuts {

namespace {

const Log storageLog("quillory.shortcuts");

// Every modifier bit that a stored shortcut may carry lies below this one.
constexpr int modifierBitsEnd = CarbonModifier::function << 1;

std::optional<Shortcut> decodeStored(const QVariant& value)
{
    if (value.metaType().id() != QMetaType::QString)
        return std::nullopt;
    const QString json = value.toString();
    return Shortcut::fromJson(QStringView(json));
}

// The marker of a cleared shortcut, or the record of a key this module knows with modifier
// bits in range, that the recorder would have taken.
bool isUsable(const QVariant& value)
{
    if (value.metaType().id() == QMetaType::Bool && !value.toBool())
        return true;
    const auto shortcut = decodeStored(value);
    return shortcut && x11KeyCode(shortcut->carbonKeyCode()) && shortcut->carbonModifiers() >= 0 &&
           shortcut->carbonModifiers() < modifierBitsEnd && shortcut->isRecordable();
}

} // namespace

std::optional<Shortcut> getShortcut(const Name& name)
{
    return decodeStored(UserDefaults::standard().object(name.storageKey()));
}

void storeDefaultUnlessUsable(const Name& name)
{
    const QVariant stored = UserDefaults::standard().object(name.storageKey());
    if (!name.defaultShortcut() || (stored.isValid() && isUsable(stored)))
        return;
    // Without it a bad value would leave no way to open the panel when there is no tray.
    if (stored.isValid()) {
        QString text;
        QDebug(&text).nospace() << stored;
        storageLog.error(QStringLiteral("Quillory: the stored shortcut of \"%1\" cannot be used "
                                        "(%2); its default %3 applies")
                             .arg(name.rawValue(), text, name.defaultShortcut()->description()));
    }
    userDefaultsSet(name, *name.defaultShortcut());
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
