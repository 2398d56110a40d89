#include "GlobalShortcuts/GlobalShortcuts.h"

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

bool isClearedMarker(const QVariant& value)
{
    return value.metaType().id() == QMetaType::Bool && !value.toBool();
}

// A record of a key this module knows with modifier bits in range, that the recorder would
// have taken.
bool isUsable(const Shortcut& shortcut)
{
    return x11KeyCode(shortcut.carbonKeyCode()) && shortcut.carbonModifiers() >= 0 &&
           shortcut.carbonModifiers() < modifierBitsEnd && shortcut.isRecordable();
}

void logStoredValue(const Name& name, const QVariant& stored, const QString& consequence)
{
    QString text;
    QDebug(&text).nospace() << stored;
    storageLog.error(QStringLiteral("Quillory: the stored shortcut of \"%1\" (%2) %3")
                         .arg(name.rawValue(), text, consequence));
}

} // namespace

std::optional<Shortcut> getShortcut(const Name& name)
{
    return decodeStored(UserDefaults::standard().object(name.storageKey()));
}

void storeDefaultUnlessStored(const Name& name)
{
    const auto& fallback = name.defaultShortcut();
    if (!fallback)
        return;
    const QVariant stored = UserDefaults::standard().object(name.storageKey());
    if (!stored.isValid()) {
        userDefaultsSet(name, *fallback);
        return;
    }
    if (isClearedMarker(stored))
        return;
    const auto shortcut = decodeStored(stored);
    // Left as it is: whatever wrote it may read it again.
    if (!shortcut) {
        logStoredValue(name, stored, QStringLiteral("cannot be read; the name has none"));
        return;
    }
    if (isUsable(*shortcut))
        return;
    // A plain letter would be taken from every application.
    logStoredValue(
        name, stored,
        QStringLiteral("cannot be used; its default %1 applies").arg(fallback->description()));
    userDefaultsSet(name, *fallback);
}

void userDefaultsSet(const Name& name, const Shortcut& shortcut)
{
    const QString json = QString::fromUtf8(shortcut.toJson());
    if (const auto old = getShortcut(name))
        unregisterAndForget(*old);
    registerWhenNeeded(shortcut);
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
