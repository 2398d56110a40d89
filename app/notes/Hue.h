#pragma once

#include <QString>

#include <array>
#include <optional>

// The eight note colours, in display order.
enum class Hue { white, sand, mint, sky, lavender, pink, teal, coral };

namespace Hues {

inline constexpr std::array<Hue, 8> allCases{Hue::white,    Hue::sand, Hue::mint, Hue::sky,
                                             Hue::lavender, Hue::pink, Hue::teal, Hue::coral};
// A note's hue when nothing else says which.
inline constexpr Hue defaultHue = Hue::white;

QString rawValue(Hue hue);
std::optional<Hue> fromRawValue(QStringView text);
QString displayName(Hue hue);

} // namespace Hues

// How a new note is coloured: one fixed hue, or the next hue of the store's rotation.
class NewNoteColor
{
public:
    static NewNoteColor rotate() { return NewNoteColor(); }
    static NewNoteColor fixed(Hue hue) { return NewNoteColor(hue); }

    bool isRotate() const { return !m_hue.has_value(); }
    // The fixed hue; nothing for rotate.
    std::optional<Hue> hue() const { return m_hue; }

    // The stored form: the hue's raw value, or "rotate".
    QString rawValue() const;
    // Any text other than a hue's raw value reads as rotate.
    static NewNoteColor fromRawValue(QStringView text);

    friend bool operator==(const NewNoteColor&, const NewNoteColor&) = default;

private:
    NewNoteColor() = default;
    explicit NewNoteColor(Hue hue)
        : m_hue(hue)
    {}

    std::optional<Hue> m_hue;
};
