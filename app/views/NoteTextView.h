#pragma once

#include <QTextEdit>
#include <QUuid>

class Appearance;

// The writing area of one note: plain text only, in a medium-weight font with lines 1.5 times
// the text size, on no background, with a grey placeholder while empty. Every edit is reported
// with the id of the note it was made for, so an editor only ever writes into its own note.
// Copy with nothing selected asks for the whole note instead; paste inserts plain text,
// tidied when the setting asks for it.
class NoteTextView : public QTextEdit
{
    Q_OBJECT

public:
    static constexpr qreal lineSpacing = 1.5;
    static constexpr QPointF textInset{16, 10};

    NoteTextView(const QUuid& noteID, const QString& text, int fontSize, bool pasteAsPlainText,
                 int focusRequest, const Appearance& appearance, QWidget* parent = nullptr);

    QUuid noteID() const { return m_noteID; }
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
    // Lays the whole text out now rather than bit by bit on later turns of the event loop.
    void finishLayout();
    // Takes the keyboard on the next turn, as a new focus request would.
    void focusAtEndSoon();
    // Takes the keyboard now, with the caret after the last character, scrolled into view.
    void focusAtEnd();

Q_SIGNALS:
    void textEdited(const QUuid& noteID, const QString& text);
    void copyWholeRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;

private:
    void applyStyle(int points);
    void loadText(const QString& text);
    void pastePlain(QString text);
    void applyColors();
    void reportEdit();

    QUuid m_noteID;
    const Appearance& m_appearance;
    int m_fontSize = 0;
    bool m_pasteAsPlainText;
    int m_lastFocusRequest;
    // What the editor holds, as last set or reported.
    QString m_text;
    bool m_focusPending = false;
    bool m_isEditing = false;
    // Set while the text or its style is changed from outside, which is no edit.
    bool m_applying = false;
};
