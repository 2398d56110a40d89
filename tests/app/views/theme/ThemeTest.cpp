#include "app/views/theme/Theme.h"
#include "app/views/theme/HexColor.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace {

using Scheme = Appearance::ColorScheme;

TEST(HexColorTest, ParsingRules)
{
    const QColor black(Qt::black);
    const QColor green(0x34, 0xC7, 0x59);
    const struct
    {
        const char16_t* text;
        QColor parsed;
        QColor trimmed;
    } cases[] = {
        {u"#34C759", green, green},
        {u"34C759", green, green},
        {u"#34c759", green, green},
        {u"", black, black},
        {u"#", black, black},
        {u"#xyz", black, black},
        {u"##FFFFFF", black, black},                             // only one sign is removed
        {u"#FFF", QColor(0, 0x0F, 0xFF), QColor(0, 0x0F, 0xFF)}, // short forms are no shorthand
        {u"#80FF0000", QColor(0xFF, 0, 0), QColor(0xFF, 0, 0)},  // only the low 24 bits count
        // Too many digits for 64 bits read as the largest number: all bits set.
        {u"#123456789ABCDEF012345", QColor(Qt::white), QColor(Qt::white)},
        {u"#34C759 and more", green, green},
        {u"#34G759", QColor(0, 0, 0x34), QColor(0, 0, 0x34)},
        {u"0x34C759", green, green},
        {u"#0X34c759", green, green},
        {u"#0xZZ", black, black},
        {u"#0x", black, black}, // nothing after the prefix
        {u"0X", black, black},
        // Blanks after the sign are skipped by both; blanks before it only by the trimming one.
        {u"# 34C759", green, green},
        {u"  \n34C759", green, green},
        {u"  #34C759\n", black, green},
        {u"\t#34C759 \r\n", black, green},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.text).toStdString());
        // In a buffer of its own length with nothing after it, so a read past the end shows.
        const std::u16string_view literal(c.text);
        const std::vector<char16_t> exact(literal.begin(), literal.end());
        const QStringView text(exact.data(), qsizetype(exact.size()));
        EXPECT_EQ(HexColor::parse(text), c.parsed);
        EXPECT_EQ(HexColor::parseTrimmed(text), c.trimmed);
        EXPECT_EQ(HexColor::parse(text).alpha(), 255);
    }
}

TEST(ThemeTest, SpotChecksOfTheTables)
{
    const struct
    {
        int position;
        QColor light;
        QColor dark;
        const char* accent;
    } hues[] = {{0, QColor(0xFF, 0xFD, 0xF8), QColor(0x38, 0x3A, 0x3F), "#8C94A0"},
                {7, QColor(0xFC, 0xEE, 0xEA), QColor(0x4D, 0x3C, 0x39), "#E39A86"}};
    for (const auto& hue : hues) {
        SCOPED_TRACE(hue.position);
        EXPECT_EQ(Theme::hueBackground(hue.position).resolved(Scheme::Light), hue.light);
        EXPECT_EQ(Theme::hueBackground(hue.position).resolved(Scheme::Dark), hue.dark);
        EXPECT_EQ(Theme::hueAccentHex(hue.position), QString::fromLatin1(hue.accent));
        EXPECT_EQ(Theme::hueAccent(hue.position), HexColor::parse(QString::fromLatin1(hue.accent)));
    }
    EXPECT_EQ(Theme::textPrimary().resolved(Scheme::Dark), QColor(0xF2, 0xF2, 0xF5));
    // Shadows stay black in the dark appearance and only grow denser.
    EXPECT_EQ(Theme::shadowSoft().resolved(Scheme::Dark).rgba(),
              QColor::fromRgbF(0, 0, 0, 0.45f).rgba());
    EXPECT_EQ(Theme::shadowSoft().resolved(Scheme::Light).rgba(), qRgba(0, 0, 0, 31));
    EXPECT_EQ(Theme::whiteHueRing().resolved(Scheme::Dark), QColor(0x8C, 0x94, 0xA0));
    EXPECT_EQ(&Theme::textPrimary(), &Theme::textPrimary());
    EXPECT_EQ(&Theme::popupBackground(), &Theme::card());
}

// A colour as the palette's tables write it: "#RRGGBB", or black or white with an alpha given
// as a fraction ("0.10") or in 255ths ("15/255").
QColor tableColor(const QString& text)
{
    if (text.startsWith(u'#'))
        return QColor::fromString(text);
    const QStringList words = text.split(u' ');
    const QStringList fraction = words.value(1).split(u'/');
    const double alpha = fraction.size() == 2 ? fraction[0].toDouble() / fraction[1].toDouble()
                                              : fraction[0].toDouble();
    QColor color(words[0] == QLatin1String("white") ? Qt::white : Qt::black);
    color.setAlpha(qRound(alpha * 255));
    return color;
}

