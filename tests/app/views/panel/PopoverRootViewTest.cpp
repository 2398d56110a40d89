#include "app/views/PanelTestFixture.h"

#include "app/views/page/PageSnapshot.h"
#include "app/views/panel/PopoverRootView.h"
#include "app/views/theme/Theme.h"
#include "support/MainThreadChecks.h"
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

TEST_F(PopoverRootViewTest, TheListAndThePickerBringNoBoxOfTheirOwnAsTheyComeAndGo)
{
    const struct
    {
        const char* what;
        std::function<void()> change;
    } moves[] = {
        {"the list opening", [this] { m_controller.openList(); }},
        {"the list closing", [this] { m_controller.closeList(); }},
        {"the picker opening", [this] { m_controller.togglePicker(); }},
        {"the picker closing", [this] { m_controller.closePicker(); }},
    };
    const QImage before = m_root->grab().toImage();
    for (const auto& move : moves) {
        SCOPED_TRACE(move.what);
        move.change();
        int frames = 0;
        for (; leavingPage(); m_animations.advance(30ms), ++frames) {
            SCOPED_TRACE(frames);
            // The corners of the moving picture lie beside the card at every scale: only the
            // card's shadows may darken what the page showed there.
            const QRect picture = leavingPage()->rect().adjusted(2, 2, -3, -3);
            const QImage shown = m_root->grab().toImage();
            for (const QPoint corner : {picture.topLeft(), picture.topRight(), picture.bottomLeft(),
                                        picture.bottomRight()}) {
                const QPoint at = leavingPage()->mapTo(m_root.get(), corner);
                const QColor was = before.pixelColor(at);
                const QColor now = shown.pixelColor(at);
                EXPECT_LE(now.red() + now.green() + now.blue(),
                          was.red() + was.green() + was.blue() + 3)
                    << qPrintable(now.name()) << " over " << qPrintable(was.name());
            }
        }
        EXPECT_GE(frames, 3);
    }
}

TEST_F(PopoverRootViewTest, ARecolourCrossFadesTheFillOverAThirdOfASecondEasingInAndOut)
{
    const QColor from = Theme::hueBackground(int(Hue::mint)).resolved(m_appearance);
    const QColor to = Theme::hueBackground(int(Hue::coral)).resolved(m_appearance);
    const QEasingCurve easeInOut = Animation::easeInOut(350ms).curve;
    ASSERT_EQ(m_root->fillColor(), from);
    m_store.setHue(Hue::coral);
    constexpr int frames = 7;
    for (int frame = 0; frame < frames; ++frame) {
        SCOPED_TRACE(frame);
        const QColor expected = mixed(from, to, easeInOut.valueForProgress(frame / qreal(frames)));
        const QColor fill = m_root->fillColor();
        EXPECT_NEAR(fill.redF(), expected.redF(), 1e-3);
        EXPECT_NEAR(fill.greenF(), expected.greenF(), 1e-3);
        EXPECT_NEAR(fill.blueF(), expected.blueF(), 1e-3);
        if (frame == frames / 2) {
            // As drawn: the panel shows the colour on its way, under the empty note.
            const QPoint inside = m_notePage->mapTo(m_root.get(), m_notePage->rect().center());
            const QColor shown = m_root->grab().toImage().pixelColor(inside);
            EXPECT_LE(std::abs(shown.red() - fill.red()) + std::abs(shown.blue() - fill.blue()), 3)
                << qPrintable(shown.name()) << " instead of " << qPrintable(fill.name());
        }
        m_animations.advance(350ms / frames);
    }
    EXPECT_EQ(m_root->fillColor(), to);
}

TEST_F(PopoverRootViewTest, TheRootViewCatchesBeingMadeOrDrawnOffTheMainThread)
{
    QImage image(m_root->size(), QImage::Format_ARGB32);
    expectEachCaughtOffTheMainThread({
        {"made", [this] { PopoverRootView made(m_controller, m_store, m_appearance); }},
        {"drawn", [&] { m_root->render(&image, {}, {}, QWidget::DrawWindowBackground); }},
    });
}

} // namespace
