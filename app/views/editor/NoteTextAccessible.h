#pragma once

#include <QAccessibleWidget>

class NoteTextView;

// What screen readers learn of a note's editor: an editable, multi-line text with its caret
// and selection, read and moved through the editor's own operations.
class NoteTextAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit NoteTextAccessible(NoteTextView* editor);

    // For QAccessible::installFactory.
    static QAccessibleInterface* create(const QString& className, QObject* object);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text kind) const override;
    QAccessible::State state() const override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    NoteTextView* editor() const;
};
