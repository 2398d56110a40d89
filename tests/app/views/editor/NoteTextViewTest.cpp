#include "app/views/editor/NoteTextView.h"
#include "app/notes/AppSettings.h"
#include "app/views/theme/MenuStyle.h"
#include "app/views/theme/OverlayScrollBar.h"
#include "app/views/theme/Theme.h"
#include "platform/Appearance.h"
#include "platform/Pasteboard.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextLayout>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QUuid noteID = QUuid::fromString(QStringLiteral("{5a1c0d2e-3b4f-4a6c-8d9e-0f1a2b3c4d5e}"));

class NoteTextViewTest : public testing::Test
{
public:
    NoteTextView& make(const QString& text, int fontSize = 14, bool tidy = true,
                       int focusRequest = 0)
    {
        m_editor = std::make_unique<NoteTextView>(noteID, text, fontSize, tidy, focusRequest,
                                                  m_appearance, m_scheduler);
        m_editor->resize(280, 148);
        return *m_editor;
    }

    // How far the text of each line reaches, spaces at its end left out.
    static qreal textWidth(const WrappedLines& lines, int line, const QString& text)
    {
        int visible = lines.end(line);
        while (visible > lines.start(line) && text[visible - 1].isSpace())
            --visible;
        return lines.shape(line)->lineAt(0).cursorToX(visible - lines.start(line));
    }

    Appearance m_appearance{false};
    ManualScheduler m_scheduler;
    std::unique_ptr<NoteTextView> m_editor;
};

TEST_F(NoteTextViewTest, LinesAreOneAndAHalfTimesTheTextSizeForEverySizeAfterARestyle)
{
    const QString wrapping =
        QStringLiteral("a line long enough to wrap onto a second line in "
                       "a narrow editor of the default note width\nnext\n\nlast");
    for (int size : {10, 14, 24}) {
        SCOPED_TRACE(size);
        NoteTextView& editor = make(QStringLiteral("old"), 20);
        editor.resize(280, 600);
        QSignalSpy edits(&editor, &NoteTextView::textEdited);
        editor.setFontSize(size);
        editor.setText(wrapping);
        EXPECT_EQ(edits.size(), 0); // restyling and setting text are no edits
        editor.setCursorPosition(int(wrapping.size()));
        QTest::keyClick(&editor, Qt::Key_Return);
        QTest::keyClicks(&editor, QStringLiteral("typed"));
        const WrappedLines& lines = editor.lines();
        ASSERT_GE(lines.count(), 6);
        EXPECT_EQ(lines.font().pixelSize(), size);
        EXPECT_EQ(lines.font().weight(), QFont::Medium);
        QList<int> caretTops;
        for (int line = 0; line < lines.count(); ++line) {
            editor.setCursorPosition(lines.start(line));
            caretTops.append(editor.cursorRect().top());
        }
        for (qsizetype line = 1; line < caretTops.size(); ++line)
            EXPECT_EQ(caretTops[line] - caretTops[line - 1], size * 1.5);
    }
}

TEST_F(NoteTextViewTest, PlaceholderShowsOnlyWhileTheNoteIsEmptyInTheColoursOfTheAppearance)
{
    NoteTextView& editor = make(QString());
    EXPECT_TRUE(editor.isShowingPlaceholder());
    EXPECT_EQ(NoteTextView::placeholderText(), QStringLiteral("Nothing here. Dump anything."));
    QTest::keyClick(&editor, Qt::Key_A);
    EXPECT_FALSE(editor.isShowingPlaceholder());
    QTest::keyClick(&editor, Qt::Key_Backspace);
    EXPECT_TRUE(editor.isShowingPlaceholder());
    EXPECT_EQ(editor.palette().color(QPalette::Text), QColor(0x1D, 0x1D, 0x1F));
    EXPECT_EQ(editor.palette().color(QPalette::PlaceholderText), QColor(0xC7, 0xC7, 0xCC));
    const uint preferDark = 1;
    m_appearance.portalSettingChanged(QStringLiteral("org.freedesktop.appearance"),
                                      QStringLiteral("color-scheme"), preferDark);
    ASSERT_TRUE(m_appearance.isDark());
    EXPECT_EQ(editor.palette().color(QPalette::Text), QColor(0xF2, 0xF2, 0xF5));
    const QColor placeholder(0x5C, 0x5C, 0x63);
    EXPECT_EQ(editor.palette().color(QPalette::PlaceholderText), placeholder);
    // The placeholder is drawn in its colour, one line from the text inset.
    const QImage picture = editor.grab().toImage();
    bool placeholderDrawn = false;
    for (int y = 10; y < 10 + 21 && !placeholderDrawn; ++y)
        for (int x = 16; x < 120 && !placeholderDrawn; ++x)
            placeholderDrawn = picture.pixelColor(x, y) == placeholder;
    EXPECT_TRUE(placeholderDrawn);
    EXPECT_NE(picture.pixelColor(8, 60), placeholder);
    editor.setText(QStringLiteral(" "));
    EXPECT_FALSE(editor.isShowingPlaceholder());
}

