#include "NoteListModel.h"

#include "app/notes/NoteStore.h"
#include "app/views/AgeLabel.h"
#include "platform/Clock.h"

#include <algorithm>

NoteListModel::NoteListModel(NoteStore& store, const Clock& clock, QObject* parent)
    : QAbstractListModel(parent)
    , m_store(store)
    , m_clock(clock)
{
    followStore();
    connect(&store, &NoteStore::notesChanged, this, &NoteListModel::followStore);
    connect(&store, &NoteStore::currentIndexChanged, this, &NoteListModel::followCurrent);
}

int NoteListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_ids.size());
}

const Note* NoteListModel::noteAt(int row) const
{
    if (row < 0 || row >= int(m_ids.size()))
        return nullptr;
    const auto position = m_storePositions.constFind(m_ids[std::size_t(row)]);
    if (position == m_storePositions.cend())
        return nullptr;
    return &m_store.notes()[std::size_t(*position)];
}

int NoteListModel::currentRow() const
{
    return m_currentRow;
}

QVariant NoteListModel::data(const QModelIndex& index, int role) const
{
    const Note* note = noteAt(index.row());
    if (!note)
        return {};
    const bool selected = m_selection.isSelected(note->id);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return note->name;
    case Qt::ToolTipRole:
        if (!m_selection.isSelecting())
            return QStringLiteral("Switch to this note");
        return selected ? QStringLiteral("Deselect") : QStringLiteral("Select");
    case HueRole:
        return int(note->hue);
    case AgeRole:
        return ageLabel(note->editedAt, m_builtAt);
    case CurrentRole:
        return note == &m_store.currentNote();
    case SelectedRole:
        return selected;
    case SelectingRole:
        return m_selection.isSelecting();
    default:
        return {};
    }
}

void NoteListModel::followStore()
{
    const std::vector<Note>& notes = m_store.notes();
    m_storePositions.clear();
    m_storePositions.reserve(qsizetype(notes.size()));
    QSet<QUuid> existing;
    existing.reserve(qsizetype(notes.size()));
    for (std::size_t position = 0; position < notes.size(); ++position) {
        m_storePositions.insert(notes[position].id, int(position));
        existing.insert(notes[position].id);
    }
    m_builtAt = m_clock.now();
    removeGoneRows(existing);
    insertAndMoveRows();
    m_currentRow = m_store.currentIndex();
    refreshAllRows();
    if (m_selection.keepOnly(existing))
        Q_EMIT selectionChanged();
}

void NoteListModel::removeGoneRows(const QSet<QUuid>& existing)
{
    // From the bottom up, a run of neighbours at a time.
    for (int last = int(m_ids.size()) - 1; last >= 0; --last) {
        if (existing.contains(m_ids[std::size_t(last)]))
            continue;
        int first = last;
        while (first > 0 && !existing.contains(m_ids[std::size_t(first - 1)]))
            --first;
        beginRemoveRows({}, first, last);
        m_ids.erase(m_ids.begin() + first, m_ids.begin() + last + 1);
        endRemoveRows();
        last = first;
    }
}

void NoteListModel::insertAndMoveRows()
{
    const std::vector<Note>& notes = m_store.notes();
    QSet<QUuid> shown(m_ids.begin(), m_ids.end());
    const int count = int(notes.size());
    for (int row = 0; row < count; ++row) {
        const QUuid& id = notes[std::size_t(row)].id;
        if (row < int(m_ids.size()) && m_ids[std::size_t(row)] == id)
            continue;
        if (!shown.contains(id)) {
            int last = row;
            while (last + 1 < count && !shown.contains(notes[std::size_t(last + 1)].id))
                ++last;
            beginInsertRows({}, row, last);
            for (int inserted = row; inserted <= last; ++inserted)
                m_ids.insert(m_ids.begin() + inserted, notes[std::size_t(inserted)].id);
            endInsertRows();
            row = last;
            continue;
        }
        // Rows above this one already match, so the note stands further down.
        const auto from = std::find(m_ids.begin() + row + 1, m_ids.end(), id);
        const int fromRow = int(from - m_ids.begin());
        beginMoveRows({}, fromRow, fromRow, {}, row);
        std::rotate(m_ids.begin() + row, from, from + 1);
        endMoveRows();
    }
}

void NoteListModel::followCurrent()
{
    const int previous = std::exchange(m_currentRow, m_store.currentIndex());
    for (const int row : {previous, m_currentRow}) {
        if (row >= 0 && row < rowCount())
            Q_EMIT dataChanged(index(row), index(row), {CurrentRole});
    }
}

void NoteListModel::refreshAllRows()
{
    if (!m_ids.empty())
        Q_EMIT dataChanged(index(0), index(rowCount() - 1));
}

void NoteListModel::beginSelecting()
{
    m_selection.begin();
    refreshAllRows();
    Q_EMIT selectionChanged();
}

void NoteListModel::endSelecting()
{
    m_selection.cancel();
    refreshAllRows();
    Q_EMIT selectionChanged();
}

QSet<QUuid> NoteListModel::takeSelectionForDeletion()
{
    QSet<QUuid> ids = m_selection.takeForDeletion();
    refreshAllRows();
    Q_EMIT selectionChanged();
    return ids;
}

void NoteListModel::toggleSelected(int row)
{
    const Note* note = noteAt(row);
    if (!note || !m_selection.isSelecting())
        return;
    m_selection.toggle(note->id);
    Q_EMIT dataChanged(index(row), index(row), {SelectedRole, Qt::ToolTipRole});
    Q_EMIT selectionChanged();
}
