#pragma once

#include "app/notes/Hue.h"
#include "app/shell/PanelGlide.h"
#include "app/views/outline/PanelPlacement.h"
#include "app/views/theme/Animation.h"
#include "platform/Scheduler.h"

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QRect>
#include <QRectF>
#include <QSet>
#include <QSizeF>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

class Analytics;
class AppSettings;
class Appearance;
class Clock;
class FocusLossObserver;
class GlobalClickMonitor;
class LocalKeyMonitor;
class MainQueue;
class NoteStore;
class PanelWindow;
class QKeyEvent;
class QPropertyAnimation;
#include "platform/StatusItem.h"

// How the page changed; chooses the page transition.
enum class PageMotion { none, next, previous, newNote, remove, undo };

// Owns the note panel: opens it under the tray icon, closes it, and carries the small amount
// of state every view of the panel follows. Every user action in the panel other than typing
// and renaming comes through here. Main thread only.
class PopoverController : public QObject
{
    Q_OBJECT

public:
    enum class Mode { note, settings };
    enum class Corner { bottomLeft, bottomRight };

    // What the controller needs of the desktop, so tests can stand in for it.
    struct Services
    {
        MainQueue& mainQueue;
        Scheduler& scheduler;
        const Clock& clock;
        const Appearance& appearance;
    };

    static constexpr QSizeF settingsPageSize{300, 560};
    static constexpr std::chrono::milliseconds fadeInDuration{120};
    static constexpr std::chrono::milliseconds toastLifetime{4000};
    static constexpr std::chrono::milliseconds recolourDelay{120};
    static constexpr std::chrono::milliseconds doubleTapInterval{350};
    // Deletes the current note. Ctrl+Backspace and Ctrl+Delete delete a word in every text
    // field here, and so reach the editor; the note takes Shift as well.
    static constexpr QKeyCombination deleteNoteKeys{Qt::ControlModifier | Qt::ShiftModifier,
                                                    Qt::Key_Backspace};
    // The corner handles: squares straddling the body's corners away from the notch, pushed
    // outwards.
    static constexpr qreal resizeHandleSide = 30;
    static constexpr qreal resizeHandleOutset = 6;

    PopoverController(NoteStore& store, AppSettings& settings, Analytics& analytics,
                      const Services& services, QObject* parent = nullptr);
    ~PopoverController() override;

    NoteStore& store() const { return m_store; }
    const Clock& clock() const { return m_services.clock; }
    AppSettings& settings() const { return m_settings; }
    PanelWindow* panel() const { return m_panel.get(); }
    void setStatusItem(StatusItem* item) { m_statusItem = item; }

    Mode mode() const { return m_mode; }
    // The note area as shown: the size the page asks for, or as much of it as the screen holds.
    QSizeF size() const { return m_size; }
    qreal notchCenterX() const { return m_notchCenterX; }
    NotchEdge notchEdge() const { return m_notchEdge; }
    // The note area and the notch as the panel shows them: size() and notchCenterX(), or on
    // their way there while the panel glides to a new place.
    QSizeF shownSize() const { return shownPlacement().noteSize; }
    qreal shownNotchCenterX() const { return shownPlacement().notchCenterX; }
    // The panel's outline as it shows, in window coordinates, `inset` inside its edge.
    QPainterPath outline(qreal inset = 0) const;
    bool pickerOpen() const { return m_pickerOpen; }
    bool listOpen() const { return m_listOpen; }
    bool renaming() const { return m_renaming; }
    PageMotion motion() const { return m_motion; }
    bool isOpen() const { return m_isOpen; }
    int focusRequest() const { return m_focusRequest; }
    bool toastVisible() const { return m_toastVisible; }
    int copiedPulse() const { return m_copiedPulse; }
    // The animation of the change being announced right now; none outside a change.
    const Animation& animation() const { return m_animation; }

    // The content the panel shows; the controller sizes it with the panel.
    void setContent(QWidget* rootView);
    // Or the content built on first need, so the program can show its icon before the
    // panel's widgets exist; open() builds it at the latest.
    void setContentFactory(std::function<QWidget*()> factory);
    void ensureContent();

    void open();
    void close();
    void reposition(bool animated);

    void setRenaming(bool renaming);
    void setPickerOpen(bool open);
    // The header's colour dot: opens or closes the picker with its spring.
    void togglePicker();
    void closePicker();

