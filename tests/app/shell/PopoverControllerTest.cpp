#include "ShellTestFixture.h"

#include "platform/PanelWindow.h"
#include "platform/StatusItem.h"

#include "support/MainThreadChecks.h"
#include "support/ManualAnimationDriver.h"
#include "support/TestFiles.h"

#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

namespace {

using namespace std::chrono_literals;
using Mode = PopoverController::Mode;

class PopoverControllerTest : public ShellTestFixture
{};

TEST_F(PopoverControllerTest, EveryOperationChecksItRunsOnTheMainThread)
{
    using Corner = PopoverController::Corner;
    PopoverController& c = m_controller;
    expectEachCaughtOffTheMainThread({
        {"reposition", [&c] { c.reposition(false); }},
        {"setRenaming", [&c] { c.setRenaming(true); }},
        {"setPickerOpen", [&c] { c.setPickerOpen(true); }},
        {"togglePicker", [&c] { c.togglePicker(); }},
        {"closePicker", [&c] { c.closePicker(); }},
        {"previousNote", [&c] { c.previousNote(); }},
        {"nextNote", [&c] { c.nextNote(); }},
        {"goToNote", [&c] { c.goToNote(0); }},
        {"newNote", [&c] { c.newNote(); }},
        {"deleteCurrentNote", [&c] { c.deleteCurrentNote(); }},
        {"deleteNotes", [&c] { c.deleteNotes({}); }},
        {"undo", [&c] { c.undo(); }},
        {"copyCurrentNote", [&c] { c.copyCurrentNote(); }},
        {"showCopiedMark", [&c] { c.showCopiedMark(); }},
        {"pickHue", [&c] { c.pickHue(Hue::sky); }},
        {"nameTapped", [&c] { c.nameTapped(0ms); }},
        {"openList", [&c] { c.openList(); }},
        {"closeList", [&c] { c.closeList(); }},
        {"toggleList", [&c] { c.toggleList(); }},
        {"openSettings", [&c] { c.openSettings(); }},
        {"backToNote", [&c] { c.backToNote(); }},
        {"beginResize", [&c] { c.beginResize({}); }},
        {"resizeDrag", [&c] { c.resizeDrag(Corner::bottomLeft, {}); }},
        {"endResize", [&c] { c.endResize(); }},
        {"resetSize", [&c] { c.resetSize(); }},
        {"clickableShape", [&c] { c.clickableShape(); }},
        {"shapeContains", [&c] { c.shapeContains({}); }},
    });
}

TEST_F(PopoverControllerTest, OpenAndCloseAreIdempotent)
{
    m_settings.setDeleteAfter(DeleteAfter::hour);
    m_store.setText(QStringLiteral("old"));
    m_clock.advance(2h);
    m_controller.open();
    EXPECT_TRUE(m_controller.isOpen());
    EXPECT_TRUE(m_controller.panel()->isVisible());
    EXPECT_TRUE(m_store.currentNote().text.isEmpty()); // purged before showing
    EXPECT_EQ(m_controller.focusRequest(), 1);

    m_store.setText(QStringLiteral("fresh"));
    m_clock.advance(2h);
    m_controller.open(); // no second purge
    EXPECT_EQ(m_store.currentNote().text, QStringLiteral("fresh"));
    EXPECT_EQ(m_controller.focusRequest(), 1);

    m_controller.close();
    EXPECT_FALSE(m_controller.isOpen());
    EXPECT_FALSE(m_controller.panel()->isVisible());
    EXPECT_FALSE(m_store.hasUnsavedChanges()); // saved at once
    const QByteArray saved = TestFiles::read(m_notesFile);

    m_store.setText(QStringLiteral("later"));
    m_controller.close(); // closed already: no save
    EXPECT_TRUE(m_store.hasUnsavedChanges());
    EXPECT_EQ(TestFiles::read(m_notesFile), saved);
}

// Here no press elsewhere is ever seen: the keyboard going to another window closes it alone.
TEST_F(PopoverControllerTest, TheKeyboardGoingToAnotherWindowClosesThePanel)
{
    m_controller.open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_controller.panel()));
    QWidget other;
    other.show();
    other.activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !m_controller.isOpen(); })) << "the panel to close";
}

