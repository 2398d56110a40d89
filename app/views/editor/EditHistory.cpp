#include "EditHistory.h"

void EditHistory::record(TextEdit edit)
{
    m_undone.clear();
    if (!merge(edit))
        m_done.push_back(std::move(edit));
    m_sealed = false;
}

bool EditHistory::merge(const TextEdit& edit)
{
    if (m_sealed || m_done.empty() || m_done.back().kind != edit.kind)
        return false;
    TextEdit& last = m_done.back();
    switch (edit.kind) {
    case TextEdit::Kind::typing:
        if (!edit.removed.isEmpty() || edit.position != last.position + last.inserted.size())
            return false;
        last.inserted += edit.inserted;
        return true;
    case TextEdit::Kind::deleting:
        if (edit.position + edit.removed.size() == last.position) { // backwards
            last.position = edit.position;
            last.removed.prepend(edit.removed);
            return true;
        }
        if (edit.position == last.position) { // forwards
            last.removed += edit.removed;
            return true;
        }
        return false;
    case TextEdit::Kind::other:
        return false;
    }
    return false;
}

void EditHistory::clear()
{
    m_done.clear();
    m_undone.clear();
    m_sealed = false;
}

const TextEdit& EditHistory::undo()
{
    m_undone.push_back(std::move(m_done.back()));
    m_done.pop_back();
    m_sealed = true;
    return m_undone.back();
}

const TextEdit& EditHistory::redo()
{
    m_done.push_back(std::move(m_undone.back()));
    m_undone.pop_back();
    m_sealed = true;
    return m_done.back();
}
