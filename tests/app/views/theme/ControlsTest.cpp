#include "app/views/theme/HelpText.h"
#include "app/views/theme/IconButton.h"
#include "app/views/theme/Lucide.h"
#include "app/views/theme/SwitchToggle.h"
#include "app/views/theme/Theme.h"
#include "platform/Appearance.h"
#include "support/MainThreadChecks.h"

#include <QAccessible>
#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>
#include <QtMath>

#include <gtest/gtest.h>

#include <functional>

namespace {

class ControlsTest : public testing::Test
{
public:
    void hover(QWidget& widget, bool inside)
    {
        if (inside) {
            QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
            QCoreApplication::sendEvent(&widget, &enter);
        } else {
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(&widget, &leave);
        }
    }

    // The most opaque pixel of a widget drawn on nothing.
    static QColor strongestPixel(QWidget& widget)
    {
        QImage image(widget.size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        QColor best(0, 0, 0, 0);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) > best.alpha())
                    best = QColor::fromRgba(image.pixel(x, y));
        return best;
    }

    Appearance m_appearance{false};
};

TEST_F(ControlsTest, LucideDrawsItsIconInTheThemeColourOfTheAppearance)
{
    Lucide icon(QStringLiteral("plus"), 17, Theme::textSecondary(), m_appearance);
    EXPECT_EQ(icon.size(), QSize(17, 17));
    EXPECT_TRUE(icon.testAttribute(Qt::WA_TransparentForMouseEvents));
    const QColor drawn = strongestPixel(icon);
    EXPECT_EQ(drawn.rgb(), Theme::textSecondary().light().rgb());
    EXPECT_GT(drawn.alpha(), 200);
}

TEST_F(ControlsTest, IconButtonIsItsIconPaddedByThreeAndItsHelpIsTooltipAndName)
{
    const QString help = helpText(QStringLiteral("Delete note"),
                                  QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backspace));
    EXPECT_EQ(help, QStringLiteral("Delete note (Ctrl+Shift+Backspace)"));
    IconButton button(QStringLiteral("trash-2"), 15, Theme::textSecondary(), help, m_appearance);
    EXPECT_EQ(button.size(), QSize(21, 21));
    EXPECT_EQ(button.icon()->pos(), QPoint(3, 3));
    EXPECT_EQ(button.toolTip(), help);
    EXPECT_EQ(button.accessibleName(), help);
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(1, 1)); // in the padding
    EXPECT_EQ(clicks.size(), 1);
}

TEST_F(ControlsTest, AnIconButtonTurnsPrimaryUnderThePointerOnlyWhileEnabled)
{
    IconButton button(QStringLiteral("plus"), 17, Theme::textSecondary(), QString(), m_appearance);
    hover(button, true);
    EXPECT_TRUE(button.isHovering());
    EXPECT_EQ(button.icon()->resolvedColor(), Theme::textPrimary().light());
    hover(button, false);
    EXPECT_EQ(button.icon()->resolvedColor(), Theme::textSecondary().light());

    button.setEnabled(false);
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks.size(), 0);
    EXPECT_DOUBLE_EQ(button.icon()->opacity(), IconButton::disabledOpacity);
    hover(button, true);
    EXPECT_EQ(button.icon()->resolvedColor(), Theme::textSecondary().light());
    button.setEnabled(true);
    EXPECT_EQ(button.icon()->resolvedColor(), Theme::textPrimary().light());
    EXPECT_EQ(button.icon()->opacity(), 1.0);
}

TEST_F(ControlsTest, SwitchFlipsOnAClickInsideItsCapsuleReadsOnOrOffAndSlidesItsKnob)
{
    SwitchToggle toggle(QStringLiteral("Paste as plain text"), m_appearance);
    toggle.show();
    EXPECT_EQ(toggle.size(), QSize(28, 16));
    EXPECT_EQ(toggle.toolTip(), QStringLiteral("Paste as plain text"));
    EXPECT_EQ(toggle.accessibleValue(), QStringLiteral("Off"));
    EXPECT_EQ(toggle.knobPosition(), 0.0);
    QTest::mouseClick(&toggle, Qt::LeftButton, {}, QPoint(14, 8));
    EXPECT_TRUE(toggle.isChecked());
    EXPECT_LT(toggle.knobPosition(), 1.0); // still at the start of its slide
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&toggle);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("On"));
    // The corner outside the capsule is no part of the switch.
    QTest::mouseClick(&toggle, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_TRUE(toggle.isChecked());
    QTRY_COMPARE_WITH_TIMEOUT(toggle.knobPosition(), 1.0, 2000);
}

TEST_F(ControlsTest, TheSwitchKnobCastsASoftShadowBelowIt)
{
    SwitchToggle toggle(QString(), m_appearance);
    // Four times enlarged, off, down the middle of the knob.
    constexpr int zoom = 4;
    QImage image(toggle.size() * zoom, QImage::Format_ARGB32);
    image.setDevicePixelRatio(zoom);
    image.fill(Qt::transparent);
    toggle.render(&image);
    const int middle = qRound((SwitchToggle::knobInset + 6.5) * zoom);
    const int knobBottom =
        qRound((SwitchToggle::trackSize.height() - SwitchToggle::knobInset) * zoom);
    const int track = Theme::switchOff().light().red();
    // How much darker than the bare track each row under the knob is.
    std::vector<int> darkening;
    for (int y = knobBottom; y < image.height() - 1; ++y)
        darkening.push_back(track - image.pixelColor(middle, y).red());
    SCOPED_TRACE(testing::PrintToString(darkening));
    // Black at 0.22 at the most, fading row by row rather than ending at an edge.
    constexpr double shadowAlpha = 0.22;
    EXPECT_LE(darkening.front(), qCeil(track * shadowAlpha));
    EXPECT_GT(darkening.front(), 0);
    int fading = 0;
    while (fading + 1 < int(darkening.size()) && darkening[std::size_t(fading + 1)] > 0 &&
           darkening[std::size_t(fading + 1)] < darkening[std::size_t(fading)])
        ++fading;
    EXPECT_GE(fading, 3);
}

TEST_F(ControlsTest, ControlsCatchBeingDrawnOrClickedOffTheMainThread)
{
    Lucide icon(QStringLiteral("plus"), 17, Theme::textSecondary(), m_appearance);
    IconButton button(QStringLiteral("plus"), 17, Theme::textSecondary(), QString(), m_appearance);
    SwitchToggle toggle(QString(), m_appearance);
    const auto draw = [](QWidget& widget) {
        return [&widget] {
            QImage image(widget.size(), QImage::Format_ARGB32);
            widget.render(&image);
        };
    };
    expectEachCaughtOffTheMainThread({
        {"icon drawn", draw(icon)},
        {"icon button drawn", draw(button)},
        {"icon button clicked", [&button] { button.click(); }},
        {"switch drawn", draw(toggle)},
        {"switch flipped", [&toggle] { toggle.click(); }},
    });
}

} // namespace
