#include "PopoverController.h"

#include "app/notes/AppSettings.h"
#include "app/notes/NoteStore.h"
#include "app/notes/PastedText.h"
#include "app/shell/Analytics.h"
#include "platform/Appearance.h"
#include "platform/Clock.h"
#include "platform/FocusLossObserver.h"
#include "platform/GlobalClickMonitor.h"
#include "platform/LocalKeyMonitor.h"
#include "platform/MainQueue.h"
#include "platform/MainThread.h"
#include "platform/PanelWindow.h"
#include "platform/Pasteboard.h"
#include "platform/StatusItem.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPropertyAnimation>
#include <QScreen>

#include <algorithm>
#include <utility>

using namespace std::chrono_literals;

namespace {

Animation pageAnimation(PageMotion motion, bool reduceMotion)
{
    if (reduceMotion)
        return Animation::easeInOut(200ms);
    return Animation::timingCurve(0.2, 0.8, 0.2, 1.0, motion == PageMotion::remove ? 260ms : 320ms);
}

const Animation listOpening = Animation::timingCurve(0.2, 0.9, 0.3, 1.3, 180ms);
const Animation overlayClosing = Animation::easeIn(120ms);
const Animation recolouring = Animation::easeInOut(350ms);
const Animation pageSwitch = Animation::easeInOut(250ms);
const Animation inPlaceDeletion = Animation::easeOut(200ms);
const Animation toastFade = Animation::easeOut(200ms);
const Animation sizeReset = Animation::easeInOut(200ms);

} // namespace

PopoverController::PopoverController(NoteStore& store, AppSettings& settings, Analytics& analytics,
                                     const Services& services, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_settings(settings)
    , m_analytics(analytics)
    , m_services(services)
    , m_wantedSize(settings.popoverSize())
    , m_size(settings.popoverSize())
    , m_notchCenterX(settings.popoverSize().width() * 0.5)
    , m_panel(std::make_unique<PanelWindow>())
{
    QUILLORY_ASSERT_MAIN_THREAD();
    m_panel->setShapes({[this] { return outline(); },
                        [this] {
                            QPainterPath shadowed;
                            shadowed.addRect(PanelGeometry::shadowArea(m_size, m_notchEdge));
                            return shadowed;
                        },
                        [this] { return clickableShape(); }});
    m_panel->setOnClickOutsideShape([this] { close(); });
    connect(&m_glide, &PanelGlide::moved, this, &PopoverController::placeWindow);

    connect(&m_store, &NoteStore::pendingUndoChanged, this, [this] {
        const bool pending = m_store.pendingUndo().has_value();
        if (pending != m_pendingUndoShown) {
            m_pendingUndoShown = pending;
            setToastVisible(pending);
        }
    });
}

PopoverController::~PopoverController()
{
    removeMonitors();
}

void PopoverController::setContent(QWidget* rootView)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    m_contentFactory = nullptr;
    m_panel->setContentWidget(rootView);
}

void PopoverController::setContentFactory(std::function<QWidget*()> factory)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    m_contentFactory = std::move(factory);
}

void PopoverController::ensureContent()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (const std::function<QWidget*()> factory = std::exchange(m_contentFactory, nullptr))
        m_panel->setContentWidget(factory());
}

template <typename Value>
void PopoverController::set(Value& field, const Value& value, void (PopoverController::*changed)())
{
    if (field == value)
        return;
    field = value;
    Q_EMIT(this->*changed)();
}

void PopoverController::withAnimation(const Animation& animation,
                                      const std::function<void()>& change)
{
    const Animation outer = m_animation;
    m_animation = animation;
    change();
    m_animation = outer;
}

void PopoverController::requestFocus()
{
    ++m_focusRequest;
    Q_EMIT focusRequested();
}

QPainterPath PopoverController::outline(qreal inset) const
{
    const PanelPlacement shown = shownPlacement();
    return PanelGeometry::outline(shown.noteSize, shown.notchCenterX, shown.notchEdge, inset);
}

