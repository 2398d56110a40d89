#pragma once

#include "app/views/NoteSelection.h"

#include <QAbstractListModel>
#include <QDateTime>
#include <QHash>

#include <vector>

class Clock;
class NoteStore;
struct Note;

// Every note of the store as one row, identified by the note's id: a change of the store
// reaches the view as the rows that were inserted, removed or moved, never as a reset. Holds
// the list's selection mode too, since it decides how each row reads.
class NoteListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role {
        HueRole = Qt::UserRole, // int, the hue's position
        AgeRole,                // QString
        CurrentRole,            // bool
        SelectedRole,           // bool: ticked in selection mode
        SelectingRole,          // bool
    };

    NoteListModel(NoteStore& store, const Clock& clock, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // The note shown in `row`; null for a row that is going away.
    const Note* noteAt(int row) const;
    int currentRow() const;

    const NoteSelection& selection() const { return m_selection; }
    void beginSelecting();
    void endSelecting();
    QSet<QUuid> takeSelectionForDeletion();
    void toggleSelected(int row);

Q_SIGNALS:
    // The mode or the ticks changed.
    void selectionChanged();

private:
    void followStore();
    void followCurrent();
    void refreshAllRows();
    void removeGoneRows(const QSet<QUuid>& existing);
    void insertAndMoveRows();

    NoteStore& m_store;
    const Clock& m_clock;
    std::vector<QUuid> m_ids;
    QHash<QUuid, int> m_storePositions;
    int m_currentRow = -1;
    // Ages are as old as the rows: they are worked out again when the rows change.
    QDateTime m_builtAt;
    NoteSelection m_selection;
};
