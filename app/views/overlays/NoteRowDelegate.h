#pragma once

#include <QStyledItemDelegate>

class Appearance;

// Draws one row of the note list, 28 points high: in selection mode a tick mark, then the
// note's colour dot, its name cut short to fit, its age and, outside selection mode, a delete
// icon that brightens while the pointer is over the row and turns to the primary text colour
// while it is over the icon itself. The current note's row is tinted with its colour; another
// row under the pointer gets a faint highlight. A click on the icon asks to delete the note; a
// click anywhere else on the row is a tap.
class NoteRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    static constexpr int rowHeight = 28;
    static constexpr int sidePadding = 10;
    static constexpr int spacing = 8;
    static constexpr int markSize = 16;
    static constexpr int checkSize = 10;
    // A mark grows from this share of its size about its centre as it comes in.
    static constexpr qreal markStartScale = 0.6;
    static constexpr int nameFontSize = 12;
    static constexpr int ageFontSize = 10;
    static constexpr int minimumGap = 6;
    static constexpr int trashIconSize = 13;
    static constexpr qreal restingTrashOpacity = 0.55;

    // How a row is drawn beyond what its note says.
    struct RowState
    {
        bool hovered = false;
        bool trashHovered = false;
        // How far the selection marks are in, 0 to 1: the mark grows and fades in, the dot and
        // name make room for it, the delete icon fades out and the age takes its place.
        qreal marksShown = 0;
        bool ticked = false;
    };

    explicit NoteRowDelegate(const Appearance& appearance, QObject* parent = nullptr);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // The rows' own view draws them, each with its state.
    void paintRow(QPainter& painter, const QRect& row, const QModelIndex& index,
                  const RowState& state) const;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    // Where the delete icon's button sits in a row.
    static QRect trashRect(const QRect& row);

Q_SIGNALS:
    void tapped(int row);
    void deleteClicked(int row);

private:
    // The mark centred on `centre`, as far in as the state says.
    void paintMark(QPainter& painter, QPointF centre, const RowState& state) const;
    void paintTrash(QPainter& painter, const QRect& row, const RowState& state) const;

    const Appearance& m_appearance;
    QFont m_nameFont;
    QFont m_ageFont;
};