PanelPlacement PopoverController::shownPlacement() const
{
    if (m_glide.isRunning())
        return m_glide.shown();
    return {QRectF(m_panel->geometry()), m_size, m_notchCenterX, m_notchEdge};
}

bool PopoverController::shapeContains(const QPointF& windowPoint) const
{
    QUILLORY_ASSERT_MAIN_THREAD();
    return clickableShape().contains(windowPoint);
}

QPainterPath PopoverController::clickableShape() const
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (m_mode != Mode::note)
        return outline();
    // The corner handles reach past the outline into the margin; a press there is a resize.
    // United rather than added: the mirrored outline runs the other way round.
    QPainterPath handles;
    for (const Corner corner : {Corner::bottomLeft, Corner::bottomRight})
        handles.addRect(resizeHandleRect(corner, shownSize(), m_notchEdge));
    return outline().united(handles);
}

QRectF PopoverController::resizeHandleRect(Corner corner, QSizeF size, NotchEdge notchEdge)
{
    using namespace PanelGeometry;
    const QRectF body = bodyRect(size, notchEdge);
    const qreal inner = resizeHandleSide - resizeHandleOutset;
    const qreal left =
        corner == Corner::bottomLeft ? body.left() - resizeHandleOutset : body.right() - inner;
    // On the corners away from the notch: below the body when the panel hangs from the icon,
    // above it when the panel stands on it.
    const qreal top =
        notchEdge == NotchEdge::top ? body.bottom() - inner : body.top() - resizeHandleOutset;
    return {left, top, resizeHandleSide, resizeHandleSide};
}

void PopoverController::open()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (m_isOpen)
        return;
    ensureContent();
    m_store.purgeExpired(m_settings.deleteAfter());
    set(m_mode, Mode::note, &PopoverController::modeChanged);
    m_wantedSize = m_settings.popoverSize();
    reposition(false);
    set(m_isOpen, true, &PopoverController::isOpenChanged);

    m_panel->setOpacity(0.0);
    m_panel->showAndFocus();
    delete m_fade;
    m_fade = new QPropertyAnimation(m_panel.get(), "opacity", m_panel.get());
    m_fade->setDuration(int(fadeInDuration.count()));
    m_fade->setStartValue(0.0);
    m_fade->setEndValue(1.0);
    m_fade->start(QAbstractAnimation::DeleteWhenStopped);

    requestFocus();
    installMonitors();
}

void PopoverController::close()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (!m_isOpen)
        return;
    if (m_settings.copyNoteOnClose())
        Pasteboard::setPlainText(m_store.currentNote().text);
    removeMonitors();
    cancelResize();
    set(m_pickerOpen, false, &PopoverController::pickerOpenChanged);
    set(m_listOpen, false, &PopoverController::listOpenChanged);
    set(m_renaming, false, &PopoverController::renamingChanged);
    set(m_isOpen, false, &PopoverController::isOpenChanged);
    m_store.save();
    delete m_fade;
    m_panel->hide();
    if (m_mode == Mode::settings) {
        set(m_mode, Mode::note, &PopoverController::modeChanged);
        m_wantedSize = m_settings.popoverSize();
        reposition(false);
    }
}

PopoverController::Site PopoverController::site() const
{
    Site site;
    QScreen* screen = QGuiApplication::primaryScreen();
    if (m_statusItem) {
        site.anchor = QRectF(m_statusItem->anchorGeometry());
        if (QScreen* anchorScreen = m_statusItem->screen())
            screen = anchorScreen;
    }
    if (screen)
        site.screen = ScreenArea{QRectF(screen->geometry()), QRectF(screen->availableGeometry())};
    return site;
}

