#pragma once

#include "app/notes/NoteStore.h"

#include <QWidget>

class Appearance;
class PopoverController;
class QAbstractButton;
class QLabel;

// The small dark box that says what was just deleted and offers "Undo". It only draws and
// forwards: the page decides when it shows, and Ctrl+Z is the panel's own key command, so the
// toast adds no shortcut of its own and one press undoes once.
class UndoToast : public QWidget
{
    Q_OBJECT

public:
    static constexpr int cornerRadius = 12;
    static constexpr QMargins padding{10, 5, 10, 5};
    static constexpr int spacing = 10;

    UndoToast(PopoverController& controller, NoteStore& store, const Appearance& appearance,
              QWidget* parent = nullptr);

    static QString message(const std::optional<NoteStore::DeletedNotes>& pending);
    QString messageShown() const;
    QAbstractButton* undoButton() const { return m_undoButton; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    NoteStore& m_store;
    const Appearance& m_appearance;
    QLabel* m_message;
    QAbstractButton* m_undoButton;
};
