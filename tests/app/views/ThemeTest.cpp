#include "app/views/Theme.h"
#include "app/views/HexColor.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

using Scheme = Appearance::ColorScheme;

QColor rgb(int r, int g, int b)
{
    return QColor(r, g, b);
}

QColor withAlpha(Qt::GlobalColor base, qreal alpha)
{
    QColor color(base);
    color.setAlphaF(static_cast<float>(alpha));
    return color;
}

TEST(HexColorTest, BothParsersReadSixDigitsWithOrWithoutTheNumberSign)
{
    for (const auto parse : {&HexColor::parse, &HexColor::parseTrimmed}) {
        EXPECT_EQ(parse(u"#1D1D1F"), rgb(0x1D, 0x1D, 0x1F));
        EXPECT_EQ(parse(u"1D1D1F"), rgb(0x1D, 0x1D, 0x1F));
        EXPECT_EQ(parse(u"#1d1d1f"), rgb(0x1D, 0x1D, 0x1F));
        EXPECT_EQ(parse(u"#1D1D1F").alpha(), 255);
    }
}

TEST(HexColorTest, TextWithoutDigitsIsBlackAndShortFormsAreNotExpanded)
{
    for (const auto parse : {&HexColor::parse, &HexColor::parseTrimmed}) {
        EXPECT_EQ(parse(u""), QColor(Qt::black));
        EXPECT_EQ(parse(u"#"), QColor(Qt::black));
        EXPECT_EQ(parse(u"#xyz"), QColor(Qt::black));
        EXPECT_EQ(parse(u"##FFFFFF"), QColor(Qt::black)); // only one sign is removed
        EXPECT_EQ(parse(u"#FFF"), rgb(0, 0x0F, 0xFF));
    }
}

TEST(HexColorTest, OnlyTheLowTwentyFourBitsCountAndAlphaIsAlwaysOpaque)
{
    EXPECT_EQ(HexColor::parse(u"#80FF0000"), rgb(0xFF, 0, 0));
    EXPECT_EQ(HexColor::parse(u"#80FF0000").alpha(), 255);
    // Too many digits for 64 bits read as the largest number: all bits set.
    EXPECT_EQ(HexColor::parse(u"#123456789ABCDEF012345"), QColor(Qt::white));
}

TEST(HexColorTest, ReadingStopsAtTheFirstNonDigitAndAcceptsALeadingZeroX)
{
    EXPECT_EQ(HexColor::parse(u"#34C759 and more"), rgb(0x34, 0xC7, 0x59));
    EXPECT_EQ(HexColor::parse(u"#34G759"), rgb(0, 0, 0x34));
    EXPECT_EQ(HexColor::parse(u"0x34C759"), rgb(0x34, 0xC7, 0x59));
    EXPECT_EQ(HexColor::parse(u"#0X34c759"), rgb(0x34, 0xC7, 0x59));
    EXPECT_EQ(HexColor::parse(u"#0xZZ"), QColor(Qt::black));
}

TEST(HexColorTest, TheTwoParsersDifferOnlyInTrimming)
{
    // Blanks after the sign are skipped by both; blanks before it only by the trimming one.
    EXPECT_EQ(HexColor::parse(u"# 34C759"), rgb(0x34, 0xC7, 0x59));
    EXPECT_EQ(HexColor::parse(u"  \n34C759"), rgb(0x34, 0xC7, 0x59));
    EXPECT_EQ(HexColor::parse(u"  #34C759\n"), QColor(Qt::black));
    EXPECT_EQ(HexColor::parseTrimmed(u"  #34C759\n"), rgb(0x34, 0xC7, 0x59));
    EXPECT_EQ(HexColor::parseTrimmed(u"\t#34C759 \r\n"), HexColor::parse(u"#34C759"));
}

struct HueRow
{
    friend void PrintTo(const HueRow& row, std::ostream* out) { *out << row.position; }

    int position;
    QColor light;
    QColor dark;
    const char* accent;
};

class HueTableTest : public testing::TestWithParam<HueRow>
{};

TEST_P(HueTableTest, BackgroundFollowsTheAppearanceAndTheAccentStaysFixed)
{
    const HueRow& row = GetParam();
    const ThemeColor background = Theme::hueBackground(row.position);
    EXPECT_EQ(background.resolved(Scheme::Light), row.light);
    EXPECT_EQ(background.resolved(Scheme::Dark), row.dark);
    EXPECT_EQ(Theme::hueAccentHex(row.position), QString::fromLatin1(row.accent));
    EXPECT_EQ(Theme::hueAccent(row.position), HexColor::parse(QString::fromLatin1(row.accent)));
}

INSTANTIATE_TEST_SUITE_P(
    Hues, HueTableTest,
    testing::Values(HueRow{0, rgb(0xFF, 0xFD, 0xF8), rgb(0x38, 0x3A, 0x3F), "#8C94A0"},
                    HueRow{1, rgb(0xFA, 0xF3, 0xE4), rgb(0x4B, 0x43, 0x36), "#D9B878"},
                    HueRow{2, rgb(0xE7, 0xF4, 0xEC), rgb(0x35, 0x46, 0x3E), "#7FC39A"},
                    HueRow{3, rgb(0xE8, 0xF2, 0xFA), rgb(0x35, 0x42, 0x4F), "#7DB4E0"},
                    HueRow{4, rgb(0xEF, 0xEA, 0xFA), rgb(0x3E, 0x39, 0x4F), "#A58EE0"},
                    HueRow{5, rgb(0xFB, 0xEC, 0xF4), rgb(0x4C, 0x3A, 0x46), "#DD94BB"},
                    HueRow{6, rgb(0xE7, 0xF5, 0xF5), rgb(0x36, 0x47, 0x49), "#82C7C7"},
                    HueRow{7, rgb(0xFC, 0xEE, 0xEA), rgb(0x4D, 0x3C, 0x39), "#E39A86"}),
    [](const testing::TestParamInfo<HueRow>& info) {
        return "position" + std::to_string(info.param.position);
    });