TEST_F(NoteTextViewTest, ThePlaceholderWrapsAsTypedTextWouldAtEveryTextSize)
{
    const QString text = NoteTextView::placeholderText();
    for (int size : AppSettings::textSizes()) {
        SCOPED_TRACE(size);
        const WrappedLines& shown = make(QString(), size).placeholderLines();
        NoteTextView typed(noteID, text, size, true, 0, m_appearance, m_scheduler);
        typed.resize(m_editor->size());
        const WrappedLines& reference = typed.lines();
        ASSERT_EQ(shown.count(), reference.count());
        for (int line = 0; line < shown.count(); ++line) {
            EXPECT_EQ(shown.start(line), reference.start(line));
            EXPECT_LE(textWidth(shown, line, text), 280 - 2 * NoteTextView::textInset.x());
        }
        if (size == AppSettings::textSizes().back()) {
            EXPECT_GT(shown.count(), 1);
        }
    }
}

TEST_F(NoteTextViewTest, ALongWordBreaksAnywhereAndTheCaretFollowsItToTheEnd)
{
    const QString word = QStringLiteral("aGVsbG8gd29ybGQ").repeated(2000);
    NoteTextView& editor = make(QStringLiteral("see ") + word);
    editor.focusAtEnd();
    const WrappedLines& lines = editor.lines();
    EXPECT_GT(lines.count(), 500);
    EXPECT_EQ(lines.start(1), 4); // the word starts a line of its own
    for (int line = 0; line < lines.count(); ++line)
        ASSERT_LE(textWidth(lines, line, editor.text()), 280 - 2 * NoteTextView::textInset.x());
    EXPECT_TRUE(editor.viewport()->rect().contains(editor.cursorRect()));
    EXPECT_EQ(lines.lineAt(editor.cursorPosition()), lines.count() - 1);
}

TEST_F(NoteTextViewTest, LinesThatAKeystrokeLeavesForLaterSettleBeforeTheNextOne)
{
    // Figures are all as wide: a keystroke at the start moves every line after it.
    const QString figures = QStringLiteral("0123456789").repeated(1500);
    NoteTextView& editor = make(figures);
    editor.setCursorPosition(0);
    QTest::keyClick(&editor, Qt::Key_1);
    ASSERT_FALSE(editor.lines().isSettled());
    m_scheduler.advance(std::chrono::milliseconds(0));
    ASSERT_TRUE(editor.lines().isSettled());
    NoteTextView typed(noteID, QStringLiteral("1") + figures, 14, true, 0, m_appearance,
                       m_scheduler);
    typed.resize(editor.size());
    ASSERT_EQ(editor.lines().count(), typed.lines().count());
    EXPECT_EQ(editor.lines().start(editor.lines().count() - 1),
              typed.lines().start(typed.lines().count() - 1));
}

TEST_F(NoteTextViewTest, TheTextMovesUpOnlyAsFarAsTheCaretsLineNeedsOnceItScrolls)
{
    const qreal inset = NoteTextView::textInset.y();
    for (int size : {14, 18, 24}) {
        SCOPED_TRACE(size);
        NoteTextView& editor = make(QString(), size);
        editor.show();
        const int firstLineEnd = 0;
        for (int line = 1; line <= 9; ++line) {
            if (line > 1)
                QTest::keyClick(&editor, Qt::Key_Return);
            QTest::keyClicks(&editor, QStringLiteral("line"));
            // The caret's line ends where the inset below the text begins, as in a short note.
            const qreal caretLineBottom = inset + line * size * 1.5 + inset;
            const qreal overflow = std::max<qreal>(0, qCeil(caretLineBottom) - editor.height());
            EXPECT_EQ(editor.lineTop(0), inset - overflow) << line;
        }
        EXPECT_GT(editor.verticalScrollBar()->maximum(), 0);
        EXPECT_EQ(editor.lines().end(firstLineEnd), 4); // the scroll bar took no width
        // At the top of its range an overflowing note starts where a short one does.
        editor.verticalScrollBar()->setValue(0);
        EXPECT_EQ(editor.lineTop(0), inset);
        EXPECT_EQ(make(QStringLiteral("short"), size).lineTop(0), inset);
    }
}

