#include "NoteTextView.h"

#include "app/notes/PastedText.h"
#include "app/views/editor/NoteTextAccessible.h"
#include "app/views/editor/TextBoundaries.h"
#include "app/views/theme/HexColor.h"
#include "app/views/theme/MenuStyle.h"
#include "app/views/theme/OverlayScrollBar.h"
#include "app/views/theme/Theme.h"
#include "platform/Appearance.h"
#include "platform/MainThread.h"
#include "platform/Pasteboard.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextLayout>

namespace {

const ThemeColor& placeholderColor()
{
    static const ThemeColor color(HexColor::parse(u"#C7C7CC"), HexColor::parse(u"#5C5C63"));
    return color;
}

const QString& placeholder()
{
    static const QString text = QStringLiteral("Nothing here. Dump anything.");
    return text;
}

// The extra height of a line goes above its text more than below it: the baseline sits four
// fifths of the way down.
constexpr qreal baselineDepth = 0.8;
// How much of the caret's paragraph an input method is told about, on either side.
constexpr int surroundingReach = 256;

// Whether a key's text is typed into the note: anything but a control character (Tab aside),
// judged by its first character, which an emoji spells with two code units. Invisible
// characters such as joiners count: some keyboards type them.
bool isTypedText(QStringView text)
{
    if (text.isEmpty())
        return false;
    const char32_t first = text.size() > 1 && text[0].isHighSurrogate() && text[1].isLowSurrogate()
                               ? QChar::surrogateToUcs4(text[0], text[1])
                               : text[0].unicode();
    const QChar::Category category = QChar::category(first);
    return first == u'\t' ||
           (category != QChar::Other_Control && category != QChar::Other_Surrogate);
}

} // namespace

NoteTextView::NoteTextView(const QUuid& noteID, const QString& text, int fontSize,
                           bool pasteAsPlainText, int focusRequest, const Appearance& appearance,
                           Scheduler& scheduler, QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_noteID(noteID)
    , m_appearance(appearance)
    , m_scheduler(scheduler)
    , m_text(text)
    , m_placeholderLines(placeholder())
    , m_pasteAsPlainText(pasteAsPlainText)
    , m_lastFocusRequest(focusRequest)
    , m_scrollIndicator(new OverlayScrollBar(*verticalScrollBar(), scheduler, appearance, this))
{
    QUILLORY_ASSERT_MAIN_THREAD();
    static const bool accessible = (QAccessible::installFactory(&NoteTextAccessible::create), true);
    Q_UNUSED(accessible);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    // The indicator stands in for the scroll bar, over the text rather than beside it.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAcceptDrops(true);
    applyColors();
    applyStyle(fontSize);
    connect(&appearance, &Appearance::changed, this, &NoteTextView::applyColors);
}

QString NoteTextView::placeholderText()
{
    return placeholder();
}

bool NoteTextView::isShowingPlaceholder() const
{
    return m_text.isEmpty() && m_preedit.isEmpty();
}

void NoteTextView::setText(const QString& text)
{
    if (m_isEditing || text == m_text)
        return;
    // A text from outside starts a new undo history.
    m_text = text;
    m_history.clear();
    m_anchor = m_cursor = 0;
    m_laidOut = false;
    m_settling.cancel();
    verticalScrollBar()->setValue(0);
    viewport()->update();
}

void NoteTextView::setFontSize(int points)
{
    if (points == m_fontSize)
        return;
    const bool shown = m_laidOut;
    applyStyle(points);
    // The lines grow or shrink around the top of the view; the caret's line stays in it.
    if (shown)
        ensureCursorVisible();
}

void NoteTextView::applyStyle(int points)
{
    m_fontSize = points;
    QFont font = this->font();
    font.setPixelSize(points);
    font.setWeight(QFont::Medium);
    setFont(font);
    m_laidOut = false;
    viewport()->update();
}

void NoteTextView::applyColors()
{
    QPalette colors = palette();
    colors.setColor(QPalette::Text, Theme::textPrimary().resolved(m_appearance));
    colors.setColor(QPalette::Base, Qt::transparent);
    colors.setColor(QPalette::Window, Qt::transparent);
    colors.setColor(QPalette::PlaceholderText, placeholderColor().resolved(m_appearance));
    setPalette(colors);
    viewport()->update();
}

qreal NoteTextView::lineWidth() const
{
    return std::max<qreal>(1, width() - 2 * textInset.x());
}

int NoteTextView::linesShown() const
{
    return qCeil(textArea().height() / lineHeight()) + 1;
}

void NoteTextView::finishLayout() const
{
    const qreal width = lineWidth();
    if (m_laidOut && m_lines.width() == width)
        return;
    m_lines.layout(font(), width);
    m_placeholderLines.layout(font(), width);
    m_laidOut = true;
    updateScrollRange();
}

const WrappedLines& NoteTextView::lines() const
{
    finishLayout();
    return m_lines;
}

const WrappedLines& NoteTextView::placeholderLines() const
{
    finishLayout();
    return m_placeholderLines;
}

QRectF NoteTextView::textArea() const
{
    return QRectF(0, textInset.y(), width(), std::max<qreal>(0, height() - 2 * textInset.y()));
}

void NoteTextView::updateScrollRange() const
{
    // The lines scroll inside the insets, the indicator taking no room from them.
    const int content = qCeil(m_lines.count() * lineHeight());
    const int shown = qFloor(textArea().height());
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(0, content - shown));
    bar->setPageStep(shown);
    bar->setSingleStep(qRound(lineHeight()));
}

