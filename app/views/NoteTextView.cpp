#include "NoteTextView.h"

#include "app/notes/PastedText.h"
#include "app/views/HexColor.h"
#include "app/views/Theme.h"
#include "platform/Appearance.h"
#include "platform/MainThread.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTextFrame>

namespace {

const ThemeColor& placeholderColor()
{
    static const ThemeColor color(HexColor::parse(u"#C7C7CC"), HexColor::parse(u"#5C5C63"));
    return color;
}

// The text as typed. The toolkit's own plain-text form turns no-break spaces into spaces,
// which would rewrite a note's text on its first keystroke.
QString typedText(QString raw)
{
    raw.replace(QChar::ParagraphSeparator, u'\n');
    raw.replace(QChar::LineSeparator, u'\n');
    return raw;
}

} // namespace

NoteTextView::NoteTextView(const QUuid& noteID, const QString& text, int fontSize,
                           bool pasteAsPlainText, int focusRequest, const Appearance& appearance,
                           QWidget* parent)
    : QTextEdit(parent)
    , m_noteID(noteID)
    , m_appearance(appearance)
    , m_pasteAsPlainText(pasteAsPlainText)
    , m_lastFocusRequest(focusRequest)
    , m_text(text)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    setFrameShape(QFrame::NoFrame);
    setAcceptRichText(false);
    setUndoRedoEnabled(true);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    applyColors();

    applyStyle(fontSize);
    loadText(m_text);

    connect(this, &QTextEdit::textChanged, this, &NoteTextView::reportEdit);
    connect(&appearance, &Appearance::changed, this, &NoteTextView::applyColors);
}

QString NoteTextView::placeholderText()
{
    return QStringLiteral("Nothing here. Dump anything.");
}

bool NoteTextView::isShowingPlaceholder() const
{
    return document()->isEmpty();
}

void NoteTextView::setText(const QString& text)
{
    if (m_isEditing || text == m_text)
        return;
    m_text = text;
    loadText(text);
}

void NoteTextView::loadText(const QString& text)
{
    // One insertion in the current style, rather than setting the text and restyling all of
    // it: a long note opens within a frame. A text from outside starts a new undo history.
    m_applying = true;
    document()->setUndoRedoEnabled(false);
    QTextCursor all(document());
    all.select(QTextCursor::Document);
    all.insertText(text, currentCharFormat());
    document()->setUndoRedoEnabled(true);
    m_applying = false;
    moveCursor(QTextCursor::Start);
    viewport()->update();
}

void NoteTextView::setFontSize(int points)
{
    if (points != m_fontSize)
        applyStyle(points);
}

void NoteTextView::applyStyle(int points)
{
    m_fontSize = points;
    QFont font = this->font();
    font.setPixelSize(points);
    font.setWeight(QFont::Medium);

    m_applying = true;
    setFont(font);
    document()->setDefaultFont(font);
    document()->setDocumentMargin(0);
    QTextFrameFormat frame = document()->rootFrame()->frameFormat();
    frame.setLeftMargin(textInset.x());
    frame.setRightMargin(textInset.x());
    frame.setTopMargin(textInset.y());
    frame.setBottomMargin(textInset.y());
    document()->rootFrame()->setFrameFormat(frame);

    QTextBlockFormat block;
    block.setLineHeight(lineHeight(), QTextBlockFormat::FixedHeight);
    QTextCharFormat characters;
    characters.setFont(font);
    // What is typed next takes the same style; existing text takes it at once.
    QTextCursor all(document());
    all.select(QTextCursor::Document);
    all.mergeBlockFormat(block);
    all.mergeCharFormat(characters);
    QTextCursor typing = textCursor();
    typing.mergeBlockFormat(block);
    setTextCursor(typing);
    setCurrentCharFormat(characters);
    m_applying = false;
    viewport()->update();
}

void NoteTextView::applyColors()
{
    QPalette colors = palette();
    const QColor text = Theme::textPrimary().resolved(m_appearance);
    colors.setColor(QPalette::Text, text);
    colors.setColor(QPalette::Base, Qt::transparent);
    colors.setColor(QPalette::Window, Qt::transparent);
    colors.setColor(QPalette::PlaceholderText, placeholderColor().resolved(m_appearance));
    setPalette(colors);
    viewport()->update();
}

void NoteTextView::reportEdit()
{
    if (m_applying)
        return;
    m_text = typedText(document()->toRawText());
    m_isEditing = true;
    Q_EMIT textEdited(m_noteID, m_text);
    m_isEditing = false;
    // The placeholder comes and goes with the first character.
    viewport()->update();
}

void NoteTextView::finishLayout()
{
    document()->documentLayout()->documentSize();
}

void NoteTextView::setFocusRequest(int request)
{
    if (request == m_lastFocusRequest)
        return;
    m_lastFocusRequest = request;
    focusAtEndSoon();
}

void NoteTextView::focusAtEndSoon()
{
    m_focusPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_focusPending)
                focusAtEnd();
        },
        Qt::QueuedConnection);
}

void NoteTextView::focusAtEnd()
{
    m_focusPending = false;
    if (window())
        setFocus(Qt::OtherFocusReason);
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::End);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void NoteTextView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy) && !textCursor().hasSelection()) {
        Q_EMIT copyWholeRequested();
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void NoteTextView::paintEvent(QPaintEvent* event)
{
    QTextEdit::paintEvent(event);
    if (!isShowingPlaceholder())
        return;
    QPainter painter(viewport());
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    const QPointF origin =
        textInset - QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const QRectF line(origin, QSizeF(viewport()->width() - origin.x(), lineHeight()));
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     placeholderText());
}

bool NoteTextView::canInsertFromMimeData(const QMimeData* source) const
{
    return source && source->hasText();
}

void NoteTextView::insertFromMimeData(const QMimeData* source)
{
    // Only the plain-string form of anything pasted or dropped is used; without one, nothing.
    if (canInsertFromMimeData(source))
        pastePlain(source->text());
}

void NoteTextView::pastePlain(QString text)
{
    if (text.isEmpty())
        return;
    if (m_pasteAsPlainText)
        text = normalizedPastedText(text);
    // Through the cursor the insertion replaces the selection, is undoable and is reported.
    QTextCursor cursor = textCursor();
    cursor.insertText(text);
    setTextCursor(cursor);
    ensureCursorVisible();
}

QMimeData* NoteTextView::createMimeDataFromSelection() const
{
    auto* data = new QMimeData;
    data->setText(typedText(textCursor().selection().toRawText()));
    return data;
}