TEST_F(NoteTextViewTest, TheLinesShowOnlyBetweenTheInsetsWhereverTheNoteIsScrolledTo)
{
    const int inset = int(NoteTextView::textInset.y());
    NoteTextView& editor = make(QStringLiteral("Wwg\n").repeated(30), 24);
    editor.finishLayout();
    // Every line straddles an edge of the insets somewhere in the first two lines' worth.
    for (int offset = 0; offset <= 72; offset += 6) {
        SCOPED_TRACE(offset);
        editor.verticalScrollBar()->setValue(offset);
        const QImage picture = editor.grab().toImage();
        // Left of the scroll indicator, which shows over the inset at the right while scrolling.
        const int textRight = picture.width() - int(NoteTextView::textInset.x());
        auto rowsInked = [&](int from, int to) {
            int inked = 0;
            for (int y = from; y < to; ++y) {
                for (int x = 0; x < textRight; ++x) {
                    if (qAlpha(picture.pixel(x, y)) != 0) {
                        ++inked;
                        break;
                    }
                }
            }
            return inked;
        };
        EXPECT_EQ(rowsInked(0, inset), 0);
        EXPECT_EQ(rowsInked(picture.height() - inset, picture.height()), 0);
        EXPECT_GT(rowsInked(inset, picture.height() - inset), 0);
    }
}

TEST_F(NoteTextViewTest, TheCaretsLineStaysWholeInViewAfterATextSizeChange)
{
    const qreal inset = NoteTextView::textInset.y();
    const QString text = QStringLiteral("a line of the note\n").repeated(20);
    for (int size : {14, 18, 24}) {
        for (int caret : {int(text.size()), int(text.size()) / 2, 0}) {
            for (int step : {-4, +4}) {
                SCOPED_TRACE(testing::Message()
                             << size << " pt to " << size + step << ", caret " << caret);
                NoteTextView& editor = make(text, size);
                editor.show();
                editor.setCursorPosition(caret);
                editor.setFontSize(size + step);
                const int line = editor.lines().lineAt(caret);
                EXPECT_GE(editor.lineTop(line), inset);
                EXPECT_LE(editor.lineTop(line) + editor.lineHeight(), editor.height() - inset);
            }
        }
    }
}

TEST_F(NoteTextViewTest, AtANewSizeWhatWasInViewStaysPutWhileTheLinesOffScreenSettle)
{
    const qreal inset = NoteTextView::textInset.y();
    // Paragraphs of two to four lines, as many as the width allows.
    const QString text = QStringLiteral("Call Anna about the weekend trip, bring the map and ask "
                                        "whether the car is free.\n")
                             .repeated(400);
    const int end = int(text.size());
    const struct
    {
        const char* name;
        int caret;
        int scrolledTo; // -1: to the caret
        QSize size;
    } cases[] = {
        {"the caret in view, narrower", end / 2, -1, {240, 148}},
        {"the caret in view, wider", end / 2, -1, {360, 148}},
        {"the caret out of view, narrower", 0, 3000, {240, 148}},
        {"the caret out of view, wider", 0, 3000, {360, 148}},
        {"the caret at the end, in a lower view", end, -1, {300, 100}},
    };
    for (const auto& change : cases) {
        SCOPED_TRACE(change.name);
        NoteTextView& editor = make(text);
        editor.show();
        editor.setCursorPosition(change.caret);
        if (change.scrolledTo >= 0)
            editor.verticalScrollBar()->setValue(change.scrolledTo);
        const bool caretShown = change.scrolledTo < 0;
        // The caret, or the start of the first line shown.
        const int anchor = caretShown ? change.caret : editor.positionAt({0, inset});
        const qreal top = editor.lineTop(editor.lines().lineAt(anchor));
        auto expectHeld = [&] {
            const qreal now = editor.lineTop(editor.lines().lineAt(anchor));
            if (top + editor.lineHeight() <= editor.height() - inset)
                EXPECT_EQ(now, top);
            else // a lower view keeps the caret's line whole in it
                EXPECT_EQ(now + editor.lineHeight(), editor.height() - inset);
        };

        editor.resize(change.size);
        ASSERT_FALSE(editor.lines().isSettled());
        expectHeld();
        // What shows is broken for the new width already.
        const WrappedLines& lines = editor.lines();
        for (int line = lines.lineAt(editor.positionAt({0, inset}));
             line <= lines.lineAt(editor.positionAt({0, editor.height() - inset})); ++line)
            EXPECT_LE(textWidth(lines, line, text),
                      change.size.width() - 2 * NoteTextView::textInset.x());

        m_scheduler.advance(std::chrono::milliseconds(0));
        ASSERT_TRUE(editor.lines().isSettled());
        expectHeld();
    }
}

