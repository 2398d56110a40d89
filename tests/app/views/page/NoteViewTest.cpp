#include "app/views/PanelTestFixture.h"

#include "app/views/page/HeaderView.h"
#include "app/views/page/UndoToast.h"
#include "app/views/panel/PopoverRootView.h"
#include "app/views/theme/HueDot.h"
#include "platform/PanelWindow.h"
#include "support/MainThreadChecks.h"

#include <QAbstractButton>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QWindow>

#include <functional>

using namespace std::chrono_literals;

namespace {

class NoteViewTest : public PanelTestFixture
{
protected:
    // The page in the open panel's window, where key presses reach it as they do on a desktop.
    QWindow* openInPanel(PopoverRootView& root)
    {
        root.setNotePage(&makePage());
        m_controller.setContent(&root);
        m_controller.open();
        nextTurn();
        return m_controller.panel()->windowHandle();
    }
};

struct NameDoubleTapCase
{
    const char* what;
    bool listOpenBefore;
    std::chrono::milliseconds firstHeld; // from the first tap's press to its release
    std::chrono::milliseconds pressesApart;
    bool renames;
};

// Two taps on the name, each reaching whatever lies under it then, the second handled a second
// after the first by the program's clock.
TEST_F(NoteViewTest, TwoTapsOnTheNameAreJudgedByTheirPressesTimesWhereverTheyLand)
{
    const NameDoubleTapCase cases[] = {
        {"the second on the catcher of the list the first opened", false, 80ms, 200ms, true},
        {"the first on the catcher of an open list", true, 80ms, 200ms, true},
        {"slow taps", false, 80ms, 500ms, false},
        {"a first tap held long", false, 300ms, 400ms, false},
    };
    NoteView& page = makePage();
    page.show();
    QWidget* name = page.header()->nameButton();
    const QPoint onName = name->mapTo(&page, name->rect().center());
    std::chrono::milliseconds pressed = 0ms;
    auto tap = [&](std::chrono::milliseconds held) {
        QWidget* under = page.childAt(onName);
        ASSERT_NE(under, nullptr);
        const QPointF local = under->mapFrom(&page, QPointF(onName));
        QMouseEvent press(QEvent::MouseButtonPress, local, under->mapToGlobal(local),
                          Qt::LeftButton, Qt::LeftButton, {});
        press.setTimestamp(quint64(pressed.count()));
        QCoreApplication::sendEvent(under, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, local, under->mapToGlobal(local),
                            Qt::LeftButton, Qt::NoButton, {});
        release.setTimestamp(quint64((pressed + held).count()));
        QCoreApplication::sendEvent(under, &release);
    };
    for (const NameDoubleTapCase& example : cases) {
        SCOPED_TRACE(example.what);
        if (example.listOpenBefore)
            m_controller.openList();
        pressed += 1min; // long after the taps of the case before
        tap(example.firstHeld);
        EXPECT_NE(m_controller.listOpen(), example.listOpenBefore);
        m_clock.advance(1s);
        pressed += example.pressesApart;
        tap(10ms);
        EXPECT_EQ(m_controller.renaming(), example.renames);
        EXPECT_EQ(m_controller.listOpen(), example.listOpenBefore && !example.renames);
        m_controller.setRenaming(false);
        m_controller.closeList();
        nextTurn(); // the name back in its place
    }
}

TEST_F(NoteViewTest, ToastTextsCountTheDeletedNotes)
{
    EXPECT_EQ(UndoToast::message(std::nullopt), QStringLiteral("Note deleted"));
    useNotes({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"),
              QStringLiteral("e")});
    NoteView& page = makePage();
    QSet<QUuid> ids;
    for (int i = 1; i < 5; ++i)
        ids.insert(m_store.notes()[std::size_t(i)].id);
    m_controller.deleteNotes(ids);
    ASSERT_NE(page.toast(), nullptr);
    EXPECT_EQ(page.toast()->messageShown(), QStringLiteral("4 notes deleted"));
    EXPECT_EQ(page.toast()->undoButton()->toolTip(),
              QStringLiteral("Bring the note back (Ctrl+Z)"));
}

TEST_F(NoteViewTest, TheToastSitsCentred44AboveTheBottomWhileADeletionIsPending)
{
    useNotes({QStringLiteral("one"), QStringLiteral("two")});
    NoteView& page = makePage();
    page.show();
    EXPECT_EQ(page.toast(), nullptr);
    m_controller.deleteCurrentNote();
    nextTurn();
    UndoToast* toast = page.toast();
    ASSERT_NE(toast, nullptr);
    EXPECT_EQ(toast->messageShown(), QStringLiteral("Note deleted"));
    page.resize(300, 250);
    // It rises into place over 0.2 s.
    QTRY_VERIFY_WITH_TIMEOUT(toast->graphicsEffect() == nullptr, 2000);
    const QRect box = toast->geometry();
    EXPECT_EQ(box.bottom() + 1, 250 - 44);
    EXPECT_LE(std::abs(box.center().x() - 150), 1);
    m_scheduler.advance(PopoverController::toastLifetime);
    EXPECT_FALSE(m_store.pendingUndo().has_value());
    EXPECT_EQ(page.toast(), nullptr);
}

TEST_F(NoteViewTest, TheUndoButtonBringsTheNoteBackAndTheToastGoes)
{
    useNotes({QStringLiteral("one"), QStringLiteral("two")});
    NoteView& page = makePage();
    m_controller.deleteCurrentNote();
    nextTurn();
    ASSERT_EQ(m_store.notes().size(), 1u);
    QTest::mouseClick(page.toast()->undoButton(), Qt::LeftButton);
    nextTurn();
    ASSERT_EQ(m_store.notes().size(), 2u);
    EXPECT_EQ(editor()->text(), QStringLiteral("one"));
    EXPECT_EQ(m_controller.motion(), PageMotion::undo);
    EXPECT_FALSE(m_store.pendingUndo().has_value());
    EXPECT_EQ(page.toast(), nullptr);
}

TEST_F(NoteViewTest, TheToastShowsOnTheNotePageOnly)
{
    useNotes({QStringLiteral("one"), QStringLiteral("two")});
    PopoverRootView root(m_controller, m_store, m_appearance);
    NoteView& page = makePage();
    root.setNotePage(&page);
    root.resize(360, 298);
    root.show();
    m_controller.deleteCurrentNote();
    nextTurn();
    ASSERT_NE(page.toast(), nullptr);
    EXPECT_TRUE(page.toast()->isVisible());
    m_controller.openSettings();
    EXPECT_FALSE(page.toast()->isVisible());
    m_controller.backToNote();
    EXPECT_TRUE(page.toast()->isVisible());
    page.setParent(nullptr); // the fixture owns the page, not the root view
}

TEST_F(NoteViewTest, OneCtrlZWhileTheToastShowsUndoesOnce)
{
    useNotes({QStringLiteral("one"), QStringLiteral("two")});
    PopoverRootView root(m_controller, m_store, m_appearance);
    QWindow* window = openInPanel(root);
    ASSERT_NE(window, nullptr);

    editor()->setFocus();
    m_controller.deleteCurrentNote();
    nextTurn();
    ASSERT_NE(m_page->toast(), nullptr);
    const int focus = m_controller.focusRequest();
    QSignalSpy motions(&m_controller, &PopoverController::motionChanged);
    QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
    nextTurn();
    EXPECT_EQ(m_controller.focusRequest(), focus + 1);
    EXPECT_EQ(motions.size(), 1);
    ASSERT_EQ(m_store.notes().size(), 2u);
    EXPECT_EQ(m_store.currentNote().text, QStringLiteral("one"));
    EXPECT_EQ(m_page->toast(), nullptr);
    m_controller.close();
    m_page->setParent(nullptr); // the fixture owns the page, not the root view
}

TEST_F(NoteViewTest, CtrlBackspaceAndCtrlDeleteTakeAWordAndCtrlShiftBackspaceTheNote)
{
    useNotes({QStringLiteral("one two three"), QStringLiteral("other")});
    PopoverRootView root(m_controller, m_store, m_appearance);
    QWindow* window = openInPanel(root);
    ASSERT_NE(window, nullptr);
    editor()->setFocus();

    const struct
    {
        const char* keys;
        int caret;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* text;
    } words[] = {
        {"Ctrl+Backspace", 13, Qt::Key_Backspace, Qt::ControlModifier, "one two "},
        {"Ctrl+Delete", 0, Qt::Key_Delete, Qt::ControlModifier, "two "},
    };
    for (const auto& word : words) {
        SCOPED_TRACE(word.keys);
        editor()->setCursorPosition(word.caret);
        QTest::keyClick(window, word.key, word.modifiers);
        nextTurn();
        EXPECT_EQ(m_store.currentNote().text, QString::fromLatin1(word.text));
        EXPECT_EQ(m_store.notes().size(), 2u);
        EXPECT_EQ(m_controller.motion(), PageMotion::none);
    }

    QTest::keyClick(window, Qt::Key_Backspace, Qt::ControlModifier | Qt::ShiftModifier);
    nextTurn();
    EXPECT_EQ(m_controller.motion(), PageMotion::remove);
    ASSERT_EQ(m_store.notes().size(), 1u);
    EXPECT_EQ(m_store.currentNote().text, QStringLiteral("other"));
    ASSERT_TRUE(m_store.pendingUndo().has_value());
    EXPECT_EQ(m_store.pendingUndo()->entries.front().note.text, QStringLiteral("two "));
    m_controller.close();
    m_page->setParent(nullptr); // the fixture owns the page, not the root view
}

TEST_F(NoteViewTest, TheToastCatchesBeingDrawnOrClickedOffTheMainThread)
{
    m_store.deleteCurrent();
    UndoToast toast(m_controller, m_store, m_appearance);
    toast.adjustSize();
    expectEachCaughtOffTheMainThread({
        {"drawn",
         [&toast] {
             QImage image(toast.size(), QImage::Format_ARGB32);
             toast.render(&image);
         }},
        {"Undo clicked", [&toast] { toast.undoButton()->click(); }},
    });
}

TEST_F(NoteViewTest, ThePageItsHeaderPagerAndDotCatchBeingMadeOrDrawnOffTheMainThread)
{
    NoteView& page = makePage();
    HeaderView& header = *page.header();
    HueDot dot(Hue::sand);
    const auto draw = [](QWidget& widget) {
        return [&widget] {
            QImage image(widget.size(), QImage::Format_ARGB32);
            widget.render(&image);
        };
    };
    expectEachCaughtOffTheMainThread({
        {"page made",
         [this] { NoteView made(m_controller, m_store, m_settings, m_scheduler, m_appearance); }},
        {"header made", [&] { HeaderView made(m_controller, m_store, m_appearance, page); }},
        {"pager made",
         [this] { NotePager made(m_controller, m_store, m_settings, m_scheduler, m_appearance); }},
        {"header shows the note", [&header] { header.showCurrentNote(); }},
        {"name drawn", draw(*header.nameButton())},
        {"dot made", [] { HueDot made(Hue::mint); }},
        {"dot recoloured", [&dot] { dot.setHue(Hue::mint); }},
        {"dot drawn", draw(dot)},
    });
}

TEST_F(NoteViewTest, WhileTheListOrPickerIsOpenAClickAnywhereOnThePageOnlyClosesIt)
{
    NoteView& page = makePage();
    page.show();
    EXPECT_FALSE(page.tapCatcher()->isVisible());
    m_controller.openList();
    ASSERT_TRUE(page.tapCatcher()->isVisible());
    EXPECT_EQ(page.tapCatcher()->geometry(), page.rect());
    const int focus = m_controller.focusRequest();
    // Over the delete button: the catcher takes the click.
    QWidget* hit = page.childAt(page.width() - 20, 20);
    EXPECT_EQ(hit, page.tapCatcher());
    QTest::mouseClick(page.tapCatcher(), Qt::LeftButton, {}, QPoint(page.width() - 20, 20));
    EXPECT_FALSE(m_controller.listOpen());
    EXPECT_EQ(m_store.notes().size(), 1u);
    EXPECT_EQ(m_controller.focusRequest(), focus + 1);
    EXPECT_FALSE(page.tapCatcher()->isVisible());

    // The picker closes the same way, without asking for focus.
    m_controller.setPickerOpen(true);
    ASSERT_TRUE(page.tapCatcher()->isVisible());
    QTest::mouseClick(page.tapCatcher(), Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_FALSE(m_controller.pickerOpen());
    EXPECT_EQ(m_controller.focusRequest(), focus + 1);
}

} // namespace