qreal NoteTextView::lineTop(int line) const
{
    return textInset.y() + line * lineHeight() - verticalScrollBar()->value();
}

int NoteTextView::lineAtY(qreal y, const WrappedLines& lines) const
{
    const int line = qFloor((y + verticalScrollBar()->value() - textInset.y()) / lineHeight());
    return std::clamp(line, 0, lines.count() - 1);
}

QPointF NoteTextView::lineOrigin(int line, const QTextLayout& layout) const
{
    return {textInset.x(),
            lineTop(line) + lineHeight() * baselineDepth - layout.lineAt(0).ascent()};
}

QRect NoteTextView::cursorRect() const
{
    finishLayout();
    const int line = m_lines.lineAt(m_cursor);
    const auto layout = m_lines.shape(line, m_cursor, m_preedit);
    const QTextLine shaped = layout->lineAt(0);
    const int offset = m_cursor - m_lines.start(line) + (m_preedit.isEmpty() ? 0 : m_preeditCursor);
    const QPointF origin = lineOrigin(line, *layout);
    return QRect(qRound(origin.x() + shaped.cursorToX(offset)), qRound(origin.y()), 1,
                 qRound(shaped.height()));
}

QRect NoteTextView::characterRect(int position) const
{
    finishLayout();
    const int line = m_lines.lineAt(position);
    const auto layout = m_lines.shape(line);
    const QTextLine shaped = layout->lineAt(0);
    const int offset = position - m_lines.start(line);
    const int next = std::min(offset + 1, m_lines.end(line) - m_lines.start(line));
    const qreal from = shaped.cursorToX(offset);
    const qreal to = shaped.cursorToX(next);
    const QPointF origin = lineOrigin(line, *layout);
    return QRectF(origin.x() + std::min(from, to), origin.y(), std::abs(to - from), shaped.height())
        .toAlignedRect();
}

int NoteTextView::positionAt(QPointF point) const
{
    finishLayout();
    const int line = lineAtY(point.y(), m_lines);
    const auto layout = m_lines.shape(line);
    const int offset = layout->lineAt(0).xToCursor(point.x() - textInset.x());
    return std::clamp(m_lines.start(line) + offset, m_lines.start(line), m_lines.end(line));
}

