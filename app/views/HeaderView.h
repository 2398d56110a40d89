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

// The row above the note text: rename button, the note's name, its colour dot, the button that
// opens the list of notes and, at the far end, the delete button.
class HeaderView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int height = 20;
    static constexpr int spacing = 5;
    static constexpr int minimumGap = 8;
    static constexpr QSize dotTapSize{18, 20};

    HeaderView(PopoverController& controller, NoteStore& store, const Appearance& appearance,
               QWidget* parent = nullptr);

    QAbstractButton* renameButton() const { return m_renameButton; }
    QAbstractButton* nameButton() const { return m_nameButton; }
    QAbstractButton* dotButton() const { return m_dotButton; }
    HueDot* dot() const { return m_dot; }
    IconButton* listButton() const { return m_listButton; }
    IconButton* deleteButton() const { return m_deleteButton; }

    // The rename field's two outcomes. A commit renames the current note, and only while
    // renaming is still on: a page change ends renaming without a commit, so a name typed for
    // one note never lands on another.
    void commitRename(const QString& text);
    void cancelRename();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showCurrentNote();
    void rotateListButton();

    PopoverController& m_controller;
    NoteStore& m_store;
    QAbstractButton* m_renameButton;
    QAbstractButton* m_nameButton;
    HueDot* m_dot;
    IconButton* m_listButton;
    IconButton* m_deleteButton;
    QAbstractButton* m_dotButton;
    QVariantAnimation m_listRotation;
    QUuid m_noteID;
};
