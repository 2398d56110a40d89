#include "app/views/PanelTestFixture.h"

#include "app/views/page/PageSnapshot.h"

#include <QGraphicsOpacityEffect>
#include <QPointer>

namespace {

class NotePagerTest : public PanelTestFixture
{
public:
    NotePager& pager() { return *m_page->pager(); }

    // Pauses the running transition at `fraction` of its length; returns the eased progress.
    qreal pauseAt(qreal fraction)
    {
        QVariantAnimation& transition = pager().transition();
        transition.pause();
        transition.setCurrentTime(qRound(transition.duration() * fraction));
        return transition.easingCurve().valueForProgress(fraction);
    }

    qreal incomingOpacity()
    {
        auto* fade = qobject_cast<QGraphicsOpacityEffect*>(editor()->graphicsEffect());
        return fade ? fade->opacity() : -1;
    }
};

TEST_F(NotePagerTest, ShowsTheCurrentNoteAndKeepsOneEditorAcrossKeystrokesRestylingAndStore)
{
    useNotes({QStringLiteral("one"), QStringLiteral("two")});
    makePage();
    QPointer<NoteTextView> first = editor();
    EXPECT_EQ(first->noteID(), m_store.currentNote().id);
    EXPECT_EQ(first->text(), QStringLiteral("one"));
    first->setCursorPosition(int(first->text().size()));
    QTest::keyClicks(first, QStringLiteral("!?"));
    m_settings.setTextSize(20);
    m_settings.setPasteAsPlainText(false);
    m_store.setHue(Hue::coral);
    EXPECT_EQ(textOf(0), QStringLiteral("one!?"));
    EXPECT_EQ(first->fontSize(), 20);
    m_store.setText(m_store.currentNote().id, QStringLiteral("from elsewhere"));
    EXPECT_EQ(first->text(), QStringLiteral("from elsewhere"));
    EXPECT_EQ(editor(), first.data());
    EXPECT_EQ(pager().outgoingPage(), nullptr);
}

TEST_F(NotePagerTest, EachPageChangeGetsANewEditorAndTheOldPageSlidesAwayAsAPicture)
{
    useNotes({QStringLiteral("one"), QStringLiteral("two")});
    NoteView& page = makePage();
    page.show();
    QPointer<NoteTextView> first = editor();
    m_controller.nextNote();
    EXPECT_TRUE(first.isNull());
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->noteID(), m_store.notes()[1].id);
    EXPECT_EQ(editor()->text(), QStringLiteral("two"));
    PageSnapshot* leaving = pager().outgoingPage();
    ASSERT_NE(leaving, nullptr);
    EXPECT_TRUE(leaving->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(leaving->focusPolicy(), Qt::NoFocus);

    QVariantAnimation& transition = pager().transition();
    ASSERT_EQ(transition.state(), QAbstractAnimation::Running);
    EXPECT_EQ(transition.duration(), 320);
    const int width = pager().width();
    pauseAt(0);
    EXPECT_EQ(editor()->x(), width);
    EXPECT_EQ(leaving->effect(), PageEffect::identity());
    const qreal progress = pauseAt(0.5);
    EXPECT_EQ(editor()->x(), qRound(width * (1 - progress)));
    EXPECT_DOUBLE_EQ(leaving->effect().x, -0.4 * width * progress);
    EXPECT_DOUBLE_EQ(leaving->effect().opacity, 1 - progress);
    EXPECT_DOUBLE_EQ(incomingOpacity(), progress);
    pauseAt(1);
    EXPECT_EQ(pager().outgoingPage(), nullptr);
    EXPECT_EQ(editor()->pos(), QPoint(0, 0));
    EXPECT_EQ(editor()->graphicsEffect(), nullptr);
}

TEST_F(NotePagerTest, DeletingTheCurrentNoteDropsTheOldPageAndFadesTheNewOneIn)
{
    useNotes({QStringLiteral("one"), QStringLiteral("two")});
    makePage();
    m_controller.deleteCurrentNote();
    nextTurn();
    EXPECT_EQ(editor()->text(), QStringLiteral("two"));
    EXPECT_EQ(pager().transition().duration(), 260);
    const qreal progress = pauseAt(0.5);
    EXPECT_EQ(editor()->pos(), QPoint(0, 0));
    const PageEffect dropped = pager().outgoingPage()->effect();
    EXPECT_DOUBLE_EQ(dropped.y, 30 * progress);
    EXPECT_DOUBLE_EQ(dropped.scale, 1 - 0.04 * progress);
}

TEST_F(NotePagerTest, WithReducedMotionEveryPageChangeCrossFadesInPlace)
{
    useNotes({QStringLiteral("one"), QStringLiteral("two")});
    m_appearance.portalSettingChanged(QStringLiteral("org.gnome.desktop.interface"),
                                      QStringLiteral("enable-animations"), false);
    ASSERT_TRUE(m_appearance.reduceMotion());
    makePage();
    m_controller.nextNote();
    nextTurn();
    EXPECT_EQ(pager().transition().duration(), 200);
    pauseAt(0.5);
    EXPECT_EQ(editor()->pos(), QPoint(0, 0));
    EXPECT_DOUBLE_EQ(pager().outgoingPage()->effect().x, 0);
    EXPECT_LT(pager().outgoingPage()->effect().opacity, 1);
}

TEST_F(NotePagerTest, AnEmptyMotionCrossFadesAndAChangeWithoutMotionHasNoLeavingPage)
{
    useNotes({QStringLiteral("one"), QStringLiteral("two")});
    makePage();
    m_controller.page(PageMotion::none, [this] { m_store.select(1); });
    nextTurn();
    pauseAt(0);
    EXPECT_EQ(editor()->pos(), QPoint(0, 0));
    EXPECT_DOUBLE_EQ(incomingOpacity(), 0);
    pauseAt(1);
    m_store.select(0);
    EXPECT_EQ(editor()->text(), QStringLiteral("one"));
    EXPECT_EQ(pager().outgoingPage(), nullptr);
}

TEST_F(NotePagerTest, KeysTypedRightAfterAPageCommandLandInTheNewNote)
{
    useNotes({QStringLiteral("one"), QStringLiteral("two")});
    makePage();
    showActive();
    editor()->setFocus();
    // Keys already queued behind the command reach whatever has the keyboard next, before
    // any later turn of the event loop: that must be the incoming note, at its end.
    m_controller.nextNote();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("B"));
    m_controller.newNote();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("C"));
    EXPECT_EQ(textOf(0), QStringLiteral("one"));
    EXPECT_EQ(textOf(1), QStringLiteral("twoB"));
    EXPECT_EQ(textOf(2), QStringLiteral("C"));
    nextTurn();
    ASSERT_TRUE(editor()->hasFocus());
    EXPECT_EQ(editor()->cursorPosition(), 1);
}

