#pragma once

#include <QUuid>
#include <QVariantAnimation>
#include <QWidget>

class Appearance;
class HueDot;
class IconButton;
class NoteStore;
class PopoverController;
class QAbstractButton;
class QHBoxLayout;
class RenameField;

// The row above the note text: rename button, the note's name, its colour dot, the button that
// opens the list of notes and, at the far end, the delete button. The dot's tap area reaches
// below the row, over the note text: it lies on the page, which the header is placed on.
class HeaderView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int height = 20;
    static constexpr int spacing = 5;
    static constexpr int minimumGap = 8;
    static constexpr QSize dotTapSize{18, 20};
    // What the rest of the row keeps beside the rename field: the page's side padding and the
    // header's other controls.
    static constexpr int renameFieldAllowance = 32 + 92;

    HeaderView(PopoverController& controller, NoteStore& store, const Appearance& appearance,
               QWidget& page);

    QAbstractButton* renameButton() const { return m_renameButton; }
    QAbstractButton* nameButton() const { return m_nameButton; }
    QAbstractButton* dotButton() const { return m_dotButton; }
    HueDot* dot() const { return m_dot; }
    IconButton* listButton() const { return m_listButton; }
    IconButton* deleteButton() const { return m_deleteButton; }
    // The field while renaming; null otherwise.
    RenameField* renameField() const { return m_renameField; }

    // The rename field's two outcomes. A commit renames the note the field was opened for, and
    // only while renaming is still on: a page change ends renaming without a commit, so a name
    // typed for one note never lands on another.
    void commitRename(const QString& text);
    void cancelRename();
    // Shows the current note's name and colour; the store's changes call it.
    void showCurrentNote();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void placeDotTapArea();
    void rotateListButton();
    void followRenaming();
    qreal renameFieldMaxWidth() const;

    PopoverController& m_controller;
    NoteStore& m_store;
    QAbstractButton* m_renameButton;
    QAbstractButton* m_nameButton;
    HueDot* m_dot;
    IconButton* m_listButton;
    IconButton* m_deleteButton;
    QAbstractButton* m_dotButton;
    QHBoxLayout* m_row;
    const Appearance& m_appearance;
    RenameField* m_renameField = nullptr;
    QUuid m_renamingID;
    QVariantAnimation m_listRotation;
    QUuid m_noteID;
};