void NoteTextView::paintEvent(QPaintEvent* event)
{
    finishLayout();
    QPainter painter(viewport());
    // A line scrolled partly out shows only up to the insets, which stay as clear as in a
    // short note.
    painter.setClipRect(textArea());
    const bool placeholder = isShowingPlaceholder();
    const WrappedLines& shown = placeholder ? m_placeholderLines : m_lines;
    QTextCharFormat selected;
    selected.setForeground(palette().brush(QPalette::HighlightedText));

    const int first = lineAtY(event->rect().top(), shown);
    const int last = lineAtY(event->rect().bottom(), shown);
    for (int line = first; line <= last; ++line) {
        const int start = shown.start(line);
        const int end = shown.end(line);
        const auto layout = shown.shape(line, placeholder ? -1 : m_cursor, m_preedit);
        const QPointF origin = lineOrigin(line, *layout);
        QList<QTextLayout::FormatRange> selection;
        const int from = std::clamp(selectionStart(), start, end);
        const int to = std::clamp(selectionEnd(), start, end);
        // A selected line break shows as the rest of the line selected; where a line only
        // wraps, there is no character to select.
        const bool breaksParagraph = line + 1 < shown.count() && shown.start(line + 1) > end;
        const bool breakSelected =
            selectionEnd() > end &&
            (selectionStart() < end || (selectionStart() == end && breaksParagraph));
        if (!placeholder && (from < to || breakSelected)) {
            // The whole height of the line, so that selected lines join up.
            const QTextLine shaped = layout->lineAt(0);
            qreal left = origin.x() + shaped.cursorToX(from - start);
            qreal right = origin.x() + shaped.cursorToX(to - start);
            if (left > right)
                std::swap(left, right);
            if (breakSelected && shown.direction(line) == Qt::RightToLeft)
                left = textInset.x();
            else if (breakSelected)
                right = width() - textInset.x();
            painter.fillRect(QRectF(left, lineTop(line), right - left, lineHeight()),
                             palette().brush(QPalette::Highlight));
            selection.append({from - start, to - from, selected});
        }
        painter.setPen(palette().color(placeholder ? QPalette::PlaceholderText : QPalette::Text));
        layout->draw(&painter, origin, selection);
    }
    if (hasFocus() && m_caretShown && !hasSelection())
        painter.fillRect(cursorRect(), palette().color(QPalette::Text));
}

void NoteTextView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    m_scrollIndicator->place();
    if (!m_laidOut) {
        updateScrollRange();
        return;
    }
    // Once laid out, the lines in view follow the width at once and the others a step at a
    // time, while what was in view stays where it was.
    const ViewAnchor anchor = viewAnchor(event->oldSize().height());
    if (m_lines.width() != lineWidth()) {
        m_lines.setWidth(lineWidth(), anchor.position, linesShown());
        m_placeholderLines.layout(font(), lineWidth());
        settleLines();
    }
    updateScrollRange();
    holdAnchor(anchor);
}

NoteTextView::ViewAnchor NoteTextView::viewAnchor(int viewHeight) const
{
    const qreal caretTop = lineTop(m_lines.lineAt(m_cursor));
    if (caretTop >= textInset.y() && caretTop + lineHeight() <= viewHeight - textInset.y())
        return {m_cursor, caretTop, true};
    const int first = lineAtY(textInset.y(), m_lines);
    return {m_lines.start(first), lineTop(first), false};
}

void NoteTextView::holdAnchor(const ViewAnchor& anchor)
{
    const int line = m_lines.lineAt(anchor.position);
    verticalScrollBar()->setValue(qRound(textInset.y() + line * lineHeight() - anchor.top));
    // A view that got lower keeps the caret's line whole in it.
    if (anchor.isCaret)
        ensureCursorVisible();
}

void NoteTextView::scrollContentsBy(int, int)
{
    viewport()->update();
}

// --- Caret and selection ---

void NoteTextView::setCursorPosition(int position)
{
    placeCursor(position, false);
}

void NoteTextView::setSelection(int anchor, int cursor)
{
    m_anchor = std::clamp(anchor, 0, int(m_text.size()));
    placeCursor(cursor, true);
}

QString NoteTextView::selectedText() const
{
    return m_text.mid(selectionStart(), selectionEnd() - selectionStart());
}

void NoteTextView::selectAll()
{
    m_anchor = 0;
    m_cursor = int(m_text.size());
    m_history.seal();
    viewport()->update();
    announceCursor();
}

void NoteTextView::placeCursor(int position, bool select)
{
    m_cursor = std::clamp(position, 0, int(m_text.size()));
    if (!select)
        m_anchor = m_cursor;
    m_history.seal();
    ensureCursorVisible();
    restartBlinking();
    announceCursor();
}

void NoteTextView::announceCursor()
{
    if (!QAccessible::isActive())
        return;
    if (hasSelection()) {
        QAccessibleTextSelectionEvent event(this, selectionStart(), selectionEnd());
        event.setCursorPosition(m_cursor);
        QAccessible::updateAccessibility(&event);
    } else {
        QAccessibleTextCursorEvent event(this, m_cursor);
        QAccessible::updateAccessibility(&event);
    }
}

