#pragma once

#include "platform/Scheduler.h"

#include <QPointer>
#include <QVariantAnimation>
#include <QWidget>

#include <chrono>

class AppSettings;
class Appearance;
class FooterView;
class HeaderView;
class NoteListView;
class ColorPickerView;
class NotePager;
class NoticeBanner;
class PopupPresenter;
class NoteStore;
class PopoverController;
class QGraphicsOpacityEffect;
class UndoToast;

// The note page: the header, the notice banner (while there is something to tell about the
// notes' files), the current note's page and the footer stacked, with the floating layers
// above them. While the list or the colour picker is open, a catcher over the whole page
// takes every click outside them and closes them. The undo toast floats above everything while
// the controller shows it and a deletion can still be undone.
class NoteView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int headerTop = 13;
    static constexpr int sidePadding = 16;
    static constexpr int toastBottom = 44;
    static constexpr int bannerTop = 6;
    static constexpr qreal toastDrop = 8;
    // Where the note list and the colour picker hang, from the page's top-left corner.
    static constexpr QPoint listPosition{16, 37};
    static constexpr QPoint pickerPosition{34, 37};

    NoteView(PopoverController& controller, NoteStore& store, AppSettings& settings,
             Scheduler& scheduler, const Appearance& appearance, QWidget* parent = nullptr);

    HeaderView* header() const { return m_header; }
    NoticeBanner* banner() const { return m_banner; }
    NotePager* pager() const { return m_pager; }
    FooterView* footer() const { return m_footer; }
    QWidget* tapCatcher() const { return m_catcher; }
    // The open list and picker; null while closed or leaving.
    NoteListView* noteList() const;
    ColorPickerView* colorPicker() const;
    // The toast on screen, or entering; null when none is shown.
    UndoToast* toast() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    // A press beside a floating card, on its shadow.
    void mousePressEvent(QMouseEvent* event) override;

private:
    class TapCatcher;

    void updateCatcher();
    // A press at `position` outside the open list or picker, at `time` by the input events'
    // clock.
    void dismissOverlays(QPointF position, std::chrono::milliseconds time);
    void updateToast();
    void placeToast(qreal progress);

    PopoverController& m_controller;
    NoteStore& m_store;
    const Appearance& m_appearance;
    HeaderView* m_header;
    NoticeBanner* m_banner;
    NotePager* m_pager;
    FooterView* m_footer;
    QWidget* m_catcher;
    PopupPresenter* m_list;
    PopupPresenter* m_picker;
    QPointer<UndoToast> m_toast;
    QPointer<QGraphicsOpacityEffect> m_toastFade;
    bool m_toastLeaving = false;
    QVariantAnimation m_toastMotion;
};
