#pragma once

#include "app/notes/Hue.h"
#include "app/views/outline/OutlineShadow.h"
#include "app/views/panel/ResizeHandles.h"

#include <QColor>
#include <QPointer>
#include <QVariantAnimation>
#include <QWidget>

class Appearance;
class CornerHandle;
class PageSnapshot;
class QGraphicsOpacityEffect;
struct Animation;
class NoteStore;
class PopoverController;

// The whole content of the panel: the notched outline filled with the current note's colour
// (or the settings colour), its two shadows and border, and the note or settings page inside
// the outline.
class PopoverRootView : public QWidget
{
    Q_OBJECT

public:
    PopoverRootView(PopoverController& controller, NoteStore& store, const Appearance& appearance,
                    QWidget* parent = nullptr);

    // The pages are shown by the controller's mode; either may be absent.
    void setNotePage(QWidget* page);
    void setSettingsPage(QWidget* page);

    // The colour the outline is filled with right now.
    QColor fillColor() const;
    // The two resize handles, shown on the note page only.
    CornerHandle* handle(PopoverController::Corner corner) const
    {
        return m_handles.handle(corner);
    }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    class Border;

    QPainterPath outline(qreal inset = 0) const;
    QColor targetFill() const;
    // From the colour showing now to the one of the page and note, over `animation`.
    void fadeFill(const Animation& animation);
    void updateHue();
    void layoutContent();
    void showPageForMode();
    // The page of the controller's mode, cross-fading with the other one inside the
    // controller's animation.
    void switchPage();
    void showPageFade(qreal progress);
    void endPageFade();

    PopoverController& m_controller;
    NoteStore& m_store;
    const Appearance& m_appearance;
    QWidget* m_body;
    Border* m_border;
    ResizeHandles m_handles;
    QPointer<QWidget> m_notePage;
    QPointer<QWidget> m_settingsPage;
    Hue m_hue;
    QColor m_fillFrom;
    QColor m_fillTo;
    QVariantAnimation m_fillFade;
    QPointer<PageSnapshot> m_leavingPage;
    QPointer<QGraphicsOpacityEffect> m_comingFade;
    QVariantAnimation m_pageFade;
    OutlineShadow m_shadow;
};