void NoteTextView::moveCursor(Motion motion, bool select)
{
    const int to = target(motion, select);
    if (motion != Motion::up && motion != Motion::down && motion != Motion::pageUp &&
        motion != Motion::pageDown)
        m_goalX.reset();
    placeCursor(to, select);
}

int NoteTextView::target(Motion motion, bool select)
{
    finishLayout();
    const int line = m_lines.lineAt(m_cursor);
    // Left and right go against the reading order in a right-to-left paragraph.
    const bool rightToLeft = m_lines.direction(line) == Qt::RightToLeft;
    const bool forward = (motion == Motion::right || motion == Motion::wordRight) != rightToLeft;
    const int pageLines = std::max(1, qFloor(textArea().height() / lineHeight()));
    switch (motion) {
    case Motion::left:
    case Motion::right:
        // A selection collapses to its side first.
        if (hasSelection() && !select)
            return forward ? selectionEnd() : selectionStart();
        return forward ? TextBoundaries::next(m_text, m_cursor, QTextBoundaryFinder::Grapheme)
                       : TextBoundaries::previous(m_text, m_cursor, QTextBoundaryFinder::Grapheme);
    case Motion::wordLeft:
    case Motion::wordRight:
        return forward ? TextBoundaries::next(m_text, m_cursor, QTextBoundaryFinder::Word,
                                              QTextBoundaryFinder::StartOfItem)
                       : TextBoundaries::previous(m_text, m_cursor, QTextBoundaryFinder::Word,
                                                  QTextBoundaryFinder::StartOfItem);
    case Motion::up:
        return lineTarget(-1);
    case Motion::down:
        return lineTarget(1);
    case Motion::pageUp:
        verticalScrollBar()->setValue(verticalScrollBar()->value() -
                                      qRound(pageLines * lineHeight()));
        return lineTarget(-pageLines);
    case Motion::pageDown:
        verticalScrollBar()->setValue(verticalScrollBar()->value() +
                                      qRound(pageLines * lineHeight()));
        return lineTarget(pageLines);
    case Motion::lineStart:
        return m_lines.start(line);
    case Motion::lineEnd: {
        // A line that wraps after a space ends before it, so that the caret stays on the line.
        const int end = m_lines.end(line);
        const bool wraps = end < m_text.size() && m_text[end] != u'\n';
        return wraps && end > m_lines.start(line) && m_text[end - 1].isSpace() ? end - 1 : end;
    }
    case Motion::textStart:
        return 0;
    case Motion::textEnd:
        return int(m_text.size());
    }
    return m_cursor;
}

// The position `lines` lines above or below the caret, as near as can be to where the first
// of a run of such moves began.
int NoteTextView::lineTarget(int lines)
{
    const int line = m_lines.lineAt(m_cursor);
    if (!m_goalX)
        m_goalX = m_lines.shape(line)->lineAt(0).cursorToX(m_cursor - m_lines.start(line));
    const int to = line + lines;
    if (to < 0)
        return 0;
    if (to >= m_lines.count())
        return int(m_text.size());
    return m_lines.start(to) + m_lines.shape(to)->lineAt(0).xToCursor(*m_goalX);
}

void NoteTextView::ensureCursorVisible()
{
    finishLayout();
    // Only as far as the caret's line needs to show whole inside the insets: the text moves
    // no more than that.
    const qreal top = m_lines.lineAt(m_cursor) * lineHeight();
    const qreal shown = textArea().height();
    QScrollBar* bar = verticalScrollBar();
    if (top < bar->value())
        bar->setValue(qFloor(top));
    else if (top + lineHeight() > bar->value() + shown)
        bar->setValue(qCeil(top + lineHeight() - shown));
    viewport()->update();
}

void NoteTextView::selectAround(int position, QTextBoundaryFinder::BoundaryType type)
{
    // The word (or run of spaces and signs) that holds the character at the position.
    const int character = std::min(position, std::max(0, int(m_text.size()) - 1));
    const int start = TextBoundaries::previous(m_text, character + 1, type);
    setSelection(start, TextBoundaries::next(m_text, start, type));
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
    m_goalX.reset();
    placeCursor(int(m_text.size()), false);
}

void NoteTextView::restartBlinking()
{
    m_caretShown = true;
    m_blinking.cancel();
    const int period = QGuiApplication::styleHints()->cursorFlashTime();
    if (hasFocus() && period > 0) {
        m_blinking = m_scheduler.scheduleRepeating(std::chrono::milliseconds(period / 2), [this] {
            m_caretShown = !m_caretShown;
            viewport()->update(cursorRect().adjusted(-1, 0, 1, 0));
        });
    }
    viewport()->update();
}