// The same when the keyboard was asked for and not given yet: the request goes with the page.
TEST_F(NotePagerTest, KeysTypedBeforeARequestedFocusArrivesLandInTheNewNote)
{
    useNotes({QStringLiteral("one"), QStringLiteral("two")});
    makePage();
    showActive();
    editor()->clearFocus();
    m_controller.nextNote();
    ASSERT_TRUE(editor()->hasPendingFocus());
    ASSERT_FALSE(editor()->hasFocus());
    m_controller.newNote();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("C"));
    EXPECT_EQ(textOf(1), QStringLiteral("two"));
    EXPECT_EQ(textOf(2), QStringLiteral("C"));
}

TEST_F(NotePagerTest, AnEditFromTheLeavingEditorCanNeverWriteIntoTheNewNote)
{
    useNotes({QStringLiteral("one"), QStringLiteral("two")});
    makePage();
    const QUuid leavingID = editor()->noteID();
    // The editor's own note is named in every edit, whatever note is current by then.
    m_store.select(1);
    m_store.setText(leavingID, QStringLiteral("late"));
    EXPECT_EQ(textOf(0), QStringLiteral("late"));
    EXPECT_EQ(textOf(1), QStringLiteral("two"));
}

TEST_F(NotePagerTest, APageChangeAloneLeavesTheKeyboardWhereItWas)
{
    useNotes({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")});
    makePage();
    showActive();
    editor()->clearFocus(); // on the list, whose jump asks for no focus
    m_controller.goToNote(1);
    nextTurn();
    EXPECT_FALSE(editor()->hasFocus());
    EXPECT_FALSE(editor()->hasPendingFocus());

    m_controller.nextNote(); // asks for the keyboard
    EXPECT_TRUE(editor()->hasPendingFocus());
    nextTurn();
    EXPECT_EQ(editor()->noteID(), m_store.notes()[2].id);
    EXPECT_TRUE(editor()->hasFocus());
    EXPECT_EQ(editor()->cursorPosition(), 5);
}

TEST_F(NotePagerTest, ANewNoteStartsEmptyWithThePlaceholder)
{
    useNotes({QStringLiteral("one")});
    makePage();
    m_controller.newNote();
    nextTurn();
    EXPECT_EQ(m_store.notes().size(), 2u);
    EXPECT_TRUE(editor()->isShowingPlaceholder());
    EXPECT_EQ(editor()->noteID(), m_store.currentNote().id);
}

} // namespace
