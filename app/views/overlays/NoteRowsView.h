#pragma once

#include "app/views/overlays/NoteRowDelegate.h"
#include "app/views/overlays/RowMotion.h"
#include "app/views/overlays/SelectionMarks.h"

#include <QListView>

#include <optional>
#include <vector>

class Appearance;
class NoteListModel;

// The rows of the note list, one per note, up to five in view and scrolling beyond. When notes
// go, come back or change places the rows glide to their new places, unless the desktop asks
// for less motion; the selection marks grow and fade in and out with the mode. To assistive
// technology each row is one item named after its note, and the current note's row is the
// selected one.
class NoteRowsView : public QListView
{
    Q_OBJECT

public:
    static constexpr int visibleRows = 5;

    // A row as drawn now, in the viewport.
    struct DrawnRow
    {
        QUuid id;
        // -1 for a row whose note is gone: it is drawn from `picture` while it fades.
        int row = -1;
        RowMotion::Placement placement;
        QPixmap picture;
    };

    // The height of `rowCount` rows at rest.
    static int restingHeight(int rowCount);

    NoteRowsView(NoteListModel& model, const Appearance& appearance, QWidget* parent = nullptr);

    NoteRowDelegate* rowDelegate() const { return m_delegate; }
    RowMotion& motion() { return m_motion; }
    SelectionMarks& marks() { return m_marks; }
    // The height the rows take now: at rest, or on the way there while they move.
    int wantedHeight() const;
    // Ghosts of rows that went first, then the rows in view.
    std::vector<DrawnRow> drawnRows() const;

Q_SIGNALS:
    void wantedHeightChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = {}) override;

private:
    // The rows as they were drawn before a change of order, for their motion to start from.
    struct Before
    {
        std::vector<QUuid> ids;
        int offset = 0;
        qreal height = 0;
        std::vector<DrawnRow> rows;
    };

    void rememberRowsBeforeChange();
    void moveRowsToNewPlaces();
    qreal restingTop(int row) const;
    // The first and last rows whose places are in view.
    std::pair<int, int> restingRange() const;
    qreal heightNow() const;
    NoteRowDelegate::RowState stateOf(int row, const QRect& drawnAt) const;
    QRect drawnRect(const DrawnRow& row) const;
    void paintRow(QPainter& painter, const DrawnRow& row) const;
    QPixmap picture(const DrawnRow& row) const;
    void setPointer(std::optional<QPointF> pointer);
    void markCurrentRowSelected();

    NoteListModel& m_model;
    const Appearance& m_appearance;
    NoteRowDelegate* m_delegate;
    RowMotion m_motion;
    SelectionMarks m_marks;
    std::optional<Before> m_before;
    std::optional<QPointF> m_pointer;
};
