#include "NoteTextAccessible.h"

#include "app/views/editor/NoteTextView.h"

NoteTextAccessible::NoteTextAccessible(NoteTextView* editor)
    : QAccessibleWidget(editor, QAccessible::EditableText)
{}

QAccessibleInterface* NoteTextAccessible::create(const QString&, QObject* object)
{
    if (auto* editor = qobject_cast<NoteTextView*>(object))
        return new NoteTextAccessible(editor);
    return nullptr;
}

NoteTextView* NoteTextAccessible::editor() const
{
    return static_cast<NoteTextView*>(widget());
}

void* NoteTextAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString NoteTextAccessible::text(QAccessible::Text kind) const
{
    return kind == QAccessible::Value ? editor()->text() : QAccessibleWidget::text(kind);
}

QAccessible::State NoteTextAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = true;
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

void NoteTextAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    const NoteTextView* view = editor();
    const bool selected = selectionIndex == 0 && view->anchorPosition() != view->cursorPosition();
    *startOffset = selected ? std::min(view->anchorPosition(), view->cursorPosition()) : 0;
    *endOffset = selected ? std::max(view->anchorPosition(), view->cursorPosition()) : 0;
}

int NoteTextAccessible::selectionCount() const
{
    return editor()->anchorPosition() != editor()->cursorPosition() ? 1 : 0;
}

void NoteTextAccessible::addSelection(int startOffset, int endOffset)
{
    editor()->setSelection(startOffset, endOffset);
}

void NoteTextAccessible::removeSelection(int)
{
    editor()->setCursorPosition(editor()->cursorPosition());
}

void NoteTextAccessible::setSelection(int, int startOffset, int endOffset)
{
    editor()->setSelection(startOffset, endOffset);
}

int NoteTextAccessible::cursorPosition() const
{
    return editor()->cursorPosition();
}

void NoteTextAccessible::setCursorPosition(int position)
{
    editor()->setCursorPosition(position);
}

QString NoteTextAccessible::text(int startOffset, int endOffset) const
{
    return editor()->text().mid(startOffset, endOffset - startOffset);
}

int NoteTextAccessible::characterCount() const
{
    return int(editor()->text().size());
}

QRect NoteTextAccessible::characterRect(int offset) const
{
    const QRect rect = editor()->characterRect(offset);
    return rect.translated(editor()->viewport()->mapToGlobal(QPoint(0, 0)));
}

int NoteTextAccessible::offsetAtPoint(const QPoint& point) const
{
    return editor()->positionAt(editor()->viewport()->mapFromGlobal(point));
}

void NoteTextAccessible::scrollToSubstring(int startIndex, int)
{
    editor()->setCursorPosition(startIndex);
}

QString NoteTextAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    // Plain text: one run without attributes.
    Q_UNUSED(offset);
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}