void NoteTextView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    restartBlinking();
}

void NoteTextView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    m_blinking.cancel();
    viewport()->update();
}

// --- Editing ---

void NoteTextView::replace(int from, int to, const QString& text, TextEdit::Kind kind)
{
    if (from == to && text.isEmpty())
        return;
    m_history.record({from, m_text.mid(from, to - from), text, kind, m_anchor, m_cursor});
    change(from, to - from, text);
    m_anchor = m_cursor = from + int(text.size());
    afterChange();
}

void NoteTextView::change(int position, int removed, const QString& inserted)
{
    const bool announced = QAccessible::isActive();
    const QString replaced = announced ? m_text.mid(position, removed) : QString();
    m_text.replace(position, removed, inserted);
    if (announced) {
        QAccessibleTextUpdateEvent event(this, position, replaced, inserted);
        QAccessible::updateAccessibility(&event);
    }
    if (!m_laidOut)
        return;
    m_lines.update(position, removed, int(inserted.size()));
    updateScrollRange();
    settleLines();
}

// Lines that an edit or a new width left for later are broken again a step at a time, between
// keystrokes and moves.
void NoteTextView::settleLines()
{
    if (m_lines.isSettled() || m_settling.isPending())
        return;
    m_settling = m_scheduler.schedule(std::chrono::milliseconds(0), [this] {
        m_settling.cancel(); // this step has come
        const ViewAnchor anchor = viewAnchor(height());
        m_lines.settle();
        updateScrollRange();
        holdAnchor(anchor);
        viewport()->update();
        settleLines();
    });
}

void NoteTextView::afterChange()
{
    m_goalX.reset();
    ensureCursorVisible();
    restartBlinking();
    announceCursor();
    m_isEditing = true;
    Q_EMIT textEdited(m_noteID, m_text);
    m_isEditing = false;
}

void NoteTextView::insertTyped(const QString& text)
{
    replace(selectionStart(), selectionEnd(), text, TextEdit::Kind::typing);
}

void NoteTextView::deleteTo(int position)
{
    if (hasSelection())
        replace(selectionStart(), selectionEnd(), {}, TextEdit::Kind::other);
    else
        replace(std::min(position, m_cursor), std::max(position, m_cursor), {},
                TextEdit::Kind::deleting);
}

void NoteTextView::undo()
{
    if (!m_history.canUndo())
        return;
    const TextEdit& edit = m_history.undo();
    change(edit.position, int(edit.inserted.size()), edit.removed);
    m_anchor = edit.anchorBefore;
    m_cursor = edit.cursorBefore;
    afterChange();
}

void NoteTextView::redo()
{
    if (!m_history.canRedo())
        return;
    const TextEdit& edit = m_history.redo();
    change(edit.position, int(edit.removed.size()), edit.inserted);
    m_anchor = m_cursor = edit.position + int(edit.inserted.size());
    afterChange();
}

void NoteTextView::copy()
{
    if (hasSelection())
        Pasteboard::setPlainText(selectedText());
    else
        Q_EMIT copyWholeRequested();
}

void NoteTextView::cut()
{
    if (!hasSelection())
        return;
    Pasteboard::setPlainText(selectedText());
    replace(selectionStart(), selectionEnd(), {}, TextEdit::Kind::other);
}

void NoteTextView::paste()
{
    // Only the plain-string form of what was copied; without one, nothing.
    if (const std::optional<QString> text = Pasteboard::plainText())
        pastePlain(*text);
}

void NoteTextView::pastePlain(QString text)
{
    if (m_pasteAsPlainText)
        text = normalizedPastedText(text);
    replace(selectionStart(), selectionEnd(), text, TextEdit::Kind::other);
}

// --- Keyboard and input methods ---

bool NoteTextView::focusNextPrevChild(bool)
{
    return false; // Tab is typed into the note
}

void NoteTextView::keyPressEvent(QKeyEvent* event)
{
    if (handleKey(event))
        event->accept();
    else
        QAbstractScrollArea::keyPressEvent(event);
}

