#include "app/views/PanelTestFixture.h"

#include "app/views/overlays/AgeLabel.h"
#include "app/views/overlays/ColorPickerDot.h"
#include "app/views/overlays/ColorPickerView.h"
#include "app/views/overlays/NoteListModel.h"
#include "app/views/overlays/NoteListView.h"
#include "app/views/overlays/NoteRowsView.h"
#include "app/views/page/FooterView.h"
#include "app/views/page/HeaderView.h"
#include "app/views/page/RenameField.h"
#include "app/views/panel/CornerHandle.h"
#include "app/views/panel/PopoverRootView.h"
#include "app/views/theme/IconButton.h"
#include "app/views/theme/TextButton.h"
#include "app/views/theme/Theme.h"
#include "platform/StatusItem.h"
#include "support/MainThreadChecks.h"

#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>

namespace {

using namespace std::chrono_literals;

struct AgeCase
{
    const char* label;
    double seconds;
    const char* expected;
};

TEST(AgeLabelTest, EachBoundBelongsToTheNextUnit)
{
    const QDateTime edited(QDate(2024, 1, 5), QTime(12, 0), Qt::LocalTime);
    const AgeCase cases[] = {
        {"just under a minute", 59.9, "now"}, {"a minute", 60, "1m"},
        {"under an hour", 3599, "59m"},       {"an hour", 3600, "1h"},
        {"under a day", 86399, "23h"},        {"a day", 86400, "1d"},
        {"under a week", 604799, "6d"},       {"a week", 604800, "Jan 5"},
        {"clock set back", -3600, "now"},
    };
    for (const AgeCase& row : cases) {
        const QDateTime now = edited.addMSecs(qint64(row.seconds * 1000));
        EXPECT_EQ(ageLabel(edited, now), QLatin1String(row.expected)) << row.label;
    }
    EXPECT_EQ(ageLabel(QDateTime(), edited), QStringLiteral("now")) << "unknown time";
}

TEST(NoteListCardTest, CardFollowsTheNotesUpToFiveRowsAndThePanelWidth)
{
    struct Case
    {
        int notes;
        qreal panelWidth;
        QSize card;
    };
    const Case cases[] = {{1, 280, {248, 55}}, {5, 280, {248, 167}}, {6, 280, {248, 167}},
                          {1, 240, {208, 55}}, {2, 520, {488, 83}},  {1, 150, {160, 55}}};
    for (const Case& row : cases)
        EXPECT_EQ(NoteListView::cardSize(row.notes, row.panelWidth), row.card)
            << row.notes << " notes at " << row.panelWidth;
}

class OverlaysTest : public PanelTestFixture
{
public:
    NoteListView& openList()
    {
        m_controller.openList();
        NoteListView* list = m_page->noteList();
        EXPECT_NE(list, nullptr);
        return *list;
    }
    void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
    void clickRow(NoteListView& list, int row)
    {
        const QRect rect = list.rows()->visualRect(list.model().index(row));
        QTest::mouseClick(list.rows()->viewport(), Qt::LeftButton, {}, rect.center());
    }
    QStringList rowNames(const NoteListModel& model) const
    {
        QStringList names;
        for (int row = 0; row < model.rowCount(); ++row)
            names << model.index(row).data().toString();
        return names;
    }
    QStringList storeNames() const
    {
        QStringList names;
        for (const Note& note : m_store.notes())
            names << note.name;
        return names;
    }
};

TEST_F(OverlaysTest, ListRowsFollowTheStoreAsIdentifiedInsertsRemovalsAndMoves)
{
    useNotes({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    for (int i = 0; i < 3; ++i)
        m_store.rename(m_store.notes()[std::size_t(i)].id, QString(QChar(u'A' + i)));
    NoteListModel model(m_store, m_clock);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);

    m_store.deleteNotes({m_store.notes()[0].id, m_store.notes()[2].id});
    EXPECT_EQ(removed.size(), 2);
    EXPECT_EQ(rowNames(model), storeNames());
    m_store.undoDelete();
    EXPECT_EQ(inserted.size(), 2);
    EXPECT_EQ(rowNames(model), storeNames());
    m_store.addNote(QStringLiteral("d"));
    EXPECT_EQ(inserted.size(), 3);
    EXPECT_EQ(rowNames(model), storeNames());
    EXPECT_EQ(model.currentRow(), m_store.currentIndex());
    EXPECT_TRUE(model.index(m_store.currentIndex()).data(NoteListModel::CurrentRole).toBool());
    EXPECT_EQ(resets.size(), 0);
}

TEST_F(OverlaysTest, TicksAreCountedPrunedWhenNotesGoAndDroppedWithTheMode)
{
    useNotes({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")});
    makePage();
    NoteListView* list = &openList();
    EXPECT_FALSE(list->deleteButton()->isVisibleTo(list));
    click(list->selectButton());
    EXPECT_EQ(list->deleteButton()->text(), QStringLiteral("Delete 0"));
    EXPECT_FALSE(list->deleteButton()->isEnabled());
    clickRow(*list, 1);
    clickRow(*list, 2);
    clickRow(*list, 3);
    clickRow(*list, 3); // unticked again
    EXPECT_EQ(list->deleteButton()->text(), QStringLiteral("Delete 2"));
    EXPECT_EQ(m_store.currentIndex(), 0); // a tap ticks, it does not page

    // A ticked note deleted elsewhere no longer counts, and undo does not tick it again.
    const QUuid gone = m_store.notes()[1].id;
    m_controller.deleteNotes({gone});
    EXPECT_EQ(list->deleteButton()->text(), QStringLiteral("Delete 1"));
    m_controller.undo();
    nextTurn();
    EXPECT_EQ(list->deleteButton()->text(), QStringLiteral("Delete 1"));

    const QUuid ticked = m_store.notes()[2].id;
    click(list->deleteButton());
    nextTurn();
    EXPECT_EQ(m_store.notes().size(), 3u);
    EXPECT_EQ(std::count_if(m_store.notes().begin(), m_store.notes().end(),
                            [&](const Note& note) { return note.id == ticked; }),
              0);
    EXPECT_TRUE(list->selectButton()->isVisibleTo(list)); // back to normal, still open
    EXPECT_TRUE(m_controller.listOpen());

    click(list->selectButton());
    clickRow(*list, 0);
    m_controller.closeList();
    list = &openList();
    EXPECT_FALSE(list->model().selection().isSelecting());
    EXPECT_TRUE(list->model().selection().selected().isEmpty());
    clickRow(*list, 2); // outside selection mode: a jump, and the list closes
    nextTurn();
    EXPECT_EQ(m_store.currentIndex(), 2);
    EXPECT_FALSE(m_controller.listOpen());
}

TEST_F(OverlaysTest, TheListAndItsRowsCatchBeingMadeOrDrawnOffTheMainThread)
{
    NoteListView list(m_controller, m_store, m_scheduler, m_appearance);
    NoteRowsView& rows = *list.rows();
    QImage image(list.size(), QImage::Format_ARGB32);
    expectEachCaughtOffTheMainThread({
        {"list made",
         [this] { NoteListView made(m_controller, m_store, m_scheduler, m_appearance); }},
        {"list drawn", [&] { list.render(&image, {}, {}, QWidget::DrawWindowBackground); }},
        {"rows made", [&] { NoteRowsView made(list.model(), m_appearance); }},
        {"rows drawn", [&] { rows.render(&image); }},
        {"a row drawn",
         [&] {
             QPainter painter(&image);
             rows.rowDelegate()->paintRow(painter, QRect(0, 0, 200, NoteRowDelegate::rowHeight),
                                          list.model().index(0), {});
         }},
    });
}

TEST_F(OverlaysTest, ACardClosedByAClickOnItGoesOnlyOnceTheClickIsHandled)
{
    useNotes({QStringLiteral("a"), QStringLiteral("b")});
    makePage();
    for (const bool list : {true, false}) {
        SCOPED_TRACE(list ? "a row of the list" : "a colour dot");
        QPointer<QWidget> card;
        // The click's own handlers still run on the card after it asked to close it.
        if (list) {
            NoteListView& rows = openList();
            card = &rows;
            clickRow(rows, 1);
        } else {
            m_controller.togglePicker();
            ASSERT_NE(card = m_page->colorPicker(), nullptr);
            ColorPickerDot* dot = m_page->colorPicker()->dots()[2];
            QTest::mouseClick(dot, Qt::LeftButton, {}, dot->rect().center());
        }
        EXPECT_FALSE(m_controller.listOpen() || m_controller.pickerOpen());
        ASSERT_FALSE(card.isNull());
        EXPECT_FALSE(card->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(card.isNull());
    }
}

TEST_F(OverlaysTest, PickerDotsAreHitOnlyInsideTheCircleAndRingThePresentHue)
{
    makePage();
    m_store.setHue(Hue::sand);
    m_controller.togglePicker();
    ColorPickerView* picker = m_page->colorPicker();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(ColorPickerView::pillSize(), QSize(209, 30));
    ASSERT_EQ(picker->dots().size(), 8u);
    for (const ColorPickerDot* dot : picker->dots()) {
        const bool sand = dot->hue() == Hue::sand;
        EXPECT_EQ(dot->drawnRingWidth(), sand ? 2.0 : 1.0);
        EXPECT_EQ(dot->drawnRingColor(),
                  sand ? Theme::selectionRing().light() : Theme::hueAccent(int(dot->hue())));
        EXPECT_EQ(dot->toolTip(), Hues::displayName(dot->hue()));
    }
    struct Case
    {
        QPoint point;
        bool hits;
    };
    const Case cases[] = {{{1, 1}, false}, {{17, 17}, false}, {{2, 2}, false},
                          {{9, 9}, true},  {{9, 0}, true},    {{17, 9}, true}};
    for (const Case& row : cases) {
        if (!m_controller.pickerOpen())
            m_controller.togglePicker();
        ColorPickerDot* mint = m_page->colorPicker()->dots()[2];
        QTest::mouseClick(mint, Qt::LeftButton, {}, row.point);
        EXPECT_EQ(!m_controller.pickerOpen(), row.hits) << row.point.x() << "," << row.point.y();
    }
    m_scheduler.advance(PopoverController::recolourDelay);
    EXPECT_EQ(m_store.currentNote().hue, Hue::mint);
}

TEST(RenameFieldWidthTest, FollowsTheTextBetween44AndTheLimit)
{
    struct Case
    {
        qreal text;
        qreal maxWidth;
        int width;
    };
    const Case cases[] = {{0, 156, 44},    {7, 156, 44},    {30.2, 156, 45},
                          {100, 156, 114}, {300, 156, 156}, {300, 20, 44}};
    for (const Case& row : cases)
        EXPECT_EQ(RenameField::widthFor(row.text, row.maxWidth), row.width)
            << row.text << " in " << row.maxWidth;
}

TEST_F(OverlaysTest, RenameFieldKeeps40CharactersTypedOrPasted)
{
    Appearance appearance(false);
    constexpr qreal maxWidth = 156;
    struct Case
    {
        const char* label;
        QString pasted;
        QString kept;
    };
    const QString flag = QStringLiteral("\U0001F1EB\U0001F1F7");
    const QString family = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467");
    const Case cases[] = {{"letters", QString(45, u'x'), QString(40, u'x')},
                          {"flags", flag.repeated(41), flag.repeated(40)},
                          {"family emoji", family.repeated(42), family.repeated(40)},
                          {"short", QStringLiteral("Plans"), QStringLiteral("Plans")}};
    for (const Case& row : cases) {
        RenameField field(QString(), maxWidth, appearance);
        QGuiApplication::clipboard()->setText(row.pasted);
        field.paste();
        EXPECT_EQ(field.text(), row.kept) << row.label;
    }
    RenameField typed(QString(39, u'a'), maxWidth, appearance);
    typed.end(false);
    QTest::keyClicks(&typed, QStringLiteral("bc"));
    EXPECT_EQ(typed.text(), QString(39, u'a') + u'b');
    // Longer than the field: it stays at its limit and the name scrolls inside it.
    EXPECT_EQ(typed.sizeHint().width(), maxWidth);
}

TEST_F(OverlaysTest, RenameFieldReportsExactlyOneOutcome)
{
    makePage();
    showActive();
    struct Case
    {
        const char* label;
        std::function<void(RenameField&)> end;
        int commits;
        int cancels;
    };
    const Case cases[] = {
        {"Return", [](RenameField& field) { QTest::keyClick(&field, Qt::Key_Return); }, 1, 0},
        {"Escape", [](RenameField& field) { QTest::keyClick(&field, Qt::Key_Escape); }, 0, 1},
        {"another control takes the focus",
         [this](RenameField&) { editor()->setFocus(Qt::MouseFocusReason); }, 1, 0},
    };
    for (const Case& row : cases) {
        RenameField field(QStringLiteral("Name"), 156, m_appearance, m_page.get());
        QSignalSpy commits(&field, &RenameField::committed);
        QSignalSpy cancels(&field, &RenameField::cancelled);
        field.show();
        QTRY_VERIFY(field.hasFocus());
        EXPECT_EQ(field.selectedText(), QStringLiteral("Name")) << row.label;
        row.end(field);
        editor()->setFocus(Qt::MouseFocusReason); // the focus loss that follows
        field.setFocus(Qt::MouseFocusReason);
        QTest::keyClick(&field, Qt::Key_Return);
        EXPECT_EQ(commits.size(), row.commits) << row.label;
        EXPECT_EQ(cancels.size(), row.cancels) << row.label;
    }
}

TEST_F(OverlaysTest, ARenameLandsOnTheNoteItWasOpenedFor)
{
    useNotes({QStringLiteral("a"), QStringLiteral("b")});
    makePage();
    showActive();
    m_controller.setRenaming(true);
    RenameField* field = m_page->header()->renameField();
    ASSERT_NE(field, nullptr);
    const QUuid first = m_store.currentNote().id;
    field->setText(QStringLiteral("Typed"));
    m_store.select(1); // a page change ends renaming: the field goes without a word
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_NE(m_store.notes()[0].name, QStringLiteral("Typed"));
    EXPECT_NE(m_store.notes()[1].name, QStringLiteral("Typed"));
    m_store.select(0);
    m_controller.setRenaming(true);
    m_page->header()->renameField()->setText(QStringLiteral("Kept"));
    QTest::keyClick(m_page->header()->renameField(), Qt::Key_Return);
    EXPECT_EQ(m_store.notes()[0].id, first);
    EXPECT_EQ(m_store.notes()[0].name, QStringLiteral("Kept"));
}

class CornerHandleTest : public ShellTestFixture
{
public:
    void send(QEvent::Type type, QPointF global, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, QPointF(5, 5), global, Qt::LeftButton, buttons, {});
        QCoreApplication::sendEvent(&m_handle, &event);
    }
    CornerHandle m_handle{PopoverController::Corner::bottomRight, m_controller};
};

TEST_F(CornerHandleTest, DragsFromThePressWriteTheSizeOnlyAtTheEndAndDoubleClickResets)
{
    m_controller.open();
    const QSizeF start = m_controller.size();
    send(QEvent::MouseButtonPress, {500, 300}, Qt::LeftButton);
    send(QEvent::MouseMove, {500, 300}, Qt::LeftButton); // no movement yet
    EXPECT_EQ(m_controller.size(), start);
    send(QEvent::MouseMove, {520, 310}, Qt::LeftButton); // the first move counts from the press
    send(QEvent::MouseMove, {540, 330}, Qt::LeftButton);
    EXPECT_EQ(m_controller.size(), start + QSizeF(80, 30));
    EXPECT_EQ(m_settings.popoverSize(), start);
    send(QEvent::MouseButtonRelease, {540, 330}, Qt::NoButton);
    EXPECT_EQ(m_settings.popoverSize(), start + QSizeF(80, 30));

    // Closing mid-drag leaves nothing behind: a stray move later resizes nothing.
    send(QEvent::MouseButtonPress, {540, 330}, Qt::LeftButton);
    send(QEvent::MouseMove, {560, 330}, Qt::LeftButton);
    m_controller.close();
    m_controller.resizeDrag(PopoverController::Corner::bottomRight, {600, 400});
    EXPECT_EQ(m_controller.size(), start + QSizeF(120, 30));
    m_controller.open();
    EXPECT_EQ(m_controller.size(), start + QSizeF(80, 30));

    send(QEvent::MouseButtonDblClick, {540, 330}, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {540, 330}, Qt::NoButton);
    EXPECT_EQ(m_controller.size(), QSizeF(280, 217));
    EXPECT_EQ(m_settings.popoverSize(), QSizeF(280, 217));
}

TEST_F(CornerHandleTest, TheHandlesInTheMarginCountAsInsideThePanel)
{
    m_controller.open();
    const QSizeF size = m_controller.size();
    const qreal bottom = 24 + 9 + size.height();
    // Past the body's corners, where the handles reach into the transparent margin.
    EXPECT_TRUE(m_controller.shapeContains({40 - 4, bottom + 4}));
    EXPECT_TRUE(m_controller.shapeContains({40 + size.width() + 4, bottom + 4}));
    EXPECT_FALSE(m_controller.shapeContains({40 - 8, bottom + 4}));
    EXPECT_FALSE(m_controller.shapeContains({40 + size.width() / 2, bottom + 4}));
    m_controller.openSettings(); // no handles on the settings page
    EXPECT_FALSE(m_controller.shapeContains({40 - 4, 24 + 9 + 560 + 4}));
}

// The panel on the note page, in a window of its own, hanging below an icon clicked at the top
// of the screen or standing above one at the bottom.
class PlacedPanelTest : public PanelTestFixture
{
protected:
    void SetUp() override
    {
        m_root = std::make_unique<PopoverRootView>(m_controller, m_store, m_appearance);
        m_notePage = new NoteView(m_controller, m_store, m_settings, m_scheduler, m_appearance);
        m_root->setNotePage(m_notePage);
    }

    void placeAt(NotchEdge notchEdge)
    {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const int nearEdge = notchEdge == NotchEdge::top ? screen.top() : screen.bottom();
        QCursor::setPos(screen.center().x(), nearEdge);
        Q_EMIT m_item.trayIcon()->activated(QSystemTrayIcon::Trigger);
        m_controller.setStatusItem(&m_item);
        m_controller.reposition(false);
        ASSERT_EQ(m_controller.notchEdge(), notchEdge);
        m_root->resize(PanelGeometry::frameSize(m_controller.size()).toSize());
        m_root->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_root.get()));
    }

    // A click through the window, which finds what lies under the pointer as for a user.
    void clickAt(const QPoint& point)
    {
        QTest::mouseClick(m_root->windowHandle(), Qt::LeftButton, {}, point);
    }

    StatusItem m_item{m_clock};
    std::unique_ptr<PopoverRootView> m_root;
    NoteView* m_notePage = nullptr;
};

// A corner handle of the panel, and a button of the note page it lies over in part.
struct CornerCase
{
    const char* name;
    NotchEdge notchEdge;
    QAbstractButton* (*button)(const NoteView&);
    int offset;             // from the button's centre towards the handle, still on the button
    Qt::CursorShape cursor; // the diagonal through the corner
};

const CornerCase corners[] = {
    {"NewNoteBelow", NotchEdge::top,
     [](const NoteView& page) -> QAbstractButton* { return page.footer()->newNoteButton(); }, -7,
     Qt::SizeBDiagCursor},
    {"NextNoteBelow", NotchEdge::top,
     [](const NoteView& page) -> QAbstractButton* { return page.footer()->nextButton(); }, 7,
     Qt::SizeFDiagCursor},
    {"RenameAbove", NotchEdge::bottom,
     [](const NoteView& page) { return page.header()->renameButton(); }, -5, Qt::SizeFDiagCursor},
    {"DeleteAbove", NotchEdge::bottom,
     [](const NoteView& page) -> QAbstractButton* { return page.header()->deleteButton(); }, 7,
     Qt::SizeBDiagCursor},
};

class CornerHandleOverButtonTest : public PlacedPanelTest,
                                   public testing::WithParamInterface<CornerCase>
{};

TEST_P(CornerHandleOverButtonTest, ShowsTheDiagonalOfItsCornerAndLeavesTheButtonItsClicks)
{
    const CornerCase& example = GetParam();
    m_store.addNote(QString()); // the next button is enabled on the first of two notes
    m_store.select(0);
    placeAt(example.notchEdge);
    const CornerHandle* handle =
        m_root->handle(example.offset < 0 ? PopoverController::Corner::bottomLeft
                                          : PopoverController::Corner::bottomRight);
    const bool notchOnTop = example.notchEdge == NotchEdge::top;
    const QRect body = PanelGeometry::bodyRect(m_controller.size(), example.notchEdge).toRect();
    EXPECT_TRUE(
        handle->geometry().contains(handle->x() + 1, notchOnTop ? body.bottom() : body.top()));
    EXPECT_EQ(handle->cursor().shape(), example.cursor);

    QAbstractButton* button = example.button(*m_notePage);
    const QPoint covered =
        button->mapTo(m_root.get(), button->rect().center()) + QPoint(example.offset, 0);
    ASSERT_TRUE(handle->geometry().contains(covered));
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    clickAt(covered);
    EXPECT_EQ(clicks.size(), 1);

    // Beyond the body's corner the square is the handle's still.
    const QRect square = handle->geometry();
    const QPoint outside(example.offset < 0 ? square.left() + 1 : square.right() - 1,
                         notchOnTop ? square.bottom() - 1 : square.top() + 1);
    EXPECT_EQ(m_root->childAt(outside), handle);
}

INSTANTIATE_TEST_SUITE_P(Corners, CornerHandleOverButtonTest, testing::ValuesIn(corners),
                         [](const testing::TestParamInfo<CornerCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