TEST_F(NoteTextViewTest, TheScrollBarShowsWhileTheNoteScrollsAndForAMomentAfterOrWhileHovered)
{
    NoteTextView& editor = make(QStringLiteral("short"));
    editor.show();
    OverlayScrollBar* bar = editor.scrollIndicator();
    EXPECT_FALSE(bar->isVisible()); // nothing to scroll: it takes no pointer either

    editor.setText(QStringLiteral("line\n").repeated(40));
    editor.finishLayout();
    ASSERT_TRUE(bar->isVisible());
    EXPECT_FALSE(bar->isShown());
    EXPECT_GE(bar->x(), editor.width() - NoteTextView::textInset.x()); // over the inset only
    editor.verticalScrollBar()->setValue(60);
    EXPECT_TRUE(bar->isShown());
    m_scheduler.advance(OverlayScrollBar::lingering - std::chrono::milliseconds(1));
    EXPECT_TRUE(bar->isShown());
    m_scheduler.advance(std::chrono::milliseconds(1));
    EXPECT_FALSE(bar->isShown());

    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(bar, &enter);
    EXPECT_TRUE(bar->isShown());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(bar, &leave);
    EXPECT_FALSE(bar->isShown());
}

TEST_F(NoteTextViewTest, EditingKeysWorkOnWholeCharactersAndWordsAndUndoBySteps)
{
    using Act = std::function<void(NoteTextView&)>;
    const auto keys = [](std::initializer_list<QKeyCombination> combinations) -> Act {
        return [pressed = std::vector(combinations)](NoteTextView& editor) {
            for (QKeyCombination key : pressed)
                QTest::keyClick(&editor, key.key(), key.keyboardModifiers());
        };
    };
    const struct
    {
        const char* name;
        QString text;
        int cursor;
        Act act;
        QString expected;
        int expectedCursor;
    } cases[] = {
        {"backspace takes a whole emoji", QStringLiteral("a\U0001F469\u200D\U0001F4BB"), 6,
         keys({Qt::Key_Backspace}), QStringLiteral("a"), 1},
        {"delete takes a letter with its accent", QStringLiteral("e\u0301x"), 0,
         keys({Qt::Key_Delete}), QStringLiteral("x"), 0},
        {"right steps over an accent", QStringLiteral("e\u0301x"), 0, keys({Qt::Key_Right}),
         QStringLiteral("e\u0301x"), 2},
        {"left goes forward in a right-to-left paragraph",
         QStringLiteral("\u05E9\u05DC\u05D5\u05DD"), 0, keys({Qt::Key_Left}),
         QStringLiteral("\u05E9\u05DC\u05D5\u05DD"), 1},
        {"ctrl+backspace takes the word before", QStringLiteral("one two"), 7,
         keys({Qt::CTRL | Qt::Key_Backspace}), QStringLiteral("one "), 4},
        {"ctrl+right goes to the next word", QStringLiteral("one, two"), 0,
         keys({Qt::CTRL | Qt::Key_Right}), QStringLiteral("one, two"), 5},
        {"ctrl+right passes a word of any length", QString(300, u'x') + QStringLiteral(" y"), 0,
         keys({Qt::CTRL | Qt::Key_Right}), QString(300, u'x') + QStringLiteral(" y"), 301},
        {"down keeps to the column it started from", QStringLiteral("abcd\nb\nabcd"), 3,
         keys({Qt::Key_Down, Qt::Key_Down}), QStringLiteral("abcd\nb\nabcd"), 10},
        {"typing is undone as one step", QStringLiteral("x"), 1,
         [](NoteTextView& editor) {
             QTest::keyClicks(&editor, QStringLiteral("abc"));
             editor.undo();
         },
         QStringLiteral("x"), 1},
        {"a move starts a new undo step", QString(), 0,
         [](NoteTextView& editor) {
             QTest::keyClicks(&editor, QStringLiteral("ab"));
             QTest::keyClick(&editor, Qt::Key_Left);
             QTest::keyClick(&editor, Qt::Key_Right);
             QTest::keyClicks(&editor, QStringLiteral("c"));
             editor.undo();
         },
         QStringLiteral("ab"), 2},
        {"redo makes the step again", QStringLiteral("one"), 3,
         [](NoteTextView& editor) {
             QTest::keyClick(&editor, Qt::Key_Backspace);
             QTest::keyClick(&editor, Qt::Key_Backspace);
             editor.undo();
             editor.redo();
         },
         QStringLiteral("o"), 1},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        NoteTextView& editor = make(test.text);
        editor.setCursorPosition(test.cursor);
        test.act(editor);
        EXPECT_EQ(editor.text(), test.expected);
        EXPECT_EQ(editor.cursorPosition(), test.expectedCursor);
    }
}

