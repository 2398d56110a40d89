#pragma once

#include "GlobalShortcuts/Key.h"
#include "GlobalShortcuts/Modifiers.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHashFunctions>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

class QEvent;
class QJsonDocument;

namespace GlobalShortcuts {

// A key combination: a key code and modifier bits, as shortcuts are stored and compared.
class Shortcut
{
public:
    // The modifiers are normalised: only command, shift, option, control and function stay.
    Shortcut(int carbonKeyCode, int carbonModifiers);
    Shortcut(Key key, ModifierFlags modifiers);

    // The combination of a key press or release; none for any other event, and for a key that
    // no shortcut can use. The keypad is not a modifier here.
    static std::optional<Shortcut> fromEvent(const QEvent* event);

    // The stored JSON form {"carbonKeyCode":…,"carbonModifiers":…}. Reading takes the two
    // members in either order, ignores others and keeps the modifiers exactly as stored; a
    // missing member, or one that is not an integer that fits, gives none.
    QByteArray toJson() const;
    static std::optional<Shortcut> fromJson(QByteArrayView json);
    static std::optional<Shortcut> fromJson(QStringView json);

    int carbonKeyCode() const { return m_carbonKeyCode; }
    int carbonModifiers() const { return m_carbonModifiers; }
    Key key() const { return Key{m_carbonKeyCode}; }
    ModifierFlags modifiers() const { return modifierFlags(m_carbonModifiers); }

    // How a person reads it on this desktop ("Ctrl+Alt+N"); see displayString().
    QString description() const;

    // Whether it may be a global shortcut at all: it holds Command, Option or Control, or its
    // key is a function key, which needs no other. A plain letter would be taken from every
    // application.
    bool isRecordable() const;

    friend bool operator==(const Shortcut&, const Shortcut&) = default;

private:
    struct Stored
    {};
    Shortcut(Stored, int carbonKeyCode, int carbonModifiers);
    static std::optional<Shortcut> fromJsonDocument(const QJsonDocument& document);

    int m_carbonKeyCode;
    int m_carbonModifiers;
};

inline size_t qHash(const Shortcut& shortcut, size_t seed = 0) noexcept
{
    return qHashMulti(seed, shortcut.carbonKeyCode(), shortcut.carbonModifiers());
}

} // namespace GlobalShortcuts

template <> struct std::hash<GlobalShortcuts::Shortcut>
{
    size_t operator()(const GlobalShortcuts::Shortcut& shortcut) const noexcept
    {
        return GlobalShortcuts::qHash(shortcut);
    }
};
