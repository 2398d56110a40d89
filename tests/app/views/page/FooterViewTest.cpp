#include "app/views/PanelTestFixture.h"

#include "app/views/page/FooterView.h"
#include "app/views/page/HeaderView.h"
#include "app/views/theme/IconButton.h"
#include "app/views/theme/Lucide.h"
#include "platform/Pasteboard.h"
#include "support/ManualAnimationDriver.h"

#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QSignalSpy>

using namespace std::chrono_literals;

namespace {

// The check mark's two animations.
constexpr std::chrono::milliseconds checkComes{350};
constexpr std::chrono::milliseconds checkGoes{200};

class FooterViewTest : public PanelTestFixture
{
public:
    ManualAnimationDriver m_animations;

    FooterView& footer() { return *m_page->footer(); }

    // Makes the controller's note area `width` wide by a corner drag.
    void resizeTo(qreal width)
    {
        const QPointF start(500, 500);
        m_controller.beginResize(start);
        const qreal dx = (width - m_controller.size().width()) / 2;
        m_controller.resizeDrag(PopoverController::Corner::bottomRight, start + QPointF(dx, 0));
        m_controller.endResize();
        ASSERT_DOUBLE_EQ(m_controller.size().width(), width);
    }

    void click(QAbstractButton* button)
    {
        QTest::mouseClick(button, Qt::LeftButton);
        nextTurn();
    }
};

TEST_F(FooterViewTest, TheDefaultNoteIsLaidOutAsHeaderPagerAndFooterWithButtonsAtBothEnds)
{
    NoteView& page = makePage();
    ASSERT_EQ(m_controller.size(), QSizeF(280, 217));
    page.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(page.header()->geometry(), QRect(16, 13, 248, 20));
    EXPECT_EQ(page.pager()->geometry(), QRect(0, 33, 280, 148));
    EXPECT_EQ(editor()->geometry(), QRect(0, 0, 280, 148));
    EXPECT_EQ(footer().geometry(), QRect(16, 181, 248, 36));
    const auto inFooter = [this](QWidget* widget) {
        return QRect(widget->mapTo(&footer(), QPoint(0, 0)), widget->size());
    };
    EXPECT_EQ(inFooter(footer().newNoteButton()).left(), 0);
    EXPECT_EQ(inFooter(footer().settingsButton()).left(), 23 + 8);
    EXPECT_EQ(inFooter(footer().nextButton()).right(), footer().width() - 1);
    EXPECT_EQ(inFooter(footer().copyButton()).left(), footer().width() - 92);
    EXPECT_EQ(inFooter(footer().copyButton()).size(), QSize(22, 22));
    page.resize(400, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(page.pager()->geometry(), QRect(0, 33, 400, 231));
    EXPECT_EQ(editor()->size(), QSize(400, 231));
}

TEST_F(FooterViewTest, TheCopyButtonCopiesTheWholeNoteAndTheCopiedLabelShowsFrom264Wide)
{
    useNotes({QStringLiteral("all of this")});
    resizeTo(263);
    makePage();
    QTest::mouseClick(footer().copyButton(), Qt::LeftButton);
    EXPECT_EQ(Pasteboard::plainText(), QStringLiteral("all of this"));
    EXPECT_EQ(m_controller.copiedPulse(), 1);
    EXPECT_TRUE(footer().isShowingCheck());
    EXPECT_FALSE(footer().copiedLabel()->isVisibleTo(&footer()));
    resizeTo(264);
    EXPECT_TRUE(footer().copiedLabel()->isVisibleTo(&footer()));
    EXPECT_EQ(footer().copiedLabel()->text(), QStringLiteral("Copied"));
    m_scheduler.advance(FooterView::checkDuration);
    m_animations.advance(checkGoes); // faded out
    EXPECT_FALSE(footer().copiedLabel()->isVisibleTo(&footer()));
}

TEST_F(FooterViewTest, TheCopiedLabelFadesInWithTheCheckMarksSpringAndOutWithItsEaseOut)
{
    resizeTo(280);
    makePage();
    QLabel* label = footer().copiedLabel();
    const auto opacity = [label] {
        return static_cast<QGraphicsOpacityEffect*>(label->graphicsEffect())->opacity();
    };
    m_controller.copyCurrentNote();
    const QEasingCurve spring = Animation::timingCurve(0.2, 0.9, 0.3, 1.5, checkComes).curve;
    // Inserted at once, unseen in the first frame, then as the spring goes, never past opaque.
    EXPECT_TRUE(label->isVisibleTo(&footer()));
    EXPECT_DOUBLE_EQ(opacity(), 0);
    for (int frame = 1; frame <= 5; ++frame) {
        m_animations.advance(checkComes / 5);
        const qreal progress = spring.valueForProgress(frame / 5.0);
        EXPECT_NEAR(opacity(), std::min(progress, 1.0), 1e-3) << frame;
    }

    m_scheduler.advance(FooterView::checkDuration);
    const QEasingCurve easeOut = Animation::easeOut(checkGoes).curve;
    for (int frame = 0; frame < 4; ++frame) {
        EXPECT_TRUE(label->isVisibleTo(&footer())) << frame;
        EXPECT_NEAR(opacity(), 1 - easeOut.valueForProgress(frame / 4.0), 1e-3) << frame;
        m_animations.advance(checkGoes / 4);
    }
    EXPECT_FALSE(label->isVisibleTo(&footer()));
}

TEST_F(FooterViewTest, TwoCopiesHalfASecondApartGiveOneHide)
{
    makePage();
    QSignalSpy changes(&footer(), &FooterView::showCheckChanged);
    m_controller.copyCurrentNote();
    m_scheduler.advance(500ms);
    m_controller.copyCurrentNote();
    m_scheduler.advance(1099ms);
    EXPECT_TRUE(footer().isShowingCheck());
    m_scheduler.advance(1ms);
    EXPECT_FALSE(footer().isShowingCheck());
    m_scheduler.advance(5s);
    ASSERT_EQ(changes.size(), 2);
    EXPECT_TRUE(changes[0][0].toBool());
    EXPECT_FALSE(changes[1][0].toBool());
}

TEST_F(FooterViewTest, BackFromTheSettingsTheFooterStartsAfreshWithNoCheckMarkPending)
{
    resizeTo(280);
    makePage();
    QLabel* label = footer().copiedLabel();
    const QList<Lucide*> icons = footer().copyButton()->findChildren<Lucide*>();
    ASSERT_EQ(icons.size(), 2);
    const auto checkShows = [&] {
        return std::pair(label->isVisibleTo(&footer()), icons[1]->opacity());
    };
    m_controller.copyCurrentNote();
    m_animations.advance(checkComes);
    ASSERT_EQ(checkShows(), std::pair(true, 1.0));
    // To the settings and straight back, well inside the check mark's 1.1 s.
    m_controller.openSettings();
    m_scheduler.advance(400ms);
    m_controller.backToNote();
    EXPECT_FALSE(footer().isShowingCheck());
    EXPECT_EQ(checkShows(), std::pair(false, 0.0));
    EXPECT_EQ(icons[0]->opacity(), 1);

    // A copy now is a first one: the check mark grows in from nothing and stays its full 1.1 s,
    // whatever the copy before the settings had scheduled.
    m_scheduler.advance(500ms);
    m_controller.copyCurrentNote();
    m_animations.advance(0ms);
    EXPECT_EQ(checkShows(), std::pair(true, 0.0));
    m_animations.advance(checkComes);
    m_scheduler.advance(FooterView::checkDuration - 1ms);
    EXPECT_TRUE(footer().isShowingCheck());
    m_scheduler.advance(1ms);
    EXPECT_FALSE(footer().isShowingCheck());
}

TEST_F(FooterViewTest, TheArrowsAreEnabledOnlyWhereThereIsANoteAndPageAskingForFocus)
{
    makePage();
    EXPECT_FALSE(footer().previousButton()->isEnabled());
    EXPECT_FALSE(footer().nextButton()->isEnabled());
    useNotes({QStringLiteral("one"), QStringLiteral("two")});
    EXPECT_FALSE(footer().previousButton()->isEnabled());
    EXPECT_TRUE(footer().nextButton()->isEnabled());
    const int focus = m_controller.focusRequest();
    click(footer().nextButton());
    EXPECT_EQ(m_store.currentIndex(), 1);
    EXPECT_EQ(m_controller.motion(), PageMotion::next);
    EXPECT_EQ(m_controller.focusRequest(), focus + 1);
    EXPECT_TRUE(footer().previousButton()->isEnabled());
    EXPECT_FALSE(footer().nextButton()->isEnabled());

    // The state changed after the button was drawn enabled: nothing happens, not even focus.
    footer().nextButton()->setEnabled(true);
    click(footer().nextButton());
    EXPECT_EQ(m_store.currentIndex(), 1);
    EXPECT_EQ(m_controller.focusRequest(), focus + 1);

    click(footer().previousButton());
    EXPECT_EQ(m_store.currentIndex(), 0);
    EXPECT_EQ(m_controller.motion(), PageMotion::previous);
}

TEST_F(FooterViewTest, NewNoteAndSettingsCallTheControllerAndTheHelpNamesTheirShortcuts)
{
    makePage();
    EXPECT_EQ(footer().newNoteButton()->toolTip(), QStringLiteral("New note (Ctrl+N)"));
    EXPECT_EQ(footer().settingsButton()->toolTip(), QStringLiteral("Settings (Ctrl+,)"));
    EXPECT_EQ(footer().copyButton()->toolTip(), QStringLiteral("Copy note (Ctrl+Shift+C)"));
    EXPECT_EQ(footer().copyButton()->accessibleName(), QStringLiteral("Copy note"));
    EXPECT_EQ(footer().previousButton()->toolTip(), QStringLiteral("Previous note (Alt+Left)"));
    EXPECT_EQ(footer().nextButton()->toolTip(), QStringLiteral("Next note (Alt+Right)"));
    click(footer().newNoteButton());
    EXPECT_EQ(m_store.notes().size(), 2u);
    EXPECT_EQ(m_controller.motion(), PageMotion::newNote);
    click(footer().settingsButton());
    EXPECT_EQ(m_controller.mode(), PopoverController::Mode::settings);
}

} // namespace
