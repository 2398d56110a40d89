#include "platform/Appearance.h"

#include "support/LogCapture.h"
#include "support/SessionBus.h"
#include "support/StandInPortal.h"

#include <QApplication>
#include <QDBusVariant>
#include <QPalette>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString appearanceGroup = QStringLiteral("org.freedesktop.appearance");
const QString colorScheme = QStringLiteral("color-scheme");
const QString interfaceGroup = QStringLiteral("org.gnome.desktop.interface");
const QString animations = QStringLiteral("enable-animations");
const QString magnifierGroup = QStringLiteral("org.gnome.desktop.a11y.magnifier");
const QString invertLightness = QStringLiteral("invert-lightness");

void usePaletteWindowColor(const QColor& color)
{
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Window, color);
    QApplication::setPalette(palette);
}

// The portal sends each value wrapped in a variant.
QVariant portalValue(const QVariant& value)
{
    return QVariant::fromValue(QDBusVariant(value));
}

class AppearanceTest : public testing::Test
{
protected:
    void SetUp() override
    {
        qunsetenv("QUILLORY_APPEARANCE");
        usePaletteWindowColor(QColor(0xEF, 0xEF, 0xEF));
    }
};

TEST_F(AppearanceTest, WithoutThePortalThePaletteDecidesAndItsChangesAreAnnounced)
{
    Appearance appearance(false);
    QSignalSpy changed(&appearance, &Appearance::changed);
    EXPECT_EQ(appearance.colorScheme(), Appearance::ColorScheme::Light);
    EXPECT_FALSE(appearance.reduceMotion());

    usePaletteWindowColor(QColor(0x30, 0x30, 0x30));
    EXPECT_TRUE(appearance.isDark());
    EXPECT_EQ(changed.count(), 1);
    // Another dark palette is no change of scheme.
    usePaletteWindowColor(QColor(0x20, 0x20, 0x28));
    EXPECT_EQ(changed.count(), 1);
    usePaletteWindowColor(Qt::white);
    EXPECT_FALSE(appearance.isDark());
    EXPECT_EQ(changed.count(), 2);
}

TEST_F(AppearanceTest, ThePortalPreferenceWinsOverThePaletteUntilItHasNoneAndSetsReducedMotion)
{
    Appearance appearance(false);
    QSignalSpy changed(&appearance, &Appearance::changed);
    appearance.portalSettingChanged(appearanceGroup, colorScheme, portalValue(1u));
    EXPECT_TRUE(appearance.isDark());
    EXPECT_EQ(changed.count(), 1);

    usePaletteWindowColor(Qt::white);
    EXPECT_TRUE(appearance.isDark());

    appearance.portalSettingChanged(appearanceGroup, colorScheme,
                                    portalValue(QVariant::fromValue(QDBusVariant(2u))));
    EXPECT_FALSE(appearance.isDark());
    EXPECT_EQ(changed.count(), 2);

    usePaletteWindowColor(Qt::black);
    appearance.portalSettingChanged(appearanceGroup, colorScheme, portalValue(0u));
    EXPECT_TRUE(appearance.isDark());
    EXPECT_EQ(changed.count(), 3);

    appearance.portalSettingChanged(QStringLiteral("org.other"), colorScheme, portalValue(2u));
    EXPECT_TRUE(appearance.isDark());
    EXPECT_EQ(changed.count(), 3);

    // Reduced motion follows the desktop's animation setting.
    appearance.portalSettingChanged(interfaceGroup, animations, portalValue(false));
    EXPECT_TRUE(appearance.reduceMotion());
    EXPECT_EQ(changed.count(), 4);
    appearance.portalSettingChanged(interfaceGroup, animations, portalValue(true));
    EXPECT_FALSE(appearance.reduceMotion());
    EXPECT_EQ(changed.count(), 5);
    // A value of the wrong type says nothing about motion.
    appearance.portalSettingChanged(interfaceGroup, animations, portalValue(QStringLiteral("no")));
    EXPECT_FALSE(appearance.reduceMotion());
}

