#pragma once

#include "app/notes/Hue.h"
#include "app/views/OutlineShadow.h"

#include <QColor>
#include <QPointer>
#include <QVariantAnimation>
#include <QWidget>

#include <array>

class Appearance;
class CornerHandle;
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
    CornerHandle* handle(int corner) const { return m_handles[std::size_t(corner)]; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    class Border;

    QPainterPath outline(qreal inset = 0) const;
    QColor targetFill() const;
    void updateHue();
    void layoutContent();
    void placeHandles();
    void showPageForMode();

    PopoverController& m_controller;
    NoteStore& m_store;
    const Appearance& m_appearance;
    QWidget* m_body;
    Border* m_border;
    std::array<CornerHandle*, 2> m_handles;
    QPointer<QWidget> m_notePage;
    QPointer<QWidget> m_settingsPage;
    Hue m_hue;
    QColor m_fadeFrom;
    QVariantAnimation m_hueFade;
    OutlineShadow m_shadow;
};
