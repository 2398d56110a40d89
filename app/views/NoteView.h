#pragma once

#include "platform/Scheduler.h"

#include <QPointer>
#include <QVariantAnimation>
#include <QWidget>

class AppSettings;
class Appearance;
class FooterView;
class HeaderView;
class NotePager;
class NoteStore;
class PopoverController;
class QGraphicsOpacityEffect;
class UndoToast;

// The note page: the header, the current note's page and the footer stacked, with the floating
// layers above them. While the list or the colour picker is open, a catcher over the whole page
// takes every click outside them and closes them. The undo toast floats above everything while
// the controller shows it and a deletion can still be undone.
class NoteView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int headerTop = 13;
    static constexpr int sidePadding = 16;
    static constexpr int toastBottom = 44;
    static constexpr qreal toastDrop = 8;

    NoteView(PopoverController& controller, NoteStore& store, AppSettings& settings,
             Scheduler& scheduler, const Appearance& appearance, QWidget* parent = nullptr);

    HeaderView* header() const { return m_header; }
    NotePager* pager() const { return m_pager; }
    FooterView* footer() const { return m_footer; }
    QWidget* tapCatcher() const { return m_catcher; }
    // The toast on screen, or entering; null when none is shown.
    UndoToast* toast() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    class TapCatcher;

    void updateCatcher();
    void updateToast();
    void placeToast(qreal progress);

    PopoverController& m_controller;
    NoteStore& m_store;
    const Appearance& m_appearance;
    HeaderView* m_header;
    NotePager* m_pager;
    FooterView* m_footer;
    QWidget* m_catcher;
    QPointer<UndoToast> m_toast;
    QPointer<QGraphicsOpacityEffect> m_toastFade;
    bool m_toastLeaving = false;
    QVariantAnimation m_toastMotion;
};