// On a light desktop: "no preference" hands the choice back to the palette, and only a Boolean
// false turns motion down, not other values that read as false.
TEST_F(AppearanceTest, NoPreferenceReadsAsLightOnALightPaletteAndOnlyFalseReducesMotion)
{
    Appearance appearance(false);
    appearance.portalSettingChanged(appearanceGroup, colorScheme, portalValue(1u));
    ASSERT_TRUE(appearance.isDark());
    appearance.portalSettingChanged(appearanceGroup, colorScheme, portalValue(0u));
    EXPECT_FALSE(appearance.isDark());

    for (const QVariant& value : {QVariant(0u), QVariant(0), QVariant(QStringLiteral("false"))}) {
        SCOPED_TRACE(value.typeName());
        appearance.portalSettingChanged(interfaceGroup, animations, portalValue(value));
        EXPECT_FALSE(appearance.reduceMotion());
    }
}

// Unknown until the desktop reports one of the two; then a setting not reported reads as off,
// and only a Boolean true inverts.
TEST_F(AppearanceTest, AccessibilityIsKnownOnceTheDesktopReportsEitherSetting)
{
    Appearance appearance(false);
    QSignalSpy changed(&appearance, &Appearance::changed);
    EXPECT_EQ(appearance.accessibility(), std::nullopt);
    appearance.portalSettingChanged(appearanceGroup, colorScheme, portalValue(1u));
    EXPECT_EQ(appearance.accessibility(), std::nullopt);

    appearance.portalSettingChanged(magnifierGroup, invertLightness, portalValue(true));
    EXPECT_EQ(appearance.accessibility(), (AccessibilitySettings{false, true}));
    appearance.portalSettingChanged(interfaceGroup, animations, portalValue(false));
    EXPECT_EQ(appearance.accessibility(), (AccessibilitySettings{true, true}));
    appearance.portalSettingChanged(magnifierGroup, invertLightness, portalValue(1u));
    EXPECT_EQ(appearance.accessibility(), (AccessibilitySettings{true, false}));
    // Inversion changes nothing drawn here: only the scheme and the motion were announced.
    EXPECT_EQ(changed.count(), 2);
}

TEST_F(AppearanceTest, TheEnvironmentForcesEitherSchemeAndAnUnknownValueIsLoggedAndIgnored)
{
    qputenv("QUILLORY_APPEARANCE", "dark");
    Appearance dark(false);
    EXPECT_TRUE(dark.isDark());
    dark.portalSettingChanged(appearanceGroup, colorScheme, portalValue(2u));
    EXPECT_TRUE(dark.isDark());

    qputenv("QUILLORY_APPEARANCE", "light");
    usePaletteWindowColor(Qt::black);
    Appearance light(false);
    EXPECT_FALSE(light.isDark());
    usePaletteWindowColor(QColor(0x10, 0x10, 0x10));
    EXPECT_FALSE(light.isDark());

    LogCapture log;
    qputenv("QUILLORY_APPEARANCE", "purple");
    Appearance unknown(false);
    EXPECT_TRUE(unknown.isDark());
    EXPECT_EQ(log.matching(QStringLiteral("QUILLORY_APPEARANCE must be light or dark")).size(), 1);
}

// Over a bus of the test's own, as on a desktop: what the portal answers at start, then each
// change it announces.
TEST_F(AppearanceTest, ThePortalOnTheBusIsReadAndFollowedLive)
{
    SessionBus bus;
    ASSERT_TRUE(bus.isRunning());
    StandInPortal portal(bus.connect(QStringLiteral("portal")));
    ASSERT_TRUE(portal.isServing());
    portal.setColorScheme(StandInPortal::preferDark);
    portal.setValue(interfaceGroup, animations, true);
    portal.setValue(magnifierGroup, invertLightness, true);

    LogCapture log;
    Appearance appearance;
    QSignalSpy changed(&appearance, &Appearance::changed);
    appearance.watchPortal(bus.connect(QStringLiteral("program")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return appearance.isDark(); }));
    // The scheme, the motion and the inversion.
    ASSERT_TRUE(QTest::qWaitFor([&] { return portal.readCount() == 3; }));
    // The portal has answered; its answers reach the program a turn of the loop later.
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return appearance.accessibility() == AccessibilitySettings{false, true};
    }));

    portal.setColorScheme(StandInPortal::preferLight);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !appearance.isDark(); }));
    portal.setValue(interfaceGroup, animations, false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return appearance.reduceMotion(); }));
    EXPECT_EQ(changed.count(), 3);
    portal.setValue(magnifierGroup, invertLightness, false);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return appearance.accessibility() == AccessibilitySettings{true, false};
    }));
    EXPECT_TRUE(log.matching(QStringLiteral("Quillory:")).isEmpty())
        << log.messages().join(u'\n').toStdString();
}

} // namespace