void PopoverController::reposition(bool animated)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    const Site site = this->site();
    const PanelPlacement placement = placePanel(m_wantedSize, site.anchor, site.screen);
    const PanelPlacement shown = shownPlacement();
    const bool glides =
        animated && m_isOpen && !m_animation.isNone() && shown.notchEdge == placement.notchEdge;
    if (!glides)
        m_glide.stop();
    set(m_size, placement.noteSize, &PopoverController::sizeChanged);
    set(m_notchCenterX, placement.notchCenterX, &PopoverController::notchCenterXChanged);
    set(m_notchEdge, placement.notchEdge, &PopoverController::notchEdgeChanged);
    m_frame = placement.frame.toAlignedRect();
    if (glides)
        m_glide.start(shown, placement, m_animation);
    else
        placeWindow();
}

void PopoverController::placeWindow()
{
    const QRect frame = m_glide.isRunning() ? m_glide.shown().frame.toRect() : m_frame;
    // A window that changes size hands its shape over as it takes the size, once.
    if (frame.size() == m_panel->size())
        m_panel->updateShape();
    m_panel->setGeometry(frame);
    Q_EMIT outlineMoved();
}

void PopoverController::installMonitors()
{
    removeMonitors();
    m_keyMonitor = std::make_unique<LocalKeyMonitor>([this](QWindow* window, QKeyEvent* event) {
        return window && window == m_panel->windowHandle() && handleKey(*event);
    });
    m_clickMonitor = GlobalClickMonitor::create();
    connect(m_clickMonitor.get(), &GlobalClickMonitor::pressed, this,
            [this](const QPoint& position) {
                // A press on the tray icon is the icon's own click, which toggles the panel.
                if (m_statusItem && m_statusItem->handlesOutsidePress(position))
                    return;
                closeSoon();
            });
    if (QWindow* window = m_panel->windowHandle())
        m_focusObserver = std::make_unique<FocusLossObserver>(window, [this] { close(); });
}

void PopoverController::removeMonitors()
{
    m_keyMonitor.reset();
    m_clickMonitor.reset();
    m_focusObserver.reset();
}

void PopoverController::closeSoon()
{
    m_services.mainQueue.async([guard = QPointer(this)] {
        if (guard)
            guard->close();
    });
}

void PopoverController::setToastVisible(bool visible)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    m_toastTask.cancel();
    withAnimation(toastFade,
                  [&] { set(m_toastVisible, visible, &PopoverController::toastVisibleChanged); });
    if (visible)
        m_toastTask =
            m_services.scheduler.schedule(toastLifetime, [this] { m_store.clearPendingUndo(); });
}

void PopoverController::setRenaming(bool renaming)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    set(m_renaming, renaming, &PopoverController::renamingChanged);
}

void PopoverController::setPickerOpen(bool open)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    set(m_pickerOpen, open, &PopoverController::pickerOpenChanged);
}

void PopoverController::togglePicker()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    withAnimation(listOpening, [&] { setPickerOpen(!m_pickerOpen); });
}

void PopoverController::closePicker()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    withAnimation(overlayClosing, [&] { setPickerOpen(false); });
}

void PopoverController::page(PageMotion motion, std::function<void()> action)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    set(m_motion, motion, &PopoverController::motionChanged);
    // At once rather than a turn later: keys already typed after the command (Ctrl+N and on
    // straight away) are handled next, and belong to the new page, not the one it replaces.
    withAnimation(pageAnimation(motion, m_services.appearance.reduceMotion()), action);
}

void PopoverController::previousNote()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (m_store.currentIndex() < 1)
        return;
    page(PageMotion::previous, [this] { m_store.select(m_store.currentIndex() - 1); });
    requestFocus();
}

void PopoverController::nextNote()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (!m_store.hasNext())
        return;
    page(PageMotion::next, [this] { m_store.select(m_store.currentIndex() + 1); });
    requestFocus();
}

void PopoverController::goToNote(int position)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    const int current = m_store.currentIndex();
    if (position == current)
        return;
    page(position < current ? PageMotion::previous : PageMotion::next,
         [this, position] { m_store.select(position); });
}