TEST_F(NoteTextViewTest, ScreenReadersReadTheTextAndFollowAndMoveTheCaretAndSelection)
{
    NoteTextView& editor = make(QStringLiteral("hello world\nsecond"));
    editor.move(200, 120); // the screen's points are not the editor's
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&editor);
    ASSERT_NE(accessible, nullptr);
    QAccessibleTextInterface* text = accessible->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::EditableText);
    EXPECT_TRUE(accessible->state().editable && accessible->state().multiLine);
    EXPECT_EQ(text->characterCount(), 18);
    EXPECT_EQ(text->text(6, 11), QStringLiteral("world"));

    editor.setSelection(6, 11);
    int start = 0;
    int end = 0;
    text->selection(0, &start, &end);
    EXPECT_EQ(std::pair(start, end), std::pair(6, 11));
    text->setCursorPosition(14);
    EXPECT_EQ(editor.cursorPosition(), 14);
    EXPECT_EQ(text->selectionCount(), 0);
    const QRect character = text->characterRect(15);
    EXPECT_EQ(text->offsetAtPoint(QPoint(character.left() + 1, character.center().y())), 15);
}

TEST_F(NoteTextViewTest, EveryKeystrokeIsReportedWithTheWholeTextAsTypedAndTheNoteID)
{
    const QString text = QStringLiteral("a\u00A0b\n\nc\td\n");
    NoteTextView& editor = make(text);
    QSignalSpy edits(&editor, &NoteTextView::textEdited);
    editor.setCursorPosition(int(text.size()));
    QTest::keyClick(&editor, Qt::Key_E);
    QTest::keyClick(&editor, Qt::Key_Return, Qt::ShiftModifier);
    ASSERT_EQ(edits.size(), 2);
    EXPECT_EQ(edits[0][0].toUuid(), noteID);
    EXPECT_EQ(edits[0][1].toString(), text + QStringLiteral("e"));
    EXPECT_EQ(edits[1][1].toString(), text + QStringLiteral("e\n"));
}

