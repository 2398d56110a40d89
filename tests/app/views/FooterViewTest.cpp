#include "PanelTestFixture.h"

#include "app/views/FooterView.h"
#include "app/views/HeaderView.h"
#include "app/views/IconButton.h"
#include "platform/Pasteboard.h"

#include <QLabel>
#include <QSignalSpy>

using namespace std::chrono_literals;

namespace {

class FooterViewTest : public PanelTestFixture
{
public:
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
};

TEST_F(FooterViewTest, TheDefaultNoteIsLaidOutAsHeaderPagerAndFooter)
{
    NoteView& page = makePage();
    ASSERT_EQ(m_controller.size(), QSizeF(280, 217));
    page.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(page.header()->geometry(), QRect(16, 13, 248, 20));
    EXPECT_EQ(page.pager()->geometry(), QRect(0, 33, 280, 148));
    EXPECT_EQ(editor()->geometry(), QRect(0, 0, 280, 148));
    EXPECT_EQ(footer().geometry(), QRect(16, 181, 248, 36));
    page.resize(400, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(page.pager()->geometry(), QRect(0, 33, 400, 231));
    EXPECT_EQ(editor()->size(), QSize(400, 231));
}

TEST_F(FooterViewTest, TheButtonGroupsSitAtBothEnds)
{
    NoteView& page = makePage();
    page.show();
    QCoreApplication::processEvents();
    const auto inFooter = [this](QWidget* widget) {
        return QRect(widget->mapTo(&footer(), QPoint(0, 0)), widget->size());
    };
    EXPECT_EQ(inFooter(footer().newNoteButton()).left(), 0);
    EXPECT_EQ(inFooter(footer().settingsButton()).left(), 23 + 8);
    EXPECT_EQ(inFooter(footer().nextButton()).right(), footer().width() - 1);
    EXPECT_EQ(inFooter(footer().copyButton()).left(), footer().width() - 92);
    EXPECT_EQ(inFooter(footer().copyButton()).size(), QSize(22, 22));
}

TEST_F(FooterViewTest, CopiedLabelShowsFrom264PointsWideOnly)
{
    resizeTo(263);
    makePage();
    m_controller.copyCurrentNote();
    EXPECT_TRUE(footer().isShowingCheck());
    EXPECT_FALSE(footer().copiedLabel()->isVisibleTo(&footer()));
    resizeTo(264);
    EXPECT_TRUE(footer().copiedLabel()->isVisibleTo(&footer()));
    EXPECT_EQ(footer().copiedLabel()->text(), QStringLiteral("Copied"));
    m_scheduler.advance(FooterView::checkDuration);
    EXPECT_FALSE(footer().copiedLabel()->isVisibleTo(&footer()));
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

TEST_F(FooterViewTest, TheCopyButtonCopiesTheWholeNote)
{
    useNotes({QStringLiteral("all of this")});
    makePage();
    QTest::mouseClick(footer().copyButton(), Qt::LeftButton);
    EXPECT_EQ(Pasteboard::plainText(), QStringLiteral("all of this"));
    EXPECT_TRUE(footer().isShowingCheck());
    EXPECT_EQ(m_controller.copiedPulse(), 1);
}

TEST_F(FooterViewTest, PreviousAndNextAreEnabledOnlyWhereThereIsANote)
{
    makePage();
    EXPECT_FALSE(footer().previousButton()->isEnabled());
    EXPECT_FALSE(footer().nextButton()->isEnabled());
    useNotes({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")});
    EXPECT_FALSE(footer().previousButton()->isEnabled());
    EXPECT_TRUE(footer().nextButton()->isEnabled());
    m_store.select(1);
    EXPECT_TRUE(footer().previousButton()->isEnabled());
    EXPECT_TRUE(footer().nextButton()->isEnabled());
    m_store.select(2);
    EXPECT_TRUE(footer().previousButton()->isEnabled());
    EXPECT_FALSE(footer().nextButton()->isEnabled());
}

TEST_F(FooterViewTest, TheArrowsPageAndAskForFocus)
{
    useNotes({QStringLiteral("one"), QStringLiteral("two")});
    makePage();
    const int focus = m_controller.focusRequest();
    QTest::mouseClick(footer().nextButton(), Qt::LeftButton);
    nextTurn();
    EXPECT_EQ(m_store.currentIndex(), 1);
    EXPECT_EQ(m_controller.motion(), PageMotion::next);
    EXPECT_EQ(m_controller.focusRequest(), focus + 1);
    QTest::mouseClick(footer().previousButton(), Qt::LeftButton);
    nextTurn();
    EXPECT_EQ(m_store.currentIndex(), 0);
    EXPECT_EQ(m_controller.motion(), PageMotion::previous);
}

TEST_F(FooterViewTest, NextWithNoNextNoteChangesNothingNotEvenTheFocusRequest)
{
    useNotes({QStringLiteral("one"), QStringLiteral("two")});
    makePage();
    m_store.select(1);
    // The state changed after the button was drawn enabled.
    footer().nextButton()->setEnabled(true);
    const int focus = m_controller.focusRequest();
    QTest::mouseClick(footer().nextButton(), Qt::LeftButton);
    nextTurn();
    EXPECT_EQ(m_store.currentIndex(), 1);
    EXPECT_EQ(m_controller.focusRequest(), focus);
    EXPECT_EQ(m_controller.motion(), PageMotion::none);
}

TEST_F(FooterViewTest, NewNoteAndSettingsButtonsCallTheController)
{
    makePage();
    QTest::mouseClick(footer().newNoteButton(), Qt::LeftButton);
    nextTurn();
    EXPECT_EQ(m_store.notes().size(), 2u);
    EXPECT_EQ(m_controller.motion(), PageMotion::newNote);
    QTest::mouseClick(footer().settingsButton(), Qt::LeftButton);
    EXPECT_EQ(m_controller.mode(), PopoverController::Mode::settings);
}

TEST_F(FooterViewTest, HelpTextsNameTheShortcutsInTheDesktopsWords)
{
    makePage();
    EXPECT_EQ(footer().newNoteButton()->toolTip(), QStringLiteral("New note (Ctrl+N)"));
    EXPECT_EQ(footer().settingsButton()->toolTip(), QStringLiteral("Settings (Ctrl+,)"));
    EXPECT_EQ(footer().copyButton()->toolTip(), QStringLiteral("Copy note (Ctrl+Shift+C)"));
    EXPECT_EQ(footer().copyButton()->accessibleName(), QStringLiteral("Copy note"));
    EXPECT_EQ(footer().previousButton()->toolTip(), QStringLiteral("Previous note (Alt+Left)"));
    EXPECT_EQ(footer().nextButton()->toolTip(), QStringLiteral("Next note (Alt+Right)"));
}

} // namespace