TEST_F(PopoverControllerTest, ContentFromAFactoryIsBuiltOnceAtTheLatestWhenOpening)
{
    int built = 0;
    m_controller.setContentFactory([&built] {
        ++built;
        return new QWidget;
    });
    EXPECT_EQ(built, 0);
    EXPECT_EQ(m_controller.panel()->contentWidget(), nullptr);

    m_controller.open();
    EXPECT_EQ(built, 1);
    QWidget* content = m_controller.panel()->contentWidget();
    ASSERT_NE(content, nullptr);
    EXPECT_EQ(content->parentWidget(), m_controller.panel());

    m_controller.close();
    m_controller.ensureContent();
    m_controller.open();
    EXPECT_EQ(built, 1);
    EXPECT_EQ(m_controller.panel()->contentWidget(), content);
}

TEST_F(PopoverControllerTest, ContentSetDirectlyReplacesAFactoryNotYetUsed)
{
    int built = 0;
    m_controller.setContentFactory([&built] {
        ++built;
        return new QWidget;
    });
    auto* content = new QWidget;
    m_controller.setContent(content);
    m_controller.open();
    EXPECT_EQ(built, 0);
    EXPECT_EQ(m_controller.panel()->contentWidget(), content);
}

TEST_F(PopoverControllerTest, ClosingCopiesTheNoteOnlyWhenAskedEvenAnEmptyOne)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("before"));
    m_controller.open();
    m_controller.close();
    EXPECT_EQ(clipboard->text(), QStringLiteral("before"));

    m_settings.setCopyNoteOnClose(true);
    m_controller.open();
    m_controller.close();
    EXPECT_EQ(clipboard->text(), QString());

    m_store.setText(QStringLiteral("copied on close"));
    m_controller.open();
    m_controller.close();
    EXPECT_EQ(clipboard->text(), QStringLiteral("copied on close"));
}

TEST_F(PopoverControllerTest, ClosingEndsOverlaysAndLeavesTheSettingsPage)
{
    m_settings.setPopoverSize(QSizeF(400, 300));
    m_controller.open();
    m_controller.openSettings();
    EXPECT_EQ(m_controller.mode(), Mode::settings);
    EXPECT_EQ(m_controller.size(), QSizeF(300, 560));
    EXPECT_EQ(m_settings.popoverSize(), QSizeF(400, 300));
    m_controller.setPickerOpen(true);
    m_controller.setRenaming(true);
    m_controller.close();
    EXPECT_EQ(m_controller.mode(), Mode::note);
    EXPECT_EQ(m_controller.size(), QSizeF(400, 300));
    EXPECT_FALSE(m_controller.pickerOpen());
    EXPECT_FALSE(m_controller.renaming());
}

TEST_F(PopoverControllerTest, APageChangeSetsTheMotionAndMovesTheStoreInsideItsAnimation)
{
    addNotes({QStringLiteral("b"), QStringLiteral("c")});
    int indexSeenInsideAnimation = -1;
    Animation animationSeen;
    QObject::connect(&m_store, &NoteStore::notesChanged, &m_controller, [&] {
        indexSeenInsideAnimation = m_store.currentIndex();
        animationSeen = m_controller.animation();
    });
    QObject::connect(&m_store, &NoteStore::currentIndexChanged, &m_controller, [&](int index) {
        indexSeenInsideAnimation = index;
        animationSeen = m_controller.animation();
    });

    m_controller.nextNote();
    EXPECT_EQ(m_controller.motion(), PageMotion::next);
    EXPECT_EQ(indexSeenInsideAnimation, 1);
    EXPECT_EQ(animationSeen.duration, 320ms);
    EXPECT_EQ(animationSeen.curve.type(), QEasingCurve::BezierSpline);
    EXPECT_TRUE(m_controller.animation().isNone()); // only while the change is announced

    m_controller.deleteCurrentNote();
    EXPECT_EQ(m_controller.motion(), PageMotion::remove);
    EXPECT_EQ(animationSeen.duration, 260ms);

    m_appearance.portalSettingChanged(QStringLiteral("org.gnome.desktop.interface"),
                                      QStringLiteral("enable-animations"), false);
    ASSERT_TRUE(m_appearance.reduceMotion());
    m_controller.previousNote();
    EXPECT_EQ(animationSeen.duration, 200ms);
    EXPECT_EQ(animationSeen.curve.type(), QEasingCurve::InOutQuad);
}

