#pragma once

#include "app/views/page/PageSnapshot.h"
#include "app/views/page/PageTransition.h"
#include "platform/Scheduler.h"

#include <QPointer>
#include <QVariantAnimation>
#include <QWidget>

class AppSettings;
class Appearance;
class NoteStore;
class NoteTextView;
class PopoverController;
class QGraphicsOpacityEffect;

// The page that holds the current note's editor. The editor belongs to one note: text edits,
// size and setting changes update it in place, and a change of the current note replaces it
// with a new one, the old page leaving as a picture while the new editor enters, both moved
// by the transition of the controller's motion.
class NotePager : public QWidget
{
    Q_OBJECT

public:
    NotePager(PopoverController& controller, NoteStore& store, AppSettings& settings,
              Scheduler& scheduler, const Appearance& appearance, QWidget* parent = nullptr);

    NoteTextView* editor() const { return m_editor; }
    // The leaving page while a transition plays; null otherwise.
    PageSnapshot* outgoingPage() const { return m_outgoing; }
    QVariantAnimation& transition() { return m_transition; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    NoteTextView* makeEditor();
    void followStore();
    void changePage();
    void showProgress(qreal progress);
    void finishTransition();

    PopoverController& m_controller;
    NoteStore& m_store;
    AppSettings& m_settings;
    Scheduler& m_scheduler;
    const Appearance& m_appearance;
    NoteTextView* m_editor = nullptr;
    QPointer<PageSnapshot> m_outgoing;
    QPointer<QGraphicsOpacityEffect> m_incomingFade;
    PageTransition m_pageTransition;
    QVariantAnimation m_transition;
};