void PopoverController::newNote()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    setPickerOpen(false);
    setRenaming(false);
    std::optional<QString> text;
    if (m_settings.newNotePastesClipboard())
        text = pasteboardString();
    page(PageMotion::newNote, [this, text] {
        QString body = text.value_or(QString());
        if (text && m_settings.pasteAsPlainText())
            body = normalizedPastedText(body);
        m_store.addNote(body);
    });
    m_analytics.signal(QStringLiteral("note_created"));
    requestFocus();
}

void PopoverController::deleteCurrentNote()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    setPickerOpen(false);
    setRenaming(false);
    closeList();
    page(PageMotion::remove, [this] { m_store.deleteCurrent(); });
    m_analytics.signal(QStringLiteral("note_deleted"));
    requestFocus();
}

void PopoverController::deleteNotes(const QSet<QUuid>& ids)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (ids.isEmpty())
        return;
    if (ids.contains(m_store.currentNote().id))
        page(PageMotion::remove, [this, ids] { m_store.deleteNotes(ids); });
    else
        withAnimation(inPlaceDeletion, [&] { m_store.deleteNotes(ids); });
    m_analytics.signal(QStringLiteral("note_deleted"));
}

void PopoverController::undo()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (!m_store.pendingUndo())
        return;
    page(PageMotion::undo, [this] { m_store.undoDelete(); });
    requestFocus();
}

void PopoverController::copyCurrentNote()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    Pasteboard::setPlainText(m_store.currentNote().text);
    showCopiedMark();
}

void PopoverController::showCopiedMark()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    ++m_copiedPulse;
    Q_EMIT copiedPulseChanged();
}

void PopoverController::pickHue(Hue hue)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    closePicker();
    // The picker is gone before the note's colour changes.
    m_recolourTask = m_services.scheduler.schedule(
        recolourDelay, [this, hue] { withAnimation(recolouring, [&] { m_store.setHue(hue); }); });
}

void PopoverController::nameTapped(std::chrono::milliseconds tapTime)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    // A tap stamped before the last one is no second tap: the clock of input events wraps.
    const bool secondTap =
        m_lastNameTap && tapTime >= *m_lastNameTap && tapTime - *m_lastNameTap < doubleTapInterval;
    if (!secondTap) {
        m_lastNameTap = tapTime;
        toggleList();
        return;
    }
    // A third quick tap counts as a first one again.
    m_lastNameTap.reset();
    setPickerOpen(false);
    closeList();
    setRenaming(true);
}

void PopoverController::openList()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    setRenaming(false);
    setPickerOpen(false);
    withAnimation(listOpening, [&] { set(m_listOpen, true, &PopoverController::listOpenChanged); });
}

void PopoverController::closeList()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (!m_listOpen)
        return;
    withAnimation(overlayClosing,
                  [&] { set(m_listOpen, false, &PopoverController::listOpenChanged); });
    requestFocus();
}

void PopoverController::toggleList()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (m_listOpen)
        closeList();
    else
        openList();
}

void PopoverController::openSettings()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (m_mode == Mode::settings)
        return;
    setPickerOpen(false);
    set(m_listOpen, false, &PopoverController::listOpenChanged);
    setRenaming(false);
    m_analytics.signal(QStringLiteral("settings_opened"));
    withAnimation(pageSwitch, [&] {
        set(m_mode, Mode::settings, &PopoverController::modeChanged);
        m_wantedSize = settingsPageSize;
        reposition(true);
    });
}

void PopoverController::backToNote()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (m_mode == Mode::note)
        return;
    withAnimation(pageSwitch, [&] {
        set(m_mode, Mode::note, &PopoverController::modeChanged);
        m_wantedSize = m_settings.popoverSize();
        reposition(true);
    });
    requestFocus();
}

void PopoverController::beginResize(const QPointF& mouse)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    m_resizeStartSize = m_size;
    m_resizeStartMouse = mouse;
}

