#include "NoteListModel.h"

#include "app/notes/NoteStore.h"
#include "app/views/overlays/AgeLabel.h"
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
    return parent.isValid() ? 0 : int(m_rows.size());
}

QUuid NoteListModel::idAt(int row) const
{
    if (row < 0 || row >= int(m_rows.size()))
        return {};
    return m_rows[std::size_t(row)].id;
}

int NoteListModel::rowOf(const QUuid& id) const
{
    return m_rowOf.value(id, -1);
}

std::vector<QUuid> NoteListModel::ids() const
{
    std::vector<QUuid> ids;
    ids.reserve(m_rows.size());
    for (const ListedNote& note : m_rows)
        ids.push_back(note.id);
    return ids;
}

int NoteListModel::currentRow() const
{
    return m_currentRow;
}

QVariant NoteListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const ListedNote& note = m_rows[std::size_t(index.row())];
    const bool selected = m_selection.isSelected(note.id);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return note.name;
    case Qt::ToolTipRole:
        if (!m_selection.isSelecting())
            return QStringLiteral("Switch to this note");
        return selected ? QStringLiteral("Deselect") : QStringLiteral("Select");
    case HueRole:
        return int(note.hue);
    case AgeRole:
        return ageLabel(note.editedAt, m_builtAt);
    case CurrentRole:
        return index.row() == m_currentRow;
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
    if (!listsInStoreOrder()) {
        Q_EMIT rowOrderAboutToChange();
        const std::vector<Note>& notes = m_store.notes();
        QHash<QUuid, int> storePositions;
        storePositions.reserve(qsizetype(notes.size()));
        for (std::size_t position = 0; position < notes.size(); ++position)
            storePositions.insert(notes[position].id, int(position));
        removeGoneRows(storePositions);
        insertAndMoveRows();
        m_rowOf = std::move(storePositions);
        copyShownFields();
        if (m_selection.keepOnly([this](const QUuid& id) { return m_rowOf.contains(id); }))
            Q_EMIT selectionChanged();
        Q_EMIT rowOrderChanged();
        return;
    }
    copyShownFields();
}

bool NoteListModel::listsInStoreOrder() const
{
    return std::equal(m_rows.begin(), m_rows.end(), m_store.notes().begin(), m_store.notes().end(),
                      [](const ListedNote& row, const Note& note) { return row.id == note.id; });
}

void NoteListModel::copyShownFields()
{
    const std::vector<Note>& notes = m_store.notes();
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        m_rows[row].name = notes[row].name;
        m_rows[row].hue = notes[row].hue;
        m_rows[row].editedAt = notes[row].editedAt;
    }
    m_builtAt = m_clock.now();
    m_currentRow = m_store.currentIndex();
    refreshAllRows();
}

void NoteListModel::removeGoneRows(const QHash<QUuid, int>& storePositions)
{
    auto gone = [&](int row) { return !storePositions.contains(m_rows[std::size_t(row)].id); };
    // From the bottom up, a run of neighbours at a time.
    for (int last = int(m_rows.size()) - 1; last >= 0; --last) {
        if (!gone(last))
            continue;
        int first = last;
        while (first > 0 && gone(first - 1))
            --first;
        beginRemoveRows({}, first, last);
        m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
        endRemoveRows();
        last = first;
    }
}

void NoteListModel::insertAndMoveRows()
{
    const std::vector<Note>& notes = m_store.notes();
    QSet<QUuid> shown;
    shown.reserve(qsizetype(m_rows.size()));
    for (const ListedNote& note : m_rows)
        shown.insert(note.id);
    const int count = int(notes.size());
    for (int row = 0; row < count; ++row) {
        const QUuid& id = notes[std::size_t(row)].id;
        if (row < int(m_rows.size()) && m_rows[std::size_t(row)].id == id)
            continue;
        if (!shown.contains(id)) {
            int last = row;
            while (last + 1 < count && !shown.contains(notes[std::size_t(last + 1)].id))
                ++last;
            std::vector<ListedNote> arriving;
            arriving.reserve(std::size_t(last - row + 1));
            for (int inserted = row; inserted <= last; ++inserted) {
                const Note& note = notes[std::size_t(inserted)];
                arriving.push_back({note.id, note.name, note.hue, note.editedAt});
            }
            beginInsertRows({}, row, last);
            m_rows.insert(m_rows.begin() + row, arriving.begin(), arriving.end());
            endInsertRows();
            row = last;
            continue;
        }
        // Rows above this one already match, so the note stands further down.
        const auto from = std::find_if(m_rows.begin() + row + 1, m_rows.end(),
                                       [&id](const ListedNote& note) { return note.id == id; });
        const int fromRow = int(from - m_rows.begin());
        beginMoveRows({}, fromRow, fromRow, {}, row);
        std::rotate(m_rows.begin() + row, from, from + 1);
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
    if (!m_rows.empty())
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
    const QUuid id = idAt(row);
    if (id.isNull() || !m_selection.isSelecting())
        return;
    m_selection.toggle(id);
    Q_EMIT dataChanged(index(row), index(row), {SelectedRole, Qt::ToolTipRole});
    Q_EMIT selectionChanged();
}
