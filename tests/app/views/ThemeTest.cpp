#include "app/views/Theme.h"
#include "app/views/HexColor.h"

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