TEST(ThemeTest, EveryHueAndNamedColourHasTheValuesOfTheTablesInBothAppearances)
{
    const char* const hues[][3] = {
        {"#FFFDF8", "#383A3F", "#8C94A0"}, {"#FAF3E4", "#4B4336", "#D9B878"},
        {"#E7F4EC", "#35463E", "#7FC39A"}, {"#E8F2FA", "#35424F", "#7DB4E0"},
        {"#EFEAFA", "#3E394F", "#A58EE0"}, {"#FBECF4", "#4C3A46", "#DD94BB"},
        {"#E7F5F5", "#364749", "#82C7C7"}, {"#FCEEEA", "#4D3C39", "#E39A86"},
    };
    static_assert(std::size(hues) == Theme::hueCount);
    for (int position = 0; position < Theme::hueCount; ++position) {
        SCOPED_TRACE(position);
        const auto& [light, dark, accent] = hues[position];
        EXPECT_EQ(Theme::hueBackground(position).resolved(Scheme::Light).rgba(),
                  tableColor(QLatin1String(light)).rgba());
        EXPECT_EQ(Theme::hueBackground(position).resolved(Scheme::Dark).rgba(),
                  tableColor(QLatin1String(dark)).rgba());
        EXPECT_EQ(Theme::hueAccentHex(position), QLatin1String(accent));
        EXPECT_EQ(Theme::hueAccent(position).rgba(), tableColor(QLatin1String(accent)).rgba());
    }

    const struct
    {
        const char* name;
        const ThemeColor& (*color)();
        const char* light;
        const char* dark;
    } named[] = {
        {"textPrimary", Theme::textPrimary, "#1D1D1F", "#F2F2F5"},
        {"textSecondary", Theme::textSecondary, "#6E6E73", "#A1A1A8"},
        {"textTertiary", Theme::textTertiary, "#8E8E93", "#8E8E96"},
        {"settingsBackground", Theme::settingsBackground, "#EDEDF0", "#1E1E21"},
        {"card", Theme::card, "#FFFFFF", "#2B2B2F"},
        {"popupBackground", Theme::popupBackground, "#FFFFFF", "#2B2B2F"},
        {"hairline", Theme::hairline, "black 15/255", "white 0.10"},
        {"border", Theme::border, "black 36/255", "white 0.16"},
        {"rowHighlight", Theme::rowHighlight, "black 0.05", "white 0.07"},
        {"switchOn", Theme::switchOn, "#34C759", "#30D158"},
        {"switchOff", Theme::switchOff, "#DADAE0", "#48484E"},
        {"accent", Theme::accent, "#007AFF", "#0A84FF"},
        {"success", Theme::success, "#34A853", "#30D158"},
        {"toastBackground", Theme::toastBackground, "#1D1D1F", "#3A3A3E"},
        {"toastAction", Theme::toastAction, "#8AB4FF", "#9CC2FF"},
        {"destructive", Theme::destructive, "#FF3B30", "#FF453A"},
        {"whiteHueRing", Theme::whiteHueRing, "#8C94A0", "#8C94A0"},
        {"selectionRing", Theme::selectionRing, "#3A3A3C", "#E5E5EA"},
        {"shadowSoft", Theme::shadowSoft, "black 31/255", "black 0.45"},
        {"shadowTight", Theme::shadowTight, "black 15/255", "black 0.25"},
    };
    for (const auto& colour : named) {
        SCOPED_TRACE(colour.name);
        EXPECT_EQ(colour.color().resolved(Scheme::Light).rgba(),
                  tableColor(QLatin1String(colour.light)).rgba());
        EXPECT_EQ(colour.color().resolved(Scheme::Dark).rgba(),
                  tableColor(QLatin1String(colour.dark)).rgba());
    }
}

TEST(ThemeTest, ResolveAndTheAppearanceObjectPickTheSameSide)
{
    EXPECT_EQ(Theme::resolve(Scheme::Dark, Qt::darkBlue, Qt::yellow), QColor(Qt::darkBlue));
    EXPECT_EQ(Theme::resolve(Scheme::Light, Qt::darkBlue, Qt::yellow), QColor(Qt::yellow));
    qputenv("QUILLORY_APPEARANCE", "dark");
    const Appearance forcedDark(false);
    EXPECT_EQ(Theme::hueBackground(0).resolved(forcedDark), QColor(0x38, 0x3A, 0x3F));
    qputenv("QUILLORY_APPEARANCE", "light");
    const Appearance forcedLight(false);
    EXPECT_EQ(Theme::hueBackground(0).resolved(forcedLight), QColor(0xFF, 0xFD, 0xF8));
}

} // namespace