TEST_F(PopoverControllerTest, PagingStopsAtBothEndsAndGoToNotePicksTheDirection)
{
    addNotes({QStringLiteral("b"), QStringLiteral("c")});
    m_controller.previousNote();
    EXPECT_EQ(m_controller.motion(), PageMotion::none);
    m_controller.goToNote(2);
    EXPECT_EQ(m_controller.motion(), PageMotion::next);
    nextTurn();
    EXPECT_EQ(m_store.currentIndex(), 2);
    const int focus = m_controller.focusRequest();
    m_controller.nextNote();
    EXPECT_EQ(m_controller.focusRequest(), focus);
    m_controller.goToNote(0);
    EXPECT_EQ(m_controller.motion(), PageMotion::previous);
    nextTurn();
    EXPECT_EQ(m_store.currentIndex(), 0);
    EXPECT_EQ(m_controller.focusRequest(), focus); // the list takes care of focus
}

TEST_F(PopoverControllerTest, NewNoteTakesTheClipboardTidiedWhenAsked)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("\u201Cquoted\u201D  \r\nnext"));
    m_controller.newNote();
    nextTurn();
    EXPECT_TRUE(m_store.currentNote().text.isEmpty());

    m_settings.setNewNotePastesClipboard(true);
    m_controller.newNote();
    QGuiApplication::clipboard()->setText(QStringLiteral("changed after the press"));
    nextTurn();
    EXPECT_EQ(m_store.currentNote().text, QStringLiteral("\"quoted\"\nnext"));

    m_settings.setPasteAsPlainText(false);
    QGuiApplication::clipboard()->setText(QStringLiteral("\u201Cas is\u201D "));
    m_controller.newNote();
    nextTurn();
    EXPECT_EQ(m_store.currentNote().text, QStringLiteral("\u201Cas is\u201D "));

    QGuiApplication::clipboard()->clear();
    m_controller.newNote();
    nextTurn();
    EXPECT_TRUE(m_store.currentNote().text.isEmpty());
    EXPECT_EQ(m_reporting.signals().count(QStringLiteral("signal note_created")), 4);
}

TEST_F(PopoverControllerTest, DeletingSomeNotesInPlaceDoesNotPage)
{
    addNotes({QStringLiteral("b"), QStringLiteral("c")});
    m_controller.deleteNotes({});
    EXPECT_TRUE(m_reporting.signals().isEmpty());

    m_controller.deleteNotes({m_store.notes()[1].id, m_store.notes()[2].id});
    EXPECT_EQ(m_controller.motion(), PageMotion::none);
    EXPECT_EQ(m_store.notes().size(), 1u);
    EXPECT_EQ(m_reporting.signals(), QStringList{QStringLiteral("signal note_deleted")});

    m_controller.deleteNotes({m_store.currentNote().id});
    EXPECT_EQ(m_controller.motion(), PageMotion::remove);
    EXPECT_EQ(m_store.notes().size(), 1u);
    nextTurn();
    EXPECT_TRUE(m_store.pendingUndo());
}

