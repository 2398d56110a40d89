#pragma once

#include "app/views/editor/EditHistory.h"
#include "app/views/editor/WrappedLines.h"
#include "platform/Scheduler.h"

#include <QAbstractScrollArea>
#include <QTextBoundaryFinder>
#include <QUuid>

#include <optional>

class Appearance;
class OverlayScrollBar;

// The writing area of one note: plain text only, in a medium-weight font with lines 1.5 times
// the text size, on no background, with a grey placeholder while empty and a thin scroll bar
// laid over its edge. Every edit is reported with the id of the note it was made for, so an
// editor only ever writes into its own note. Copy with nothing selected asks for the whole
// note instead; paste inserts plain text, tidied when the setting asks for it.
//
// It lays its text out itself, a few lines at a time (WrappedLines), so that a note of any
// length opens at once and takes every keystroke, and every step of a resize, within a frame.
class NoteTextView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    static constexpr qreal lineSpacing = 1.5;
    static constexpr QPointF textInset{16, 10};

    NoteTextView(const QUuid& noteID, const QString& text, int fontSize, bool pasteAsPlainText,
                 int focusRequest, const Appearance& appearance, Scheduler& scheduler,
                 QWidget* parent = nullptr);

    QUuid noteID() const { return m_noteID; }
    const QString& text() const { return m_text; }
    int fontSize() const { return m_fontSize; }
    qreal lineHeight() const { return m_fontSize * lineSpacing; }
    static QString placeholderText();
    bool isShowingPlaceholder() const;

    // A text from outside (the store). Ignored while an edit is being reported, and an equal
    // text is never set again, so the undo history survives the store echoing a keystroke.
    void setText(const QString& text);
    void setFontSize(int points);
    void setPasteAsPlainText(bool on) { m_pasteAsPlainText = on; }
    // Each new value asks for the keyboard once, on the next turn of the event loop; a new
    // editor takes the value it was made with as already served.
    void setFocusRequest(int request);
    bool hasPendingFocus() const { return m_focusPending; }
    // Takes the keyboard on the next turn, as a new focus request would.
    void focusAtEndSoon();
    // Takes the keyboard now, with the caret after the last character, scrolled into view.
    void focusAtEnd();

    // The caret and the selection, as positions in the text; the selection runs from the
    // anchor to the caret.
    int cursorPosition() const { return m_cursor; }
    int anchorPosition() const { return m_anchor; }
    void setCursorPosition(int position);
    void setSelection(int anchor, int cursor);
    QString selectedText() const;
    bool isUndoAvailable() const { return m_history.canUndo(); }

    // Lays the text out for the current width now rather than when it is first drawn.
    void finishLayout() const;
    // The lines of the text and of the placeholder, laid out for the current width.
    const WrappedLines& lines() const;
    const WrappedLines& placeholderLines() const;
    // The top of a line's box, the caret and a character, in the viewport.
    qreal lineTop(int line) const;
    QRect cursorRect() const;
    QRect characterRect(int position) const;
    // The position nearest to a point of the viewport.
    int positionAt(QPointF point) const;
    OverlayScrollBar* scrollIndicator() const { return m_scrollIndicator; }

public Q_SLOTS:
    void undo();
    void redo();
    void cut();
    void copy();
    void paste();
    void selectAll();

Q_SIGNALS:
    void textEdited(const QUuid& noteID, const QString& text);
    void copyWholeRequested();

protected:
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    enum class Motion {
        left,
        right,
        wordLeft,
        wordRight,
        up,
        down,
        pageUp,
        pageDown,
        lineStart,
        lineEnd,
        textStart,
        textEnd
    };

    bool handleKey(QKeyEvent* event);
    int target(Motion motion, bool select);
    int lineTarget(int lines);
    QPointF lineOrigin(int line, const QTextLayout& layout) const;
    int lineAtY(qreal y, const WrappedLines& lines) const;
    int selectionStart() const { return std::min(m_anchor, m_cursor); }
    int selectionEnd() const { return std::max(m_anchor, m_cursor); }
    bool hasSelection() const { return m_anchor != m_cursor; }

    void moveCursor(Motion motion, bool select);
    void placeCursor(int position, bool select);
    void ensureCursorVisible();
    void selectAround(int position, QTextBoundaryFinder::BoundaryType type);

    void insertTyped(const QString& text);
    void pastePlain(QString text);
    void deleteTo(int position);
    void replace(int from, int to, const QString& text, TextEdit::Kind kind);
    void change(int position, int removed, const QString& inserted);
    void afterChange();
    void announceCursor();
    void settleLines();
    // Where the lines show: the view less the insets above and below.
    QRectF textArea() const;
    // The width the lines are broken at, and how many of them the view shows at most.
    qreal lineWidth() const;
    int linesShown() const;
    void updateScrollRange() const;

    // A place in the text that keeps its height in the view while the lines are broken anew:
    // the caret when its line shows whole, else the start of the first line shown.
    struct ViewAnchor
    {
        int position;
        qreal top;
        bool isCaret;
    };
    ViewAnchor viewAnchor(int viewHeight) const;
    void holdAnchor(const ViewAnchor& anchor);

    void applyStyle(int points);
    void applyColors();
    void restartBlinking();

    QUuid m_noteID;
    const Appearance& m_appearance;
    Scheduler& m_scheduler;
    QString m_text;
    // A cache for the current width and font, made when first needed.
    mutable WrappedLines m_lines{m_text};
    mutable WrappedLines m_placeholderLines;
    mutable bool m_laidOut = false;
    EditHistory m_history;
    int m_fontSize = 0;
    bool m_pasteAsPlainText;
    int m_lastFocusRequest;
    int m_cursor = 0;
    int m_anchor = 0;
    // Where the caret goes up and down to, from where the first of those moves began.
    std::optional<qreal> m_goalX;
    // Text an input method is composing at the caret, and the caret within it.
    QString m_preedit;
    int m_preeditCursor = 0;
    bool m_focusPending = false;
    bool m_isEditing = false;
    bool m_caretShown = true;
    bool m_selecting = false;
    // A press soon after a double click selects the whole paragraph.
    std::optional<ulong> m_doubleClickTime;
    Scheduler::Task m_blinking;
    Scheduler::Task m_settling;
    OverlayScrollBar* m_scrollIndicator;
};