struct NamedColor
{
    friend void PrintTo(const NamedColor& row, std::ostream* out) { *out << row.name; }

    const char* name;
    const ThemeColor& (*color)();
    QColor light;
    QColor dark;
};

class StaticColorTest : public testing::TestWithParam<NamedColor>
{};

TEST_P(StaticColorTest, ResolvesToTheTablesValues)
{
    const NamedColor& row = GetParam();
    const ThemeColor& color = row.color();
    EXPECT_EQ(color.resolved(Scheme::Light).rgba(), row.light.rgba()) << row.name;
    EXPECT_EQ(color.resolved(Scheme::Dark).rgba(), row.dark.rgba()) << row.name;
}

INSTANTIATE_TEST_SUITE_P(
    Palette, StaticColorTest,
    testing::Values(
        NamedColor{"textPrimary", &Theme::textPrimary, rgb(0x1D, 0x1D, 0x1F),
                   rgb(0xF2, 0xF2, 0xF5)},
        NamedColor{"textSecondary", &Theme::textSecondary, rgb(0x6E, 0x6E, 0x73),
                   rgb(0xA1, 0xA1, 0xA8)},
        NamedColor{"textTertiary", &Theme::textTertiary, rgb(0x8E, 0x8E, 0x93),
                   rgb(0x8E, 0x8E, 0x96)},
        NamedColor{"settingsBackground", &Theme::settingsBackground, rgb(0xED, 0xED, 0xF0),
                   rgb(0x1E, 0x1E, 0x21)},
        NamedColor{"card", &Theme::card, rgb(0xFF, 0xFF, 0xFF), rgb(0x2B, 0x2B, 0x2F)},
        NamedColor{"popupBackground", &Theme::popupBackground, rgb(0xFF, 0xFF, 0xFF),
                   rgb(0x2B, 0x2B, 0x2F)},
        NamedColor{"hairline", &Theme::hairline, withAlpha(Qt::black, 15.0 / 255),
                   withAlpha(Qt::white, 0.10)},
        NamedColor{"border", &Theme::border, withAlpha(Qt::black, 36.0 / 255),
                   withAlpha(Qt::white, 0.16)},
        NamedColor{"rowHighlight", &Theme::rowHighlight, withAlpha(Qt::black, 0.05),
                   withAlpha(Qt::white, 0.07)},
        NamedColor{"switchOn", &Theme::switchOn, rgb(0x34, 0xC7, 0x59), rgb(0x30, 0xD1, 0x58)},
        NamedColor{"switchOff", &Theme::switchOff, rgb(0xDA, 0xDA, 0xE0), rgb(0x48, 0x48, 0x4E)},
        NamedColor{"accent", &Theme::accent, rgb(0x00, 0x7A, 0xFF), rgb(0x0A, 0x84, 0xFF)},
        NamedColor{"success", &Theme::success, rgb(0x34, 0xA8, 0x53), rgb(0x30, 0xD1, 0x58)},
        NamedColor{"toastBackground", &Theme::toastBackground, rgb(0x1D, 0x1D, 0x1F),
                   rgb(0x3A, 0x3A, 0x3E)},
        NamedColor{"toastAction", &Theme::toastAction, rgb(0x8A, 0xB4, 0xFF),
                   rgb(0x9C, 0xC2, 0xFF)},
        NamedColor{"destructive", &Theme::destructive, rgb(0xFF, 0x3B, 0x30),
                   rgb(0xFF, 0x45, 0x3A)},
        NamedColor{"whiteHueRing", &Theme::whiteHueRing, rgb(0x8C, 0x94, 0xA0),
                   rgb(0x8C, 0x94, 0xA0)},
        NamedColor{"selectionRing", &Theme::selectionRing, rgb(0x3A, 0x3A, 0x3C),
                   rgb(0xE5, 0xE5, 0xEA)},
        NamedColor{"shadowSoft", &Theme::shadowSoft, withAlpha(Qt::black, 31.0 / 255),
                   withAlpha(Qt::black, 0.45)},
        NamedColor{"shadowTight", &Theme::shadowTight, withAlpha(Qt::black, 15.0 / 255),
                   withAlpha(Qt::black, 0.25)}),
    [](const testing::TestParamInfo<NamedColor>& info) { return std::string(info.param.name); });

TEST(ThemeTest, StaticColoursAreMadeOnceAndThePopupBackgroundIsTheCard)
{
    EXPECT_EQ(&Theme::textPrimary(), &Theme::textPrimary());
    EXPECT_EQ(&Theme::popupBackground(), &Theme::card());
}

TEST(ThemeTest, ResolveAndTheAppearanceObjectPickTheSameSide)
{
    const QColor dark(Qt::darkBlue);
    const QColor light(Qt::yellow);
    EXPECT_EQ(Theme::resolve(Scheme::Dark, dark, light), dark);
    EXPECT_EQ(Theme::resolve(Scheme::Light, dark, light), light);

    qputenv("QUILLORY_APPEARANCE", "dark");
    const Appearance forcedDark(false);
    EXPECT_EQ(Theme::hueBackground(0).resolved(forcedDark), rgb(0x38, 0x3A, 0x3F));
    qputenv("QUILLORY_APPEARANCE", "light");
    const Appearance forcedLight(false);
    EXPECT_EQ(Theme::hueBackground(0).resolved(forcedLight), rgb(0xFF, 0xFD, 0xF8));
}

} // namespace
