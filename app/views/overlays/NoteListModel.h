#pragma once

#include "app/notes/Hue.h"
#include "app/views/overlays/NoteSelection.h"

#include <QAbstractListModel>
#include <QDateTime>
#include <QHash>

#include <vector>

class Clock;
class NoteStore;
struct Note;

// Every note of the store as one row, identified by the note's id: a change of the store
// reaches the view as the rows that were inserted, removed or moved, never as a reset. Each
// row keeps a copy of what it shows, so a row can still be read while it goes away. Holds the
// list's selection mode too, since it decides how each row reads.
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

    // The note in `row`; a null id outside the rows.
    QUuid idAt(int row) const;
    // The row of the note `id`; -1 when it is not listed.
    int rowOf(const QUuid& id) const;
    // The notes' ids in row order.
    std::vector<QUuid> ids() const;
    int currentRow() const;

    const NoteSelection& selection() const { return m_selection; }
    void beginSelecting();
    void endSelecting();
    QSet<QUuid> takeSelectionForDeletion();
    void toggleSelected(int row);

Q_SIGNALS:
    // The mode or the ticks changed.
    void selectionChanged();
    // Around a change of the sequence of ids (rows inserted, removed or moved); before it the
    // rows still read as they were.
    void rowOrderAboutToChange();
    void rowOrderChanged();

private:
    struct ListedNote
    {
        QUuid id;
        QString name;
        Hue hue;
        QDateTime editedAt;
    };

    void followStore();
    void followCurrent();
    void refreshAllRows();
    bool listsInStoreOrder() const;
    void removeGoneRows(const QHash<QUuid, int>& storePositions);
    void insertAndMoveRows();
    void copyShownFields();

    NoteStore& m_store;
    const Clock& m_clock;
    std::vector<ListedNote> m_rows;
    QHash<QUuid, int> m_rowOf;
    int m_currentRow = -1;
    // Ages are as old as the rows: they are worked out again when the rows change.
    QDateTime m_builtAt;
    NoteSelection m_selection;
};
