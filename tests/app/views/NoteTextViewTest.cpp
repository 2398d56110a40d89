#include "app/views/NoteTextView.h"
#include "app/notes/PastedText.h"
#include "platform/Appearance.h"
#include "platform/Pasteboard.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace {

const QUuid noteID = QUuid::fromString(QStringLiteral("{5a1c0d2e-3b4f-4a6c-8d9e-0f1a2b3c4d5e}"));

class NoteTextViewTest : public testing::Test
{
public:
    NoteTextView& make(const QString& text, int fontSize = 14, bool tidy = true,
                       int focusRequest = 0)
    {
        m_editor = std::make_unique<NoteTextView>(noteID, text, fontSize, tidy, focusRequest,
                                                  m_appearance);
        m_editor->resize(280, 148);
        return *m_editor;
    }

    // The distances between the tops of all laid-out lines, across paragraphs.
    QList<qreal> lineSteps() const
    {
        QList<qreal> tops;
        QTextDocument* document = m_editor->document();
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            const qreal blockTop = document->documentLayout()->blockBoundingRect(block).top();
            const QTextLayout* layout = block.layout();
            for (int i = 0; i < layout->lineCount(); ++i)
                tops.append(blockTop + layout->lineAt(i).y());
        }
        QList<qreal> steps;
        for (qsizetype i = 1; i < tops.size(); ++i)
            steps.append(tops[i] - tops[i - 1]);
        return steps;
    }

    Appearance m_appearance{false};
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
        QSignalSpy edits(&editor, &NoteTextView::textEdited);
        editor.setFontSize(size);
        editor.setText(wrapping);
        EXPECT_EQ(edits.size(), 0); // restyling and setting text are no edits
        editor.moveCursor(QTextCursor::End);
        QTest::keyClick(&editor, Qt::Key_Return);
        QTest::keyClicks(&editor, QStringLiteral("typed"));
        editor.show();
        const QList<qreal> steps = lineSteps();
        ASSERT_GE(steps.size(), 4);
        for (qreal step : steps)
            EXPECT_DOUBLE_EQ(step, size * 1.5);
        for (QTextBlock block = editor.document()->begin(); block.isValid(); block = block.next())
            EXPECT_EQ(block.charFormat().font().pixelSize(), size);
        EXPECT_EQ(editor.font().weight(), QFont::Medium);
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

TEST_F(NoteTextViewTest, EveryKeystrokeIsReportedWithTheWholeTextAsTypedAndTheNoteID)
{
    const QString text = QStringLiteral("a\u00A0b\n\nc\td\n");
    NoteTextView& editor = make(text);
    QSignalSpy edits(&editor, &NoteTextView::textEdited);
    editor.moveCursor(QTextCursor::End);
    QTest::keyClick(&editor, Qt::Key_E);
    QTest::keyClick(&editor, Qt::Key_Return, Qt::ShiftModifier);
    ASSERT_EQ(edits.size(), 2);
    EXPECT_EQ(edits[0][0].toUuid(), noteID);
    EXPECT_EQ(edits[0][1].toString(), text + QStringLiteral("e"));
    EXPECT_EQ(edits[1][1].toString(), text + QStringLiteral("e\n"));
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
    editor.moveCursor(QTextCursor::End);
    QTest::keyClick(&editor, Qt::Key_C);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("abc"));
}

TEST_F(NoteTextViewTest, TheSameTextArrivingBackKeepsTheUndoHistoryAndTheCaret)
{
    NoteTextView& editor = make(QStringLiteral("abc"));
    QObject::connect(&editor, &NoteTextView::textEdited, &editor,
                     [&](const QUuid&, const QString& text) { editor.setText(text); });
    editor.moveCursor(QTextCursor::End);
    QTest::keyClicks(&editor, QStringLiteral("de"));
    editor.setText(QStringLiteral("abcde"));
    EXPECT_EQ(editor.textCursor().position(), 5);
    EXPECT_TRUE(editor.document()->isUndoAvailable());
    editor.undo();
    EXPECT_NE(editor.toPlainText(), QStringLiteral("abcde"));
    EXPECT_TRUE(editor.toPlainText().startsWith(QStringLiteral("abc")));
}

TEST_F(NoteTextViewTest, CopyWithOnlyACaretAsksForTheWholeNoteAndWithASelectionCopiesIt)
{
    NoteTextView& editor = make(QStringLiteral("hello world"));
    QSignalSpy wholeCopies(&editor, &NoteTextView::copyWholeRequested);
    Pasteboard::setPlainText(QStringLiteral("before"));

    editor.moveCursor(QTextCursor::End);
    QTest::keyClick(&editor, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(wholeCopies.size(), 1);
    EXPECT_EQ(Pasteboard::plainText(), QStringLiteral("before"));

    QTextCursor selection = editor.textCursor();
    selection.setPosition(0);
    selection.setPosition(5, QTextCursor::KeepAnchor);
    editor.setTextCursor(selection);
    QTest::keyClick(&editor, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(wholeCopies.size(), 1);
    EXPECT_EQ(Pasteboard::plainText(), QStringLiteral("hello"));
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    EXPECT_FALSE(copied->hasHtml());
}

TEST_F(NoteTextViewTest, PasteIsTidiedOnlyWhenTheSettingIsOnAndReplacesTheSelection)
{
    const QString curly = QStringLiteral("\u201Cquoted\u201D\u00A0text  \r\n");
    NoteTextView& editor = make(QStringLiteral("keep REPLACE"), 14, true);
    QSignalSpy edits(&editor, &NoteTextView::textEdited);
    QTextCursor selection = editor.textCursor();
    selection.setPosition(5);
    selection.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    editor.setTextCursor(selection);
    Pasteboard::setPlainText(curly);
    editor.paste();
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("keep \"quoted\" text\n"));
    ASSERT_FALSE(edits.isEmpty());
    EXPECT_EQ(edits.last()[1].toString(), editor.toPlainText());
    editor.undo();
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("keep REPLACE"));

    const QString untidy = QStringLiteral("\u201Cquoted\u201D\u00A0text");
    Pasteboard::setPlainText(untidy);
    editor.setPasteAsPlainText(false);
    editor.moveCursor(QTextCursor::End);
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
    editor.moveCursor(QTextCursor::End);
    editor.paste();
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("textbold"));
    EXPECT_FALSE(editor.document()->lastBlock().charFormat().font().bold());
}

TEST_F(NoteTextViewTest, ANewEditorDoesNotTakeTheFocusTheNextRequestDoesWithTheCaretAtTheEnd)
{
    QWidget window;
    window.resize(300, 200);
    QWidget other(&window);
    other.setFocusPolicy(Qt::StrongFocus);
    const QString longText = QStringLiteral("line\n").repeated(200) + QStringLiteral("last");
    NoteTextView editor(noteID, longText, 14, true, 7, m_appearance, &window);
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
    EXPECT_EQ(editor.textCursor().position(), longText.size());
    EXPECT_GT(editor.verticalScrollBar()->value(), 0);
    EXPECT_TRUE(editor.viewport()->rect().contains(editor.cursorRect()));
}

} // namespace
