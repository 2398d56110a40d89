#pragma once

#include <QString>

#include <vector>

// One change of a plain text: `removed` at `position` replaced by `inserted`, with the
// selection it was made from.
struct TextEdit
{
    // Typing and deleting merge with the step before of the same kind, as long as they go on
    // where it stopped.
    enum class Kind { typing, deleting, other };

    int position = 0;
    QString removed;
    QString inserted;
    Kind kind = Kind::other;
    int anchorBefore = 0;
    int cursorBefore = 0;
};

// The undo and redo steps of one text.
class EditHistory
{
public:
    // A new step, or more of the last one; forgets what was undone.
    void record(TextEdit edit);
    // The next edit starts a step of its own, as after the caret was moved.
    void seal() { m_sealed = true; }
    void clear();

    bool canUndo() const { return !m_done.empty(); }
    bool canRedo() const { return !m_undone.empty(); }
    // The step to take back (or to make again); it stays valid until the history changes.
    const TextEdit& undo();
    const TextEdit& redo();

private:
    bool merge(const TextEdit& edit);

    std::vector<TextEdit> m_done;
    std::vector<TextEdit> m_undone;
    bool m_sealed = false;
};
