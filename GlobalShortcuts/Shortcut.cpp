#include "GlobalShortcuts/Shortcut.h"

#include "GlobalShortcuts/KeyCodes.h"
#include "GlobalShortcuts/ShortcutDisplay.h"
#include "GlobalShortcuts/SpecialKey.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>

#include <cmath>
#include <limits>
#include <utility>

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
    if (std::trunc(number) != number || number < std::numeric_limits<int>::min() ||
        number > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(number);
}

// Reads `digits` at `at` as a JSON integer that fits an int, and moves past it.
template <typename Char> std::optional<int> canonicalInteger(const Char*& at, const Char* end)
{
    const bool negative = at != end && *at == Char('-');
    if (negative)
        ++at;
    const Char* first = at;
    qint64 value = 0;
    while (at != end && *at >= Char('0') && *at <= Char('9') && at - first <= 10) {
        value = value * 10 + (*at - Char('0'));
        ++at;
    }
    // No digits, too many, or a leading zero (which JSON does not allow).
    if (at == first || at - first > 10 || (*first == Char('0') && at - first > 1))
        return std::nullopt;
    value = negative ? -value : value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

template <typename Char> bool skip(const Char*& at, const Char* end, QLatin1StringView text)
{
    if (end - at < text.size())
        return false;
    for (const char character : text) {
        if (*at != Char(character))
            return false;
        ++at;
    }
    return true;
}

// The exact form that toJson() writes, read without the general JSON reader: every dispatch
// reads every stored shortcut, and this keeps that cheap. Anything else gives none here and
// goes to the general reader.
template <typename Char>
std::optional<std::pair<int, int>> readCanonical(const Char* at, const Char* end)
{
    if (!skip(at, end, QLatin1StringView(R"({"carbonKeyCode":)")))
        return std::nullopt;
    const auto keyCode = canonicalInteger(at, end);
    if (!keyCode || !skip(at, end, QLatin1StringView(R"(,"carbonModifiers":)")))
        return std::nullopt;
    const auto modifiers = canonicalInteger(at, end);
    if (!modifiers || !skip(at, end, QLatin1StringView("}")) || at != end)
        return std::nullopt;
    return std::pair{*keyCode, *modifiers};
}

} // namespace

Shortcut::Shortcut(int carbonKeyCode, int carbonModifiers)
    : m_carbonKeyCode(carbonKeyCode)
    , m_carbonModifiers(normalizedCarbonModifiers(carbonModifiers))
{}

Shortcut::Shortcut(Key key, ModifierFlags modifiers)
    : Shortcut(key.rawValue, GlobalShortcuts::carbonModifiers(modifiers))
{}

Shortcut::Shortcut(Stored, int carbonKeyCode, int carbonModifiers)
    : m_carbonKeyCode(carbonKeyCode)
    , m_carbonModifiers(carbonModifiers)
{}

std::optional<Shortcut> Shortcut::fromEvent(const QEvent* event)
{
    if (!event || (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease))
        return std::nullopt;
    const auto* keyEvent = static_cast<const QKeyEvent*>(event);
    const auto keyCode = GlobalShortcuts::carbonKeyCode(keyEvent->nativeScanCode());
    if (!keyCode)
        return std::nullopt;
    return Shortcut(*keyCode,
                    GlobalShortcuts::carbonModifiers(modifierFlags(keyEvent->modifiers())));
}

QByteArray Shortcut::toJson() const
{
    const QJsonObject object{{keyCodeMember, m_carbonKeyCode},
                             {modifiersMember, m_carbonModifiers}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<Shortcut> Shortcut::fromJson(QStringView json)
{
    if (const auto canonical = readCanonical(json.utf16(), json.utf16() + json.size()))
        return Shortcut(Stored{}, canonical->first, canonical->second);
    return fromJsonDocument(QJsonDocument::fromJson(json.toUtf8()));
}

std::optional<Shortcut> Shortcut::fromJson(QByteArrayView json)
{
    if (const auto canonical = readCanonical(json.data(), json.data() + json.size()))
        return Shortcut(Stored{}, canonical->first, canonical->second);
    return fromJsonDocument(QJsonDocument::fromJson(json.toByteArray()));
}

std::optional<Shortcut> Shortcut::fromJsonDocument(const QJsonDocument& document)
{
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

bool Shortcut::isRecordable() const
{
    constexpr int commandKeys =
        CarbonModifier::command | CarbonModifier::option | CarbonModifier::control;
    if (m_carbonModifiers & commandKeys)
        return true;
    const SpecialKey* special = specialKey(m_carbonKeyCode);
    return special && special->qtKey >= Qt::Key_F1 && special->qtKey <= Qt::Key_F35;
}

} // namespace GlobalShortcuts
