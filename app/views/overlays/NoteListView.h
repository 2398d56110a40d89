#pragma once

#include "app/views/overlays/PopupCard.h"

class NoteListModel;
class NoteRowsView;
class OverlayScrollBar;
class NoteStore;
class PopoverController;
class Scheduler;
class TextButton;

// The card that lists every note: a row per note (up to five in view, then it scrolls) and a
// bar under them that switches to a selection mode for deleting several notes at once. A tap
// on a row jumps to its note and closes the list; in selection mode it ticks the note. The
// card changes nothing itself: jumps and deletions are the controller's.
class NoteListView : public PopupCard
{
    Q_OBJECT

public:
    static constexpr int narrowest = 160;
    // The card is this much narrower than the panel.
    static constexpr int panelInset = 32;
    static constexpr int barHeight = 26;
    static constexpr int barPadding = 10;
    static constexpr int hairlineHeight = 1;

    // The card for `noteCount` notes in a panel `panelWidth` wide.
    static QSize cardSize(int noteCount, qreal panelWidth);

    NoteListView(PopoverController& controller, NoteStore& store, Scheduler& scheduler,
                 const Appearance& appearance, QWidget* parent = nullptr);

    NoteListModel& model() const { return *m_model; }
    NoteRowsView* rows() const { return m_rows; }
    TextButton* selectButton() const { return m_select; }
    TextButton* cancelButton() const { return m_cancel; }
    TextButton* deleteButton() const { return m_delete; }

    // Keeps the card's top-left corner where the page wants it as the card grows or shrinks.
    void placeCard(QPoint topLeft);
    // Brings the current note's row to the middle of the rows in view, without animation.
    void scrollToCurrent();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The card around rows `rowsHeight` high.
    static QSize cardSizeAround(int rowsHeight, qreal panelWidth);
    void updateSize();
    void layoutChildren();
    void updateBar();
    void beginSelecting();
    void cancelSelecting();
    void tapRow(int row);
    void deleteRow(int row);
    void deleteSelected();
    QRect rowsRect() const;

    PopoverController& m_controller;
    NoteListModel* m_model;
    NoteRowsView* m_rows;
    OverlayScrollBar* m_scrollIndicator;
    TextButton* m_select;
    TextButton* m_cancel;
    TextButton* m_delete;
    QPoint m_cardTopLeft;
};