void PopoverController::resizeDrag(Corner corner, const QPointF& mouse)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (!m_resizeStartSize || !m_resizeStartMouse)
        return;
    const QPointF start = *m_resizeStartMouse;
    // Outwards is positive on both sides.
    const qreal dx = corner == Corner::bottomRight ? mouse.x() - start.x() : start.x() - mouse.x();
    const Site site = this->site();
    const qreal width =
        std::clamp(draggedWidth(m_resizeStartSize->width(), dx, site.anchor, site.screen),
                   AppSettings::minimumPopoverWidth, AppSettings::maximumPopoverWidth);
    // The body grows away from the notch, which stays on the icon.
    const qreal dy = m_notchEdge == NotchEdge::top ? mouse.y() - start.y() : start.y() - mouse.y();
    const qreal height =
        std::clamp(m_resizeStartSize->height() + dy, AppSettings::minimumPopoverHeight,
                   AppSettings::maximumPopoverHeight);
    m_wantedSize = QSizeF(width, height);
    reposition(false);
}

void PopoverController::endResize()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (!m_resizeStartSize)
        return;
    // The drag keeps the sides it changed. A side that the screen held at its edge throughout
    // keeps the size chosen before: the drag never showed another.
    QSizeF kept = m_settings.popoverSize();
    if (m_size.width() != m_resizeStartSize->width())
        kept.setWidth(m_size.width());
    if (m_size.height() != m_resizeStartSize->height())
        kept.setHeight(m_size.height());
    cancelResize();
    m_settings.setPopoverSize(kept);
}

void PopoverController::cancelResize()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    m_resizeStartSize.reset();
    m_resizeStartMouse.reset();
}

void PopoverController::resetSize()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    m_settings.setPopoverSize(AppSettings::defaultPopoverSize);
    withAnimation(sizeReset, [&] {
        m_wantedSize = AppSettings::defaultPopoverSize;
        reposition(true);
    });
}

void PopoverController::escape()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (m_listOpen)
        closeList();
    else if (m_pickerOpen)
        closePicker();
    else if (m_renaming)
        setRenaming(false);
    else
        close();
}

bool PopoverController::handleKey(const QKeyEvent& event)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    const bool command = modifiers.testFlag(Qt::ControlModifier);
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    const bool optionOnly = modifiers.testFlag(Qt::AltModifier) && !command;

    switch (event.key()) {
    case Qt::Key_Backspace:
        if ((modifiers & (Qt::ControlModifier | Qt::ShiftModifier)) !=
            deleteNoteKeys.keyboardModifiers())
            return false;
        deleteCurrentNote();
        return true;
    case Qt::Key_Escape:
        escape();
        return true;
    case Qt::Key_Left:
        if (!optionOnly)
            break;
        previousNote();
        return true;
    case Qt::Key_Right:
        if (!optionOnly)
            break;
        nextNote();
        return true;
    case Qt::Key_Down:
        if (!optionOnly)
            break;
        toggleList();
        return true;
    default:
        break;
    }

    if (!command)
        return false;
    const int key = event.key();
    if (!shift && key == Qt::Key_N) {
        newNote();
    } else if (!shift && key == Qt::Key_Z && m_store.pendingUndo()) {
        undo();
    } else if (!shift && key == Qt::Key_Comma) {
        if (m_mode == Mode::settings)
            backToNote();
        else
            openSettings();
    } else if (key == Qt::Key_Plus || (!shift && key == Qt::Key_Equal)) {
        m_settings.stepTextSize(+1);
    } else if (shift && key == Qt::Key_C) {
        copyCurrentNote();
    } else if ((!shift && key == Qt::Key_Minus) || (shift && key == Qt::Key_Underscore)) {
        m_settings.stepTextSize(-1);
    } else if (!shift && key == Qt::Key_0) {
        m_settings.setTextSize(AppSettings::defaultTextSize);
    } else if (!shift && key == Qt::Key_Q) {
        Q_EMIT quitRequested();
    } else if (!shift && key == Qt::Key_W) {
        close();
    } else {
        return false;
    }
    return true;
}
