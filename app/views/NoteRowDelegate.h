#pragma once

#include <QStyledItemDelegate>

class Appearance;

// Draws one row of the note list, 28 points high: in selection mode a tick mark, then the
// note's colour dot, its name cut short to fit, its age and, outside selection mode, a delete
// icon that brightens while the pointer is over the row. The current note's row is tinted
// with its colour; another row under the pointer gets a faint highlight. A click on the icon
// asks to delete the note; a click anywhere else on the row is a tap.
class NoteRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    static constexpr int rowHeight = 28;
    static constexpr int sidePadding = 10;
    static constexpr int spacing = 8;
    static constexpr int markSize = 16;
    static constexpr int checkSize = 10;
    static constexpr int nameFontSize = 12;
    static constexpr int ageFontSize = 10;
    static constexpr int minimumGap = 6;
    static constexpr int trashIconSize = 13;
    static constexpr qreal restingTrashOpacity = 0.55;

    explicit NoteRowDelegate(const Appearance& appearance, QObject* parent = nullptr);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
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
    void paintMark(QPainter& painter, const QRectF& mark, bool selected) const;

    const Appearance& m_appearance;
    QFont m_nameFont;
    QFont m_ageFont;
};