bool NoteTextView::handleKey(QKeyEvent* event)
{
    struct MotionKey
    {
        QKeySequence::StandardKey key;
        Motion motion;
        bool select;
    };
    static constexpr MotionKey motions[] = {
        {QKeySequence::MoveToNextChar, Motion::right, false},
        {QKeySequence::SelectNextChar, Motion::right, true},
        {QKeySequence::MoveToPreviousChar, Motion::left, false},
        {QKeySequence::SelectPreviousChar, Motion::left, true},
        {QKeySequence::MoveToNextWord, Motion::wordRight, false},
        {QKeySequence::SelectNextWord, Motion::wordRight, true},
        {QKeySequence::MoveToPreviousWord, Motion::wordLeft, false},
        {QKeySequence::SelectPreviousWord, Motion::wordLeft, true},
        {QKeySequence::MoveToNextLine, Motion::down, false},
        {QKeySequence::SelectNextLine, Motion::down, true},
        {QKeySequence::MoveToPreviousLine, Motion::up, false},
        {QKeySequence::SelectPreviousLine, Motion::up, true},
        {QKeySequence::MoveToNextPage, Motion::pageDown, false},
        {QKeySequence::SelectNextPage, Motion::pageDown, true},
        {QKeySequence::MoveToPreviousPage, Motion::pageUp, false},
        {QKeySequence::SelectPreviousPage, Motion::pageUp, true},
        {QKeySequence::MoveToStartOfLine, Motion::lineStart, false},
        {QKeySequence::SelectStartOfLine, Motion::lineStart, true},
        {QKeySequence::MoveToEndOfLine, Motion::lineEnd, false},
        {QKeySequence::SelectEndOfLine, Motion::lineEnd, true},
        {QKeySequence::MoveToStartOfDocument, Motion::textStart, false},
        {QKeySequence::SelectStartOfDocument, Motion::textStart, true},
        {QKeySequence::MoveToEndOfDocument, Motion::textEnd, false},
        {QKeySequence::SelectEndOfDocument, Motion::textEnd, true},
    };
    for (const MotionKey& entry : motions) {
        if (event->matches(entry.key)) {
            moveCursor(entry.motion, entry.select);
            return true;
        }
    }

    struct CommandKey
    {
        QKeySequence::StandardKey key;
        void (NoteTextView::*command)();
    };
    static constexpr CommandKey commands[] = {
        {QKeySequence::Undo, &NoteTextView::undo},
        {QKeySequence::Redo, &NoteTextView::redo},
        {QKeySequence::Cut, &NoteTextView::cut},
        {QKeySequence::Copy, &NoteTextView::copy},
        {QKeySequence::Paste, &NoteTextView::paste},
        {QKeySequence::SelectAll, &NoteTextView::selectAll},
    };
    for (const CommandKey& entry : commands) {
        if (event->matches(entry.key)) {
            (this->*entry.command)();
            return true;
        }
    }

    using Boundaries = QTextBoundaryFinder;
    if (event->key() == Qt::Key_Backspace && !(event->modifiers() & ~Qt::ShiftModifier))
        deleteTo(TextBoundaries::previous(m_text, m_cursor, Boundaries::Grapheme));
    else if (event->matches(QKeySequence::Delete))
        deleteTo(TextBoundaries::next(m_text, m_cursor, Boundaries::Grapheme));
    else if (event->matches(QKeySequence::DeleteStartOfWord))
        deleteTo(
            TextBoundaries::previous(m_text, m_cursor, Boundaries::Word, Boundaries::StartOfItem));
    else if (event->matches(QKeySequence::DeleteEndOfWord))
        deleteTo(TextBoundaries::next(m_text, m_cursor, Boundaries::Word, Boundaries::StartOfItem));
    else if (event->matches(QKeySequence::InsertParagraphSeparator) ||
             event->matches(QKeySequence::InsertLineSeparator))
        insertTyped(QStringLiteral("\n"));
    else if (const QString typed = event->text(); isTypedText(typed))
        insertTyped(typed);
    else
        return false;
    return true;
}

void NoteTextView::inputMethodEvent(QInputMethodEvent* event)
{
    // What is committed, or the start of a composition, replaces the selection.
    int from = selectionStart();
    int to = selectionEnd();
    if (!hasSelection() && (event->replacementStart() != 0 || event->replacementLength() != 0)) {
        from = std::clamp(m_cursor + event->replacementStart(), 0, int(m_text.size()));
        to = std::clamp(from + event->replacementLength(), from, int(m_text.size()));
    } else if (event->commitString().isEmpty() && event->preeditString().isEmpty()) {
        to = from;
    }
    replace(from, to, event->commitString(), TextEdit::Kind::typing);
    m_preedit = event->preeditString();
    m_preeditCursor = int(m_preedit.size());
    for (const QInputMethodEvent::Attribute& attribute : event->attributes()) {
        if (attribute.type == QInputMethodEvent::Cursor)
            m_preeditCursor = attribute.start;
    }
    viewport()->update();
    event->accept();
}

