#include "NoteSelection.h"

void NoteSelection::cancel()
{
    m_selecting = false;
    m_selected.clear();
}

QSet<QUuid> NoteSelection::takeForDeletion()
{
    m_selecting = false;
    return std::exchange(m_selected, {});
}

void NoteSelection::toggle(const QUuid& id)
{
    if (!m_selecting)
        return;
    if (!m_selected.remove(id))
        m_selected.insert(id);
}

bool NoteSelection::keepOnly(const std::function<bool(const QUuid&)>& exists)
{
    const qsizetype before = m_selected.size();
    m_selected.removeIf([&exists](const QUuid& id) { return !exists(id); });
    return m_selected.size() != before;
}
