#pragma once

#include "platform/Scheduler.h"

#include <QVariantAnimation>
#include <QWidget>

class Appearance;
class IconButton;
class NoteStore;
class PopoverController;
class QAbstractButton;
class QGraphicsOpacityEffect;
class QLabel;

// The strip under the note text: a hairline, then new-note and settings buttons on the left,
// copy, previous and next on the right, and between them a short "Copied" after each copy,
// while the copy button shows a check mark for 1.1 s after the last copy.
class FooterView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int height = 36;
    static constexpr int groupWidth = 92;
    // The room the "Copied" label needs between the two groups.
    static constexpr qreal copiedLabelRoom = 48;
    static constexpr std::chrono::milliseconds checkDuration{1100};

    FooterView(PopoverController& controller, NoteStore& store, Scheduler& scheduler,
               const Appearance& appearance, QWidget* parent = nullptr);

    IconButton* newNoteButton() const { return m_newNoteButton; }
    IconButton* settingsButton() const { return m_settingsButton; }
    QAbstractButton* copyButton() const { return m_copyButton; }
    IconButton* previousButton() const { return m_previousButton; }
    IconButton* nextButton() const { return m_nextButton; }
    QLabel* copiedLabel() const { return m_copiedLabel; }
    bool isShowingCheck() const { return m_showCheck; }

Q_SIGNALS:
    void showCheckChanged(bool showing);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void copied();
    void setShowCheck(bool show);
    void showCheckProgress(qreal progress);
    // No check mark, no "Copied" and no hide pending, at once.
    void startAfresh();
    void updateButtons();
    void updateCopiedLabel();

    PopoverController& m_controller;
    NoteStore& m_store;
    Scheduler& m_scheduler;
    const Appearance& m_appearance;
    IconButton* m_newNoteButton;
    IconButton* m_settingsButton;
    QAbstractButton* m_copyButton;
    IconButton* m_previousButton;
    IconButton* m_nextButton;
    QLabel* m_copiedLabel;
    // The label fades in and out with the check mark.
    QGraphicsOpacityEffect* m_copiedFade;
    bool m_showCheck = false;
    Scheduler::Task m_checkTask;
    // 0 shows the copy icon, 1 the check mark; between while they cross-fade.
    qreal m_checkProgress = 0;
    QVariantAnimation m_checkFade;
};