QVariant NoteTextView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    // The caret's paragraph, near the caret: input methods ask for it at every keystroke.
    const int size = int(m_text.size());
    const int before = std::max(0, m_cursor - surroundingReach);
    const int after = std::min(size, m_cursor + surroundingReach);
    const int from =
        before + int(QStringView(m_text).mid(before, m_cursor - before).lastIndexOf(u'\n')) + 1;
    const qsizetype newline = QStringView(m_text).mid(m_cursor, after - m_cursor).indexOf(u'\n');
    const int to = newline < 0 ? after : m_cursor + int(newline);
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImHints:
        return int(Qt::ImhMultiLine);
    case Qt::ImFont:
        return font();
    case Qt::ImCursorRectangle:
        return cursorRect().translated(viewport()->pos());
    case Qt::ImSurroundingText:
        return m_text.mid(from, to - from);
    case Qt::ImCursorPosition:
        return m_cursor - from;
    case Qt::ImAnchorPosition:
        return std::clamp(m_anchor, from, to) - from;
    case Qt::ImCurrentSelection:
        return selectedText();
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

// --- Pointer ---

void NoteTextView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    const int position = positionAt(event->position());
    const ulong sinceDoubleClick = event->timestamp() - m_doubleClickTime.value_or(0);
    if (m_doubleClickTime &&
        sinceDoubleClick < ulong(QGuiApplication::styleHints()->mouseDoubleClickInterval())) {
        // The paragraph, without its line break.
        const int start = position == 0 ? 0 : int(m_text.lastIndexOf(u'\n', position - 1) + 1);
        const qsizetype newline = m_text.indexOf(u'\n', position);
        setSelection(start, newline < 0 ? int(m_text.size()) : int(newline));
    } else {
        m_goalX.reset();
        placeCursor(position, event->modifiers().testFlag(Qt::ShiftModifier));
    }
    m_doubleClickTime.reset();
    m_selecting = true;
}

void NoteTextView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_selecting && (event->buttons() & Qt::LeftButton))
        placeCursor(positionAt(event->position()), true);
}

void NoteTextView::mouseReleaseEvent(QMouseEvent* event)
{
    m_selecting = false;
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void NoteTextView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mouseDoubleClickEvent(event);
    selectAround(positionAt(event->position()), QTextBoundaryFinder::Word);
    m_doubleClickTime = event->timestamp();
    m_selecting = true;
}

void NoteTextView::contextMenuEvent(QContextMenuEvent* event)
{
    // Made first, so that it outlives the menu.
    MenuStyle style(m_appearance);
    QMenu menu(this);
    style.apply(menu);
    const auto add = [&](const QString& title, bool enabled, void (NoteTextView::*command)()) {
        menu.addAction(title, this, command)->setEnabled(enabled);
    };
    add(QStringLiteral("Undo"), m_history.canUndo(), &NoteTextView::undo);
    add(QStringLiteral("Redo"), m_history.canRedo(), &NoteTextView::redo);
    menu.addSeparator();
    add(QStringLiteral("Cut"), hasSelection(), &NoteTextView::cut);
    add(QStringLiteral("Copy"), true, &NoteTextView::copy);
    add(QStringLiteral("Paste"), Pasteboard::plainText().has_value(), &NoteTextView::paste);
    menu.addSeparator();
    add(QStringLiteral("Select All"), !m_text.isEmpty(), &NoteTextView::selectAll);
    menu.exec(event->globalPos());
}

void NoteTextView::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasText())
        event->acceptProposedAction();
}

void NoteTextView::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasText())
        event->acceptProposedAction();
}

void NoteTextView::dropEvent(QDropEvent* event)
{
    // Only the plain-string form of what is dropped, where it is dropped.
    if (!event->mimeData()->hasText())
        return;
    placeCursor(positionAt(event->position()), false);
    pastePlain(event->mimeData()->text());
    event->acceptProposedAction();
}