TEST_F(PopoverControllerTest, TheToastLivesFourSecondsFromTheFirstOfSeveralDeletions)
{
    addNotes({QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")});
    QSignalSpy toast(&m_controller, &PopoverController::toastVisibleChanged);
    m_store.deleteCurrent();
    EXPECT_TRUE(m_controller.toastVisible());
    m_scheduler.advance(2s);
    m_store.deleteCurrent();
    m_scheduler.advance(1999ms);
    EXPECT_TRUE(m_controller.toastVisible());
    EXPECT_EQ(toast.count(), 1);
    m_scheduler.advance(1ms);
    EXPECT_FALSE(m_controller.toastVisible());
    EXPECT_FALSE(m_store.pendingUndo());

    m_store.deleteCurrent();
    m_controller.undo();
    nextTurn();
    EXPECT_FALSE(m_controller.toastVisible());
    m_scheduler.advance(10s);
    EXPECT_EQ(m_store.notes().size(), 2u); // the undo held; the timer was cancelled
}

TEST_F(PopoverControllerTest, ResizingGrowsBothSidesAndStaysInRange)
{
    m_settings.setPopoverSize(QSizeF(280, 217));
    m_controller.open();
    m_controller.beginResize(QPointF(500, 500));
    m_controller.resizeDrag(PopoverController::Corner::bottomRight, QPointF(510, 510));
    EXPECT_EQ(m_controller.size(), QSizeF(300, 227));
    m_controller.resizeDrag(PopoverController::Corner::bottomLeft, QPointF(510, 510));
    EXPECT_EQ(m_controller.size(), QSizeF(260, 227));
    m_controller.resizeDrag(PopoverController::Corner::bottomRight, QPointF(5000, -5000));
    EXPECT_EQ(m_controller.size(), QSizeF(520, 180));
    m_controller.resizeDrag(PopoverController::Corner::bottomLeft, QPointF(5000, 5000));
    EXPECT_EQ(m_controller.size(), QSizeF(240, 640));
    EXPECT_EQ(m_settings.popoverSize(), QSizeF(280, 217));
    m_controller.endResize();
    EXPECT_EQ(m_settings.popoverSize(), QSizeF(240, 640));
    EXPECT_EQ(m_controller.panel()->size(), QSize(320, 721));

    m_controller.resizeDrag(PopoverController::Corner::bottomRight, QPointF(0, 0));
    EXPECT_EQ(m_controller.size(), QSizeF(240, 640)); // no drag under way
}

TEST_F(PopoverControllerTest, AtEitherEndOfTheScreenTheDraggedCornerStaysUnderThePointer)
{
    StatusItem item(m_clock);
    m_controller.setStatusItem(&item);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    using Corner = PopoverController::Corner;
    const struct
    {
        const char* name;
        int iconX;
        Corner corner;
        qreal outwards;
    } ends[] = {{"right end, left handle", screen.right() - 4, Corner::bottomLeft, -100},
                {"left end, right handle", screen.left() + 4, Corner::bottomRight, 100}};
    for (const auto& end : ends) {
        SCOPED_TRACE(end.name);
        QCursor::setPos(end.iconX, screen.top());
        Q_EMIT item.trayIcon()->activated(QSystemTrayIcon::Trigger);
        m_controller.close();
        m_settings.setPopoverSize(QSizeF(280, 217));
        m_controller.open();
        const auto cornerOnScreen = [&] {
            const QRectF body =
                PanelGeometry::bodyRect(m_controller.size(), m_controller.notchEdge())
                    .translated(m_controller.panel()->geometry().topLeft());
            return end.corner == Corner::bottomLeft ? body.bottomLeft() : body.bottomRight();
        };
        const QPointF press = cornerOnScreen();
        m_controller.beginResize(press);
        for (const qreal step : {0.25, 0.5, 1.0}) {
            const QPointF pointer = press + QPointF(end.outwards * step, 0);
            m_controller.resizeDrag(end.corner, pointer);
            EXPECT_NEAR(cornerOnScreen().x(), pointer.x(), 1) << step;
        }
        m_controller.endResize();
        EXPECT_EQ(m_settings.popoverSize().width(), 380);
    }
}

TEST_F(PopoverControllerTest, TheNotchStaysOverTheIconInEveryFrameOfAGlideToANewSize)
{
    ManualAnimationDriver animations;
    StatusItem item(m_clock);
    m_controller.setStatusItem(&item);
    // Near the screen's right end, so that a wider panel moves left under the icon.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QCursor::setPos(screen.right() - 40, screen.top());
    Q_EMIT item.trayIcon()->activated(QSystemTrayIcon::Trigger);
    const qreal iconX = QRectF(item.anchorGeometry()).center().x();
    m_settings.setPopoverSize(QSizeF(280, 217));
    m_controller.open();

    const auto apexOnScreen = [this] {
        // The outline runs from the top left corner to the notch's base, then up to its tip.
        constexpr int tip = 4;
        return m_controller.panel()->x() + m_controller.outline().elementAt(tip).x;
    };
    const struct
    {
        const char* what;
        std::function<void()> move;
        QSizeF from;
        QSizeF to;
        std::chrono::milliseconds duration;
    } glides[] = {
        {"to the settings page",
         [this] { m_controller.openSettings(); },
         {280, 217},
         {300, 560},
         250ms},
        {"back to the note", [this] { m_controller.backToNote(); }, {300, 560}, {280, 217}, 250ms},
        {"to the default size",
         [this] {
             m_settings.setPopoverSize(QSizeF(400, 300));
             m_controller.close();
             m_controller.open();
             m_controller.resetSize();
         },
         {400, 300},
         {280, 217},
         200ms},
    };
    for (const auto& glide : glides) {
        SCOPED_TRACE(glide.what);
        glide.move();
        EXPECT_EQ(m_controller.size(), glide.to); // at once, for whoever reads it
        for (int frame = 0; frame <= 4; ++frame) {
            SCOPED_TRACE(frame);
            const QSizeF shown = m_controller.shownSize();
            if (frame == 0)
                EXPECT_EQ(shown, glide.from);
            else if (frame < 4)
                EXPECT_TRUE(shown != glide.from && shown != glide.to);
            else
                EXPECT_EQ(shown, glide.to);
            EXPECT_EQ(m_controller.panel()->size(), PanelGeometry::frameSize(shown).toSize());
            EXPECT_NEAR(apexOnScreen(), iconX, 0.5);
            animations.advance(glide.duration / 4);
        }
    }
}

TEST_F(PopoverControllerTest, ATapOnTheNameTogglesTheListAndADoubleTapRenames)
{
    m_controller.nameTapped(1000ms);
    EXPECT_TRUE(m_controller.listOpen());
    m_controller.nameTapped(1200ms);
    EXPECT_FALSE(m_controller.listOpen());
    EXPECT_TRUE(m_controller.renaming());

    m_controller.nameTapped(1300ms); // a third quick tap counts as a first one
    EXPECT_TRUE(m_controller.listOpen());
    EXPECT_FALSE(m_controller.renaming());
    m_controller.nameTapped(1800ms);
    EXPECT_FALSE(m_controller.listOpen());
    EXPECT_FALSE(m_controller.renaming());
}

struct NameTapsCase
{
    const char* what;
    std::chrono::milliseconds handledApart; // by the program's clock
    std::chrono::milliseconds stampedApart; // by the taps' own times
    bool renames;
};

TEST_F(PopoverControllerTest, TwoTapsOnTheNameAreJudgedByTheirOwnTimesNotWhenHandled)
{
    const NameTapsCase cases[] = {
        {"quick taps, the second handled late", 600ms, 200ms, true},
        {"slow taps handled at once", 10ms, 500ms, false},
        {"exactly the double-tap interval apart", 0ms, PopoverController::doubleTapInterval, false},
        {"the second stamped before the first", 0ms, -100ms, false},
    };
    std::chrono::milliseconds first = 0ms;
    for (const NameTapsCase& example : cases) {
        SCOPED_TRACE(example.what);
        first += 1min; // long after the taps of the case before
        m_controller.nameTapped(first);
        ASSERT_TRUE(m_controller.listOpen());
        m_clock.advance(example.handledApart);
        m_controller.nameTapped(first + example.stampedApart);
        EXPECT_EQ(m_controller.renaming(), example.renames);
        EXPECT_FALSE(m_controller.listOpen());
        m_controller.setRenaming(false);
    }
}

TEST_F(PopoverControllerTest, PickingAHueClosesThePickerThenRecoloursLater)
{
    m_controller.setPickerOpen(true);
    m_controller.pickHue(Hue::coral);
    EXPECT_FALSE(m_controller.pickerOpen());
    EXPECT_NE(m_store.currentNote().hue, Hue::coral);
    m_scheduler.advance(119ms);
    EXPECT_NE(m_store.currentNote().hue, Hue::coral);
    m_scheduler.advance(1ms);
    EXPECT_EQ(m_store.currentNote().hue, Hue::coral);
}

TEST_F(PopoverControllerTest, SettingsPageSwitchesSendOneSignal)
{
    m_controller.open();
    m_controller.openSettings();
    m_controller.openSettings();
    EXPECT_EQ(m_reporting.signals(), QStringList{QStringLiteral("signal settings_opened")});
    m_controller.backToNote();
    EXPECT_EQ(m_controller.mode(), Mode::note);
    EXPECT_EQ(m_controller.size(), m_settings.popoverSize());
}

TEST_F(PopoverControllerTest, OnlyTheOutlineIsTheInsideOfThePanel)
{
    m_settings.setPopoverSize(QSizeF(280, 217));
    m_controller.open();
    const qreal tipX = 40 + m_controller.notchCenterX();
    EXPECT_TRUE(m_controller.shapeContains(QPointF(200, 150)));
    EXPECT_TRUE(m_controller.shapeContains(QPointF(tipX, 26)));
    EXPECT_FALSE(m_controller.shapeContains(QPointF(tipX + 30, 28))); // beside the notch
    EXPECT_FALSE(m_controller.shapeContains(QPointF(41, 34)));        // outside a corner
    EXPECT_FALSE(m_controller.shapeContains(QPointF(20, 150)));       // the side margin
}

TEST(PopoverControllerHandlesTest, TheCornerHandlesSitOnTheBodysCornersAwayFromTheNotch)
{
    const QSizeF size(280, 217);
    for (const NotchEdge edge : {NotchEdge::top, NotchEdge::bottom}) {
        const QRectF body = PanelGeometry::bodyRect(size, edge);
        const qreal farY = edge == NotchEdge::top ? body.bottom() : body.top();
        using Corner = PopoverController::Corner;
        EXPECT_TRUE(PopoverController::resizeHandleRect(Corner::bottomLeft, size, edge)
                        .contains(QPointF(body.left(), farY)));
        EXPECT_TRUE(PopoverController::resizeHandleRect(Corner::bottomRight, size, edge)
                        .contains(QPointF(body.right(), farY)));
    }
}

// The panel's keyboard commands, one row per case.
struct KeyCase
{
    const char* label;
    int key;
    Qt::KeyboardModifiers modifiers;
    bool handled;
    std::function<void(ShellTestFixture&)> prepare;
    std::function<void(const PopoverController&, const NoteStore&, const AppSettings&)> check;
};

// A fresh controller, store and settings for each row.
class KeyHarness : public ShellTestFixture
{
public:
    void TestBody() override {}
};

class PopoverKeyTableTest : public ShellTestFixture
{};

TEST_F(PopoverKeyTableTest, EachCommandDoesWhatItsRowSays)
{
    const auto none = [](ShellTestFixture&) {};
    const auto nothing = [](const PopoverController&, const NoteStore&, const AppSettings&) {};
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    const Qt::KeyboardModifiers alt = Qt::AltModifier;
    const std::vector<KeyCase> table{
        {"Backspace alone reaches the editor", Qt::Key_Backspace, Qt::NoModifier, false, none,
         nothing},
        {"Ctrl+Backspace deletes a word in the editor", Qt::Key_Backspace, ctrl, false, none,
         nothing},
        {"Ctrl+Delete deletes a word in the editor", Qt::Key_Delete, ctrl, false, none, nothing},
        {"Ctrl+Shift+Backspace deletes the note", Qt::Key_Backspace, ctrlShift, true, none,
         [](const auto& c, const auto&, const auto&) {
             EXPECT_EQ(c.motion(), PageMotion::remove);
         }},
        {"Ctrl+Alt+Shift+Backspace still deletes the note", Qt::Key_Backspace, ctrlShift | alt,
         true, none,
         [](const auto& c, const auto&, const auto&) {
             EXPECT_EQ(c.motion(), PageMotion::remove);
         }},
        {"Shift+Backspace reaches the editor", Qt::Key_Backspace, Qt::ShiftModifier, false, none,
         nothing},
        {"Alt+Left on the first note does nothing", Qt::Key_Left, alt, true, none,
         [](const auto& c, const auto&, const auto&) { EXPECT_EQ(c.motion(), PageMotion::none); }},
        {"Alt+Right pages on", Qt::Key_Right, alt, true, none,
         [](const auto& c, const auto&, const auto&) { EXPECT_EQ(c.motion(), PageMotion::next); }},
        {"Ctrl+Alt+Left is no command", Qt::Key_Left, ctrl | alt, false, none, nothing},
        {"Alt+Shift+Right still pages", Qt::Key_Right, alt | Qt::ShiftModifier, true, none,
         nothing},
        {"Alt+Down opens the list", Qt::Key_Down, alt, true, none,
         [](const auto& c, const auto&, const auto&) { EXPECT_TRUE(c.listOpen()); }},
        {"Ctrl+N makes a note", Qt::Key_N, ctrl, true, none,
         [](const auto& c, const auto&, const auto&) {
             EXPECT_EQ(c.motion(), PageMotion::newNote);
         }},
        {"Ctrl+Shift+N is no command", Qt::Key_N, ctrlShift, false, none, nothing},
        {"Ctrl+Z with nothing to undo goes to the editor", Qt::Key_Z, ctrl, false, none, nothing},
        {"Ctrl+Z undoes a deletion", Qt::Key_Z, ctrl, true,
         [](ShellTestFixture& f) { f.m_store.deleteCurrent(); },
         [](const auto& c, const auto&, const auto&) { EXPECT_EQ(c.motion(), PageMotion::undo); }},
        {"Ctrl+Shift+Z is no command", Qt::Key_Z, ctrlShift, false,
         [](ShellTestFixture& f) { f.m_store.deleteCurrent(); }, nothing},
        {"Ctrl+, opens the settings page", Qt::Key_Comma, ctrl, true, none,
         [](const auto& c, const auto&, const auto&) {
             EXPECT_EQ(c.mode(), PopoverController::Mode::settings);
         }},
        {"Ctrl+, on the settings page goes back", Qt::Key_Comma, ctrl, true,
         [](ShellTestFixture& f) { f.m_controller.openSettings(); },
         [](const auto& c, const auto&, const auto&) {
             EXPECT_EQ(c.mode(), PopoverController::Mode::note);
         }},
        {"Ctrl+Shift+, is no command", Qt::Key_Comma, ctrlShift, false, none, nothing},
        {"Ctrl+= grows the text", Qt::Key_Equal, ctrl, true, none,
         [](const auto&, const auto&, const auto& s) { EXPECT_EQ(s.textSize(), 15); }},
        {"Ctrl+Shift++ grows the text", Qt::Key_Plus, ctrlShift, true, none,
         [](const auto&, const auto&, const auto& s) { EXPECT_EQ(s.textSize(), 15); }},
        {"Ctrl+- shrinks the text", Qt::Key_Minus, ctrl, true, none,
         [](const auto&, const auto&, const auto& s) { EXPECT_EQ(s.textSize(), 13); }},
        {"Ctrl+Shift+_ shrinks the text", Qt::Key_Underscore, ctrlShift, true, none,
         [](const auto&, const auto&, const auto& s) { EXPECT_EQ(s.textSize(), 13); }},
        {"Ctrl+= at 24 is used but changes nothing", Qt::Key_Equal, ctrl, true,
         [](ShellTestFixture& f) { f.m_settings.setTextSize(24); },
         [](const auto&, const auto&, const auto& s) { EXPECT_EQ(s.textSize(), 24); }},
        {"Ctrl+0 resets the text size", Qt::Key_0, ctrl, true,
         [](ShellTestFixture& f) { f.m_settings.setTextSize(20); },
         [](const auto&, const auto&, const auto& s) { EXPECT_EQ(s.textSize(), 14); }},
        {"Ctrl+Shift+C copies", Qt::Key_C, ctrlShift, true, none,
         [](const auto& c, const auto&, const auto&) { EXPECT_EQ(c.copiedPulse(), 1); }},
        {"Ctrl+C is the editor's", Qt::Key_C, ctrl, false, none, nothing},
        {"Ctrl+W closes", Qt::Key_W, ctrl, true, [](ShellTestFixture& f) { f.m_controller.open(); },
         [](const auto& c, const auto&, const auto&) { EXPECT_FALSE(c.isOpen()); }},
        {"A plain letter goes to the editor", Qt::Key_A, Qt::NoModifier, false, none, nothing},
    };
    for (const KeyCase& row : table) {
        SCOPED_TRACE(row.label);
        KeyHarness fresh;
        fresh.addNotes({QStringLiteral("second")});
        row.prepare(fresh);
        EXPECT_EQ(fresh.press(row.key, row.modifiers), row.handled);
        row.check(fresh.m_controller, fresh.m_store, fresh.m_settings);
        fresh.m_controller.close();
    }
}

TEST_F(PopoverKeyTableTest, CtrlQAsksToQuitWithoutClosing)
{
    m_settings.setCopyNoteOnClose(true);
    QSignalSpy quit(&m_controller, &PopoverController::quitRequested);
    m_controller.open();
    EXPECT_TRUE(press(Qt::Key_Q, Qt::ControlModifier));
    EXPECT_EQ(quit.count(), 1);
    EXPECT_TRUE(m_controller.isOpen());
}

TEST_F(PopoverKeyTableTest, EscapeUndoesOneThingAtATime)
{
    m_controller.open();
    m_controller.setRenaming(true);
    m_controller.setPickerOpen(true);
    m_controller.openList();
    m_controller.setPickerOpen(true);
    m_controller.setRenaming(true);
    ASSERT_TRUE(m_controller.listOpen());
    EXPECT_TRUE(press(Qt::Key_Escape));
    EXPECT_FALSE(m_controller.listOpen());
    EXPECT_TRUE(m_controller.pickerOpen());
    EXPECT_TRUE(press(Qt::Key_Escape));
    EXPECT_FALSE(m_controller.pickerOpen());
    EXPECT_TRUE(m_controller.renaming());
    EXPECT_TRUE(press(Qt::Key_Escape));
    EXPECT_FALSE(m_controller.renaming());
    EXPECT_TRUE(m_controller.isOpen());
    EXPECT_TRUE(press(Qt::Key_Escape, Qt::ShiftModifier));
    EXPECT_FALSE(m_controller.isOpen());
}

} // namespace
