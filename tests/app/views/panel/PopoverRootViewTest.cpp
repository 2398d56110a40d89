#include "app/views/PanelTestFixture.h"

#include "app/views/page/PageSnapshot.h"
#include "app/views/panel/PopoverRootView.h"
#include "app/views/theme/Theme.h"
#include "support/ManualAnimationDriver.h"

#include <QGraphicsOpacityEffect>

namespace {

using namespace std::chrono_literals;
using Mode = PopoverController::Mode;

// The whole panel's content, with a plain stand-in for the settings page.
class PopoverRootViewTest : public PanelTestFixture
{
protected:
    void SetUp() override
    {
        // Where a page's own light background would stand out most.
        m_appearance.forceColorScheme(Appearance::ColorScheme::Dark);
        m_store.setHue(Hue::mint);
        m_root = std::make_unique<PopoverRootView>(m_controller, m_store, m_appearance);
        m_notePage = new NoteView(m_controller, m_store, m_settings, m_scheduler, m_appearance);
        m_settingsPage = new QWidget;
        m_root->setNotePage(m_notePage);
        m_root->setSettingsPage(m_settingsPage);
        m_controller.open();
    }

    static qreal opacity(const QWidget* page)
    {
        const auto* fade = qobject_cast<const QGraphicsOpacityEffect*>(page->graphicsEffect());
        return fade ? fade->opacity() : 1;
    }
    PageSnapshot* leavingPage() const { return m_root->findChild<PageSnapshot*>(); }

    ManualAnimationDriver m_animations;
    std::unique_ptr<PopoverRootView> m_root;
    NoteView* m_notePage = nullptr;
    QWidget* m_settingsPage = nullptr;
};

QColor mixed(const QColor& from, const QColor& to, qreal progress)
{
    auto mix = [progress](qreal a, qreal b) { return a + (b - a) * progress; };
    return QColor::fromRgbF(float(mix(from.redF(), to.redF())),
                            float(mix(from.greenF(), to.greenF())),
                            float(mix(from.blueF(), to.blueF())));
}

TEST_F(PopoverRootViewTest, ThePagesCrossFadeAndTheFillChangesInTheAnimationOfTheSwitch)
{
    const QColor noteFill = Theme::hueBackground(int(Hue::mint)).resolved(m_appearance);
    const QColor settingsFill = Theme::settingsBackground().resolved(m_appearance);
    const QEasingCurve easeInOut = Animation::easeInOut(250ms).curve;
    const struct
    {
        const char* what;
        std::function<void()> change;
        QWidget* coming;
        QWidget* leaving;
        QColor fromFill;
        QColor toFill;
    } switches[] = {
        {"to the settings", [this] { m_controller.openSettings(); }, m_settingsPage, m_notePage,
         noteFill, settingsFill},
        {"back to the note", [this] { m_controller.backToNote(); }, m_notePage, m_settingsPage,
         settingsFill, noteFill},
    };
    for (const auto& pageSwitch : switches) {
        SCOPED_TRACE(pageSwitch.what);
        pageSwitch.change();
        // The page that goes shows as a picture; the one that comes is there, unseen at first.
        EXPECT_TRUE(pageSwitch.leaving->isHidden());
        EXPECT_FALSE(pageSwitch.coming->isHidden());
        for (int frame = 0; frame < 5; ++frame) {
            SCOPED_TRACE(frame);
            const qreal progress = easeInOut.valueForProgress(frame / 5.0);
            ASSERT_NE(leavingPage(), nullptr);
            EXPECT_NEAR(leavingPage()->effect().opacity, 1 - progress, 1e-3);
            EXPECT_NEAR(opacity(pageSwitch.coming), progress, 1e-3);
            const QColor fill = m_root->fillColor();
            const QColor expected = mixed(pageSwitch.fromFill, pageSwitch.toFill, progress);
            EXPECT_NEAR(fill.redF(), expected.redF(), 1e-3);
            EXPECT_NEAR(fill.blueF(), expected.blueF(), 1e-3);
            if (frame == 0) {
                // The picture of the page that goes brings no background of its own: the
                // panel's fill shows through wherever the page draws nothing.
                const QPoint blank =
                    leavingPage()->mapTo(m_root.get(), leavingPage()->rect().center());
                const QColor shown = m_root->grab().toImage().pixelColor(blank);
                EXPECT_LE(std::abs(shown.red() - fill.red()) +
                              std::abs(shown.green() - fill.green()) +
                              std::abs(shown.blue() - fill.blue()),
                          3)
                    << qPrintable(shown.name()) << " instead of " << qPrintable(fill.name());
            }
            m_animations.advance(250ms / 5);
        }
        EXPECT_EQ(leavingPage(), nullptr);
        EXPECT_EQ(pageSwitch.coming->graphicsEffect(), nullptr);
        EXPECT_EQ(m_root->fillColor(), pageSwitch.toFill);
    }

    // Closing on the settings page goes back to the note at once.
    m_controller.openSettings();
    m_controller.close();
    EXPECT_EQ(leavingPage(), nullptr);
    EXPECT_EQ(m_root->fillColor(), noteFill);
    EXPECT_FALSE(m_notePage->isHidden());
    EXPECT_TRUE(m_settingsPage->isHidden());
}

} // namespace