// A key may type a character of two code units (an emoji) or one that shows nothing (a joiner,
// as Persian keyboards type it); only control characters, which no key means as text, and
// broken halves of a pair are left out.
TEST_F(NoteTextViewTest, EveryCharacterAKeyTypesGoesIntoTheNoteButControlCharactersDoNot)
{
    struct Typing
    {
        const char* label;
        QStringList keyTexts; // one key event each
        QString typed;
    };
    const QString smile = QStringLiteral("\U0001F642");
    const Typing typings[] = {
        {"an emoji between letters",
         {QStringLiteral("a"), smile, QStringLiteral("b")},
         QStringLiteral("a\U0001F642b")},
        {"letters of other scripts",
         {QStringLiteral("\u00E9"), QStringLiteral("\u6F22"), QStringLiteral("\u05E9")},
         QStringLiteral("\u00E9\u6F22\u05E9")},
        {"invisible characters",
         {QStringLiteral("\u200C"), QStringLiteral("\u200D"), QStringLiteral("\uFEFF")},
         QStringLiteral("\u200C\u200D\uFEFF")},
        {"a tab", {QStringLiteral("\t")}, QStringLiteral("\t")},
        {"control characters",
         {QStringLiteral("\u0002"), QStringLiteral("\u001B"), QStringLiteral("\u007F")},
         QString()},
        {"half of a pair", {smile.left(1), smile.right(1)}, QString()},
    };
    for (const Typing& typing : typings) {
        SCOPED_TRACE(typing.label);
        NoteTextView& editor = make(QString());
        QSignalSpy edits(&editor, &NoteTextView::textEdited);
        for (const QString& keyText : typing.keyTexts)
            QTest::sendKeyEvent(QTest::Click, &editor, Qt::Key_unknown, keyText, Qt::NoModifier);
        EXPECT_EQ(editor.text(), typing.typed);
        EXPECT_EQ(edits.size(), typing.typed.isEmpty() ? 0 : typing.keyTexts.size());
    }
}

TEST_F(NoteTextViewTest, AnEditReportedBackWhileReportingIsNotWrittenIntoTheEditor)
{
    NoteTextView& editor = make(QStringLiteral("ab"));
    int calls = 0;
    // The store may answer with an older text while the keystroke is being reported.
    QObject::connect(&editor, &NoteTextView::textEdited, &editor,
                     [&](const QUuid&, const QString&) {
                         ++calls;
                         editor.setText(QStringLiteral("stale"));
                     });
    editor.setCursorPosition(2);
    QTest::keyClick(&editor, Qt::Key_C);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(editor.text(), QStringLiteral("abc"));
}

TEST_F(NoteTextViewTest, TheSameTextArrivingBackKeepsTheUndoHistoryAndTheCaretAnotherDoesNot)
{
    NoteTextView& editor = make(QStringLiteral("abc"));
    QObject::connect(&editor, &NoteTextView::textEdited, &editor,
                     [&](const QUuid&, const QString& text) { editor.setText(text); });
    editor.setCursorPosition(3);
    QTest::keyClicks(&editor, QStringLiteral("de"));
    editor.setText(QStringLiteral("abcde"));
    EXPECT_EQ(editor.cursorPosition(), 5);
    EXPECT_TRUE(editor.isUndoAvailable());
    editor.undo();
    EXPECT_EQ(editor.text(), QStringLiteral("abc"));
    QTest::keyClicks(&editor, QStringLiteral("f"));
    editor.setText(QStringLiteral("changed elsewhere"));
    EXPECT_FALSE(editor.isUndoAvailable());
    EXPECT_EQ(editor.cursorPosition(), 0);
}

// The right-click menu looks like the tray's in either scheme, and follows a change of scheme
// while it is open.
TEST_F(NoteTextViewTest, TheRightClickMenuIsDrawnInTheColoursOfTheSchemeEvenAfterALiveSwitch)
{
    using Scheme = Appearance::ColorScheme;
    NoteTextView& editor = make(QStringLiteral("text"));
    editor.show();
    for (const auto& [opened, switched] :
         {std::pair{Scheme::Dark, Scheme::Light}, std::pair{Scheme::Light, Scheme::Dark}}) {
        m_appearance.forceColorScheme(opened);
        std::vector<std::pair<Scheme, QColor>> drawn;
        QTimer::singleShot(0, &editor, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            // Inside the menu's border and above its first row.
            const QPoint margin(menu->width() / 2, 3);
            drawn.emplace_back(opened, menu->grab().toImage().pixelColor(margin));
            m_appearance.forceColorScheme(switched);
            drawn.emplace_back(switched, menu->grab().toImage().pixelColor(margin));
            EXPECT_EQ(menu->font().pixelSize(), MenuStyle::font().pixelSize());
            menu->close();
        });
        const QPoint point(20, 20);
        QContextMenuEvent event(QContextMenuEvent::Mouse, point, editor.mapToGlobal(point));
        QApplication::sendEvent(editor.viewport(), &event);
        ASSERT_EQ(drawn.size(), 2u);
        for (const auto& [scheme, colour] : drawn) {
            SCOPED_TRACE(scheme == Scheme::Dark ? "dark" : "light");
            EXPECT_EQ(colour, Theme::popupBackground().resolved(scheme))
                << colour.name().toStdString();
        }
    }
}

