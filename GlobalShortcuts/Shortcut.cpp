#include "GlobalShortcuts/Shortcut.h"

#include "GlobalShortcuts/KeyCodes.h"
#include "GlobalShortcuts/ShortcutDisplay.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>

#include <cmath>
#include <limits>

namespace GlobalShortcuts {

namespace {

const QString keyCodeMember = QStringLiteral("carbonKeyCode");
const QString modifiersMember = QStringLiteral("carbonModifiers");

std::optional<int> integerMember(const QJsonObject& object, const QString& name)
{
    const QJsonValue value = object.value(name);
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (std::trunc(number) != number || number < std::numeric_limits<int>::min()
        || number > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(number);
}

} // namespace

Shortcut::Shortcut(int carbonKeyCode, int carbonModifiers)
    : m_carbonKeyCode(carbonKeyCode)
    , m_carbonModifiers(normalizedCarbonModifiers(carbonModifiers))
{
}

Shortcut::Shortcut(Key key, ModifierFlags modifiers)
    : Shortcut(key.rawValue, GlobalShortcuts::carbonModifiers(modifiers))
{
}

Shortcut::Shortcut(Stored, int carbonKeyCode, int carbonModifiers)
    : m_carbonKeyCode(carbonKeyCode)
    , m_carbonModifiers(carbonModifiers)
{
}

std::optional<Shortcut> Shortcut::fromEvent(const QEvent* event)
{
    if (!event || (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease))
        return std::nullopt;
    const auto* keyEvent = static_cast<const QKeyEvent*>(event);
    const auto keyCode = GlobalShortcuts::carbonKeyCode(keyEvent->nativeScanCode());
    if (!keyCode)
        return std::nullopt;
    return Shortcut(*keyCode, GlobalShortcuts::carbonModifiers(modifierFlags(keyEvent->modifiers())));
}

QByteArray Shortcut::toJson() const
{
    const QJsonObject object{{keyCodeMember, m_carbonKeyCode},
                             {modifiersMember, m_carbonModifiers}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<Shortcut> Shortcut::fromJson(QByteArrayView json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json.toByteArray());
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const auto keyCode = integerMember(object, keyCodeMember);
    const auto modifiers = integerMember(object, modifiersMember);
    if (!keyCode || !modifiers)
        return std::nullopt;
    return Shortcut(Stored{}, *keyCode, *modifiers);
}

QString Shortcut::description() const
{
    return displayString(*this);
}

} // namespace GlobalShortcuts