    void page(PageMotion motion, std::function<void()> action);
    void previousNote();
    void nextNote();
    void goToNote(int position);
    void newNote();
    void deleteCurrentNote();
    void deleteNotes(const QSet<QUuid>& ids);
    void undo();
    void copyCurrentNote();
    // The footer's copied mark alone: nothing reaches the clipboard.
    void showCopiedMark();
    void pickHue(Hue hue);
    // A tap on the note's name, `tapTime` being when it happened by the input events' own clock
    // (not when it is handled): a second tap within doubleTapInterval starts renaming, any
    // other tap toggles the list.
    void nameTapped(std::chrono::milliseconds tapTime);
    void openList();
    void closeList();
    void toggleList();
    void openSettings();
    void backToNote();

    // A corner drag: where it began, each move, and its end (which stores the size).
    void beginResize(const QPointF& mouse);
    void resizeDrag(Corner corner, const QPointF& mouse);
    void endResize();
    // Back to the default size, stored at once, the panel moving there with animation.
    void resetSize();
    // A corner handle's square for a note area of `size`, in the panel window's coordinates.
    static QRectF resizeHandleRect(Corner corner, QSizeF size, NotchEdge notchEdge);

    // The panel's keyboard commands; true when the key was used.
    bool handleKey(const QKeyEvent& event);

    // What takes presses: the outline and, on the note page, the corner handles.
    QPainterPath clickableShape() const;
    bool shapeContains(const QPointF& windowPoint) const;

Q_SIGNALS:
    void modeChanged();
    void sizeChanged();
    void notchCenterXChanged();
    void notchEdgeChanged();
    // Each frame of a glide to a new place, and at its end.
    void outlineMoved();
    void pickerOpenChanged();
    void listOpenChanged();
    void renamingChanged();
    void motionChanged();
    void isOpenChanged();
    void focusRequested();
    void toastVisibleChanged();
    void copiedPulseChanged();
    // Ctrl+Q in the panel.
    void quitRequested();

private:
    // Where the panel is placed: at the tray icon, on its screen.
    struct Site
    {
        std::optional<QRectF> anchor;
        std::optional<ScreenArea> screen;
    };

    Site site() const;
    PanelPlacement shownPlacement() const;
    // Puts the window where the panel shows now: gliding, or at rest.
    void placeWindow();
    template <typename Value>
    void set(Value& field, const Value& value, void (PopoverController::*changed)());
    void withAnimation(const Animation& animation, const std::function<void()>& change);
    void requestFocus();
    void installMonitors();
    void removeMonitors();
    void setToastVisible(bool visible);
    void closeSoon();
    void escape();
    void cancelResize();

    NoteStore& m_store;
    AppSettings& m_settings;
    Analytics& m_analytics;
    Services m_services;
    QPointer<StatusItem> m_statusItem;

    Mode m_mode = Mode::note;
    // The size the page asks for: the user's note size or the settings page's.
    QSizeF m_wantedSize;
    QSizeF m_size;
    qreal m_notchCenterX = 0;
    NotchEdge m_notchEdge = NotchEdge::top;
    bool m_pickerOpen = false;
    bool m_listOpen = false;
    bool m_renaming = false;
    PageMotion m_motion = PageMotion::none;
    bool m_isOpen = false;
    int m_focusRequest = 0;
    bool m_toastVisible = false;
    bool m_pendingUndoShown = false;
    int m_copiedPulse = 0;
    Animation m_animation;

    // Where the panel's window rests once it gets there.
    QRect m_frame;
    std::unique_ptr<PanelWindow> m_panel;
    PanelGlide m_glide;
    std::function<QWidget*()> m_contentFactory;
    QPointer<QPropertyAnimation> m_fade;
    std::unique_ptr<LocalKeyMonitor> m_keyMonitor;
    std::unique_ptr<GlobalClickMonitor> m_clickMonitor;
    std::unique_ptr<FocusLossObserver> m_focusObserver;
    Scheduler::Task m_toastTask;
    Scheduler::Task m_recolourTask;
    std::optional<QSizeF> m_resizeStartSize;
    std::optional<QPointF> m_resizeStartMouse;
    std::optional<std::chrono::milliseconds> m_lastNameTap;
};
