#pragma once

#include <QSet>
#include <QUuid>

#include <functional>

// The note list's selection mode: off, or on with the notes ticked so far. Every way out of
// the mode empties the ticks, so the next time it starts with none.
class NoteSelection
{
public:
    bool isSelecting() const { return m_selecting; }
    const QSet<QUuid>& selected() const { return m_selected; }
    bool isSelected(const QUuid& id) const { return m_selected.contains(id); }

    void begin() { m_selecting = true; }
    void cancel();
    // Leaves the mode and hands back what was ticked, to be deleted.
    QSet<QUuid> takeForDeletion();
    // Ticks or unticks; nothing outside the mode.
    void toggle(const QUuid& id);
    // Forgets ticks of notes that are gone (deleted, purged, undone), so a count of the ticks
    // is a count of notes; true when one was dropped.
    bool keepOnly(const std::function<bool(const QUuid&)>& exists);

private:
    bool m_selecting = false;
    QSet<QUuid> m_selected;
};
