#include "app/views/PanelTestFixture.h"

#include "app/views/page/HeaderView.h"
#include "app/views/theme/HueDot.h"
#include "app/views/theme/IconButton.h"
#include "app/views/theme/Lucide.h"

namespace {

class HeaderViewTest : public PanelTestFixture
{
public:
    HeaderView& header() { return *m_page->header(); }
};

TEST_F(HeaderViewTest, APageChangeEndsRenamingSoALateCommitRenamesNoNote)
{
    useNotes({QStringLiteral("one"), QStringLiteral("two")});
    m_store.rename(m_store.notes()[0].id, QStringLiteral("First"));
    m_store.rename(m_store.notes()[1].id, QStringLiteral("Second"));
    makePage();
    QTest::mouseClick(header().renameButton(), Qt::LeftButton);
    ASSERT_TRUE(m_controller.renaming());
    m_controller.nextNote();
    nextTurn();
    EXPECT_FALSE(m_controller.renaming());
    // The field reports its text as it goes away.
    header().commitRename(QStringLiteral("Typed for the first"));
    EXPECT_EQ(m_store.notes()[0].name, QStringLiteral("First"));
    EXPECT_EQ(m_store.notes()[1].name, QStringLiteral("Second"));
}

TEST_F(HeaderViewTest, TheNameMakesWayForRenamingAndACommitRenamesTheCurrentNoteOnce)
{
    useNotes({QStringLiteral("one"), QStringLiteral("two")});
    m_store.rename(m_store.notes()[1].id, QStringLiteral("Second"));
    makePage();
    m_store.select(1);
    EXPECT_EQ(header().nameButton()->text(), QStringLiteral("Second"));
    EXPECT_TRUE(header().nameButton()->isVisibleTo(&header()));
    m_controller.setRenaming(true);
    EXPECT_FALSE(header().nameButton()->isVisibleTo(&header()));
    const QString typed = QStringLiteral("  Groceries\nand more ");
    header().commitRename(typed);
    EXPECT_FALSE(m_controller.renaming());
    EXPECT_TRUE(header().nameButton()->isVisibleTo(&header()));
    EXPECT_EQ(header().nameButton()->text(), normalizedNoteName(typed));
    EXPECT_EQ(m_store.notes()[1].name, normalizedNoteName(typed));
    EXPECT_NE(m_store.notes()[0].name, m_store.notes()[1].name);
    header().commitRename(QStringLiteral("Again"));
    EXPECT_EQ(m_store.notes()[1].name, normalizedNoteName(typed));
    m_controller.setRenaming(true);
    header().cancelRename();
    EXPECT_FALSE(m_controller.renaming());
    EXPECT_EQ(m_store.notes()[1].name, normalizedNoteName(typed));
}

TEST_F(HeaderViewTest, ANameClickThatNoPressBeganOnlyTogglesTheList)
{
    makePage().show();
    QAbstractButton* name = header().nameButton();
    QTest::mouseClick(name, Qt::LeftButton);
    ASSERT_TRUE(m_controller.listOpen());
    // As the accessibility layer presses it, right after: no time of its own to pair it with.
    name->click();
    EXPECT_FALSE(m_controller.listOpen());
    EXPECT_FALSE(m_controller.renaming());
    name->click();
    EXPECT_TRUE(m_controller.listOpen());
}

TEST_F(HeaderViewTest, TheRenameButtonAndTheDotCloseWhatElseIsOpen)
{
    makePage();
    m_controller.setPickerOpen(true);
    QTest::mouseClick(header().renameButton(), Qt::LeftButton);
    EXPECT_FALSE(m_controller.pickerOpen());
    EXPECT_TRUE(m_controller.renaming());
    m_controller.openList();
    const int focus = m_controller.focusRequest();
    QTest::mouseClick(header().renameButton(), Qt::LeftButton);
    EXPECT_FALSE(m_controller.listOpen());
    EXPECT_EQ(m_controller.focusRequest(), focus + 1); // from closing the list
    EXPECT_TRUE(m_controller.renaming());

    QTest::mouseClick(header().dotButton(), Qt::LeftButton);
    EXPECT_TRUE(m_controller.pickerOpen());
    EXPECT_FALSE(m_controller.renaming());
    QTest::mouseClick(header().dotButton(), Qt::LeftButton);
    EXPECT_FALSE(m_controller.pickerOpen());
    m_controller.openList();
    QTest::mouseClick(header().dotButton(), Qt::LeftButton);
    EXPECT_FALSE(m_controller.listOpen());
    EXPECT_TRUE(m_controller.pickerOpen());
}

TEST_F(HeaderViewTest, TheDotShowsTheCurrentHueWithARingOnlyOnWhite)
{
    EXPECT_EQ(HueDot::fillColor(Hue::white), QColor(Qt::white));
    EXPECT_EQ(HueDot::ringColor(Hue::white), QColor(0x8C, 0x94, 0xA0));
    EXPECT_EQ(HueDot::fillColor(Hue::coral), QColor(0xE3, 0x9A, 0x86));
    EXPECT_EQ(HueDot::ringColor(Hue::coral).alpha(), 0);
    const QImage image = HueDot(Hue::white).grab().toImage();
    // The ring inside the edge, the white fill in the middle.
    EXPECT_EQ(image.pixelColor(4, 4), QColor(Qt::white));
    EXPECT_LT(image.pixelColor(4, 0).red(), 230);
    NoteView& page = makePage();
    m_store.setHue(Hue::lavender);
    EXPECT_EQ(header().dot()->hue(), Hue::lavender);
    // The tap area starts at the dot and reaches past it, whatever the name's length.
    page.show();
    QCoreApplication::processEvents();
    const auto onScreen = [](const QWidget* widget) { return widget->mapToGlobal(QPoint(0, 0)); };
    EXPECT_EQ(header().dotButton()->size(), QSize(18, 20));
    EXPECT_EQ(onScreen(header().dotButton()), onScreen(header().dot()));
    m_store.rename(m_store.currentNote().id, QStringLiteral("A much longer name"));
    QCoreApplication::processEvents();
    EXPECT_EQ(onScreen(header().dotButton()), onScreen(header().dot()));
}

// Points from the dot's top-left corner and what a press there reaches.
struct DotAreaCase
{
    const char* what;
    QPoint fromDot;
    bool reachesDot;
};

TEST_F(HeaderViewTest, TheDotsTapAreaReachesBelowTheHeaderButLeavesTheListButtonItsOwn)
{
    NoteView& page = makePage();
    page.show();
    QCoreApplication::processEvents();
    const QPoint dot = header().dot()->mapTo(&page, QPoint(0, 0));
    const QPoint list = header().listButton()->mapTo(&page, QPoint(0, 0)) - dot;
    const int headerBottom = header().mapTo(&page, QPoint(0, HeaderView::height)).y() - dot.y();
    const DotAreaCase cases[] = {
        {"the dot's corner", {0, 0}, true},
        {"under the dot, below the header", {4, headerBottom + 1}, true},
        {"the area's far corner, below the header", {17, 19}, true},
        {"just below the area", {4, 20}, false},
        {"on the list button", {list.x() + 2, list.y() + 8}, false},
        {"under the list button", {17, list.y() + header().listButton()->height()}, true},
        {"just right of the area", {18, 19}, false},
    };
    for (const DotAreaCase& example : cases) {
        SCOPED_TRACE(example.what);
        QWidget* under = page.childAt(dot + example.fromDot);
        EXPECT_EQ(under == header().dotButton(), example.reachesDot);
    }
    // A press on the lower part opens the picker and leaves the text alone.
    const QPoint below = dot + QPoint(4, headerBottom + 2);
    QWidget* under = page.childAt(below);
    ASSERT_NE(under, nullptr);
    QTest::mouseClick(under, Qt::LeftButton, {}, under->mapFrom(&page, below));
    EXPECT_TRUE(m_controller.pickerOpen());
}

TEST_F(HeaderViewTest, TheListButtonTurnsUpWhileTheListIsOpen)
{
    makePage();
    m_controller.openList();
    QTRY_COMPARE_WITH_TIMEOUT(header().listButton()->icon()->rotation(), 180.0, 2000);
    m_controller.closeList();
    QTRY_COMPARE_WITH_TIMEOUT(header().listButton()->icon()->rotation(), 0.0, 2000);
    QTest::mouseClick(header().listButton(), Qt::LeftButton);
    EXPECT_TRUE(m_controller.listOpen());
    QTest::mouseClick(header().listButton(), Qt::LeftButton);
    EXPECT_FALSE(m_controller.listOpen());
}

TEST_F(HeaderViewTest, HelpTextsNameTheControlsAndDeleteDeletesTheCurrentNote)
{
    makePage();
    EXPECT_EQ(header().renameButton()->toolTip(), QStringLiteral("Rename note"));
    EXPECT_EQ(header().nameButton()->toolTip(),
              QStringLiteral("All notes (click) · Rename (double-click)"));
    EXPECT_EQ(header().dotButton()->toolTip(), QStringLiteral("Note color"));
    EXPECT_EQ(header().listButton()->toolTip(), QStringLiteral("All notes (Alt+Down)"));
    EXPECT_EQ(header().deleteButton()->accessibleName(),
              QStringLiteral("Delete note (Ctrl+Shift+Backspace)"));
    EXPECT_TRUE(header().deleteButton()->isEnabled());
    const QUuid only = m_store.currentNote().id;
    QTest::mouseClick(header().deleteButton(), Qt::LeftButton);
    nextTurn();
    ASSERT_EQ(m_store.notes().size(), 1u);
    EXPECT_NE(m_store.currentNote().id, only);
    EXPECT_TRUE(m_store.pendingUndo().has_value());
}

} // namespace