TEST_F(NoteTextViewTest, CopyWithOnlyACaretAsksForTheWholeNoteAndWithASelectionCopiesIt)
{
    NoteTextView& editor = make(QStringLiteral("hello world"));
    QSignalSpy wholeCopies(&editor, &NoteTextView::copyWholeRequested);
    Pasteboard::setPlainText(QStringLiteral("before"));

    editor.setCursorPosition(11);
    QTest::keyClick(&editor, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(wholeCopies.size(), 1);
    EXPECT_EQ(Pasteboard::plainText(), QStringLiteral("before"));

    editor.setSelection(0, 5);
    QTest::keyClick(&editor, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(wholeCopies.size(), 1);
    EXPECT_EQ(Pasteboard::plainText(), QStringLiteral("hello"));
    EXPECT_FALSE(QApplication::clipboard()->mimeData()->hasHtml());
}

TEST_F(NoteTextViewTest, PasteIsTidiedOnlyWhenTheSettingIsOnAndReplacesTheSelection)
{
    const QString curly = QStringLiteral("\u201Cquoted\u201D\u00A0text  \r\n");
    NoteTextView& editor = make(QStringLiteral("keep REPLACE"), 14, true);
    QSignalSpy edits(&editor, &NoteTextView::textEdited);
    editor.setSelection(5, 12);
    Pasteboard::setPlainText(curly);
    editor.paste();
    EXPECT_EQ(editor.text(), QStringLiteral("keep \"quoted\" text\n"));
    ASSERT_FALSE(edits.isEmpty());
    EXPECT_EQ(edits.last()[1].toString(), editor.text());
    editor.undo();
    EXPECT_EQ(editor.text(), QStringLiteral("keep REPLACE"));

    const QString untidy = QStringLiteral("\u201Cquoted\u201D\u00A0text");
    Pasteboard::setPlainText(untidy);
    editor.setPasteAsPlainText(false);
    editor.setCursorPosition(12);
    editor.paste();
    EXPECT_EQ(edits.last()[1].toString(), QStringLiteral("keep REPLACE") + untidy);
}

TEST_F(NoteTextViewTest, PasteWithNoTextOnTheClipboardDoesNothingAndRichTextArrivesPlain)
{
    NoteTextView& editor = make(QStringLiteral("text"));
    QSignalSpy edits(&editor, &NoteTextView::textEdited);
    auto* image = new QMimeData;
    image->setImageData(QImage(4, 4, QImage::Format_RGB32));
    QApplication::clipboard()->setMimeData(image);
    editor.paste();
    EXPECT_EQ(edits.size(), 0);
    auto* rich = new QMimeData;
    rich->setHtml(QStringLiteral("<b>bold</b>"));
    rich->setText(QStringLiteral("bold"));
    QApplication::clipboard()->setMimeData(rich);
    editor.setCursorPosition(4);
    editor.paste();
    EXPECT_EQ(editor.text(), QStringLiteral("textbold"));
}

TEST_F(NoteTextViewTest, ANewEditorDoesNotTakeTheFocusTheNextRequestDoesWithTheCaretAtTheEnd)
{
    QWidget window;
    window.resize(300, 200);
    QWidget other(&window);
    other.setFocusPolicy(Qt::StrongFocus);
    const QString longText = QStringLiteral("line\n").repeated(200) + QStringLiteral("last");
    NoteTextView editor(noteID, longText, 14, true, 7, m_appearance, m_scheduler, &window);
    editor.resize(280, 148);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    other.setFocus();
    QCoreApplication::processEvents();
    EXPECT_FALSE(editor.hasFocus());

    editor.setFocusRequest(7); // the value it was made with: already served
    QCoreApplication::processEvents();
    EXPECT_FALSE(editor.hasFocus());

    editor.setFocusRequest(8);
    EXPECT_FALSE(editor.hasFocus()); // not before the next turn
    EXPECT_TRUE(editor.hasPendingFocus());
    QCoreApplication::processEvents();
    EXPECT_TRUE(editor.hasFocus());
    EXPECT_EQ(editor.cursorPosition(), longText.size());
    EXPECT_GT(editor.verticalScrollBar()->value(), 0);
    EXPECT_TRUE(editor.viewport()->rect().contains(editor.cursorRect()));
}

} // namespace
