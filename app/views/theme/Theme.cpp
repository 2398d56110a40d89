#include "Theme.h"

#include "app/views/theme/HexColor.h"

#include <array>

namespace {

struct HueColors
{
    const char* backgroundLight;
    const char* backgroundDark;
    const char* accent;
};

constexpr std::array<HueColors, Theme::hueCount> hueTable{{
    {"#FFFDF8", "#383A3F", "#8C94A0"}, // white
    {"#FAF3E4", "#4B4336", "#D9B878"}, // sand
    {"#E7F4EC", "#35463E", "#7FC39A"}, // mint
    {"#E8F2FA", "#35424F", "#7DB4E0"}, // sky
    {"#EFEAFA", "#3E394F", "#A58EE0"}, // lavender
    {"#FBECF4", "#4C3A46", "#DD94BB"}, // pink
    {"#E7F5F5", "#364749", "#82C7C7"}, // teal
    {"#FCEEEA", "#4D3C39", "#E39A86"}, // coral
}};

const HueColors& hueColors(int position)
{
    Q_ASSERT(position >= 0 && position < Theme::hueCount);
    return hueTable[static_cast<std::size_t>(qBound(0, position, Theme::hueCount - 1))];
}

QColor hex(const char* text)
{
    return HexColor::parse(QString::fromLatin1(text));
}

QColor black(qreal alpha)
{
    QColor color(Qt::black);
    color.setAlphaF(static_cast<float>(alpha));
    return color;
}

QColor white(qreal alpha)
{
    QColor color(Qt::white);
    color.setAlphaF(static_cast<float>(alpha));
    return color;
}

QColor faint(const char* text, qreal alpha)
{
    QColor color = hex(text);
    color.setAlphaF(static_cast<float>(alpha));
    return color;
}

// Alphas the palette gives in 255ths.
constexpr qreal alpha15 = 15.0 / 255.0;
constexpr qreal alpha31 = 31.0 / 255.0;
constexpr qreal alpha36 = 36.0 / 255.0;

} // namespace

namespace Theme {

ThemeColor hueBackground(int huePosition)
{
    const HueColors& colors = hueColors(huePosition);
    return ThemeColor(hex(colors.backgroundLight), hex(colors.backgroundDark));
}

QString hueAccentHex(int huePosition)
{
    return QString::fromLatin1(hueColors(huePosition).accent);
}

QColor hueAccent(int huePosition)
{
    return HexColor::parseTrimmed(hueAccentHex(huePosition));
}

QColor resolve(Appearance::ColorScheme scheme, const QColor& dark, const QColor& light)
{
    return scheme == Appearance::ColorScheme::Dark ? dark : light;
}

#define QUILLORY_THEME_COLOR(name, light, dark)                                                    \
    const ThemeColor& name()                                                                       \
    {                                                                                              \
        static const ThemeColor color(light, dark);                                                \
        return color;                                                                              \
    }

QUILLORY_THEME_COLOR(textPrimary, hex("#1D1D1F"), hex("#F2F2F5"))
QUILLORY_THEME_COLOR(textSecondary, hex("#6E6E73"), hex("#A1A1A8"))
QUILLORY_THEME_COLOR(textTertiary, hex("#8E8E93"), hex("#8E8E96"))
QUILLORY_THEME_COLOR(settingsBackground, hex("#EDEDF0"), hex("#1E1E21"))
QUILLORY_THEME_COLOR(card, hex("#FFFFFF"), hex("#2B2B2F"))
QUILLORY_THEME_COLOR(hairline, black(alpha15), white(0.10))
QUILLORY_THEME_COLOR(border, black(alpha36), white(0.16))
QUILLORY_THEME_COLOR(rowHighlight, black(0.05), white(0.07))
QUILLORY_THEME_COLOR(switchOn, hex("#34C759"), hex("#30D158"))
QUILLORY_THEME_COLOR(switchOff, hex("#DADAE0"), hex("#48484E"))
QUILLORY_THEME_COLOR(accent, hex("#007AFF"), hex("#0A84FF"))
QUILLORY_THEME_COLOR(success, hex("#34A853"), hex("#30D158"))
QUILLORY_THEME_COLOR(toastBackground, hex("#1D1D1F"), hex("#3A3A3E"))
QUILLORY_THEME_COLOR(toastAction, hex("#8AB4FF"), hex("#9CC2FF"))
QUILLORY_THEME_COLOR(destructive, hex("#FF3B30"), hex("#FF453A"))
QUILLORY_THEME_COLOR(warningBackground, faint("#FF3B30", 0.14), faint("#FF453A", 0.24))
QUILLORY_THEME_COLOR(whiteHueRing, HexColor::parseTrimmed(u"#8C94A0"),
                     HexColor::parseTrimmed(u"#8C94A0"))
QUILLORY_THEME_COLOR(selectionRing, hex("#3A3A3C"), hex("#E5E5EA"))
QUILLORY_THEME_COLOR(shadowSoft, black(alpha31), black(0.45))
QUILLORY_THEME_COLOR(shadowTight, black(alpha15), black(0.25))

#undef QUILLORY_THEME_COLOR

const ThemeColor& popupBackground()
{
    return card();
}

QPalette palette(Appearance::ColorScheme scheme)
{
    // The light, dark and mid shades follow from the button and window colours.
    QPalette palette(card().resolved(scheme), settingsBackground().resolved(scheme));
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(role, textPrimary().resolved(scheme));
        palette.setColor(QPalette::Disabled, role, textTertiary().resolved(scheme));
    }
    palette.setColor(QPalette::Base, card().resolved(scheme));
    palette.setColor(QPalette::PlaceholderText, textTertiary().resolved(scheme));
    palette.setColor(QPalette::Highlight, accent().resolved(scheme));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    return palette;
}

} // namespace Theme
