#include "GlobalShortcuts/Recorder.h"

#include "GlobalShortcuts/CarbonGlobalShortcuts.h"
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/LocalEventMonitor.h"
#include "GlobalShortcuts/ModalAlert.h"
#include "GlobalShortcuts/ModuleStrings.h"

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QWindow>

namespace GlobalShortcuts {

namespace {

constexpr Qt::KeyboardModifiers modifierKeys =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
// The room a line edit keeps between the edges of its contents and its line of text.
constexpr int lineMargin = 2;

QString moduleText(const char* key)
{
    return localizedString(QString::fromLatin1(key));
}

bool isClickButton(const QMouseEvent& event)
{
    return event.button() == Qt::LeftButton || event.button() == Qt::RightButton;
}

// Pressed on their own, on the way to a combination.
bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Mode_switch:
        return true;
    default:
        return false;
    }
}

// Tab alone moves the focus on; Shift+Tab is a combination like any other.
bool isTabAlone(const QKeyEvent& event)
{
    return event.key() == Qt::Key_Tab && !(event.modifiers() & modifierKeys);
}

// A menu entry's title as an alert names it: on one line, wherever the alert's text wraps.
QString unbreakable(QString title)
{
    return title.replace(QLatin1Char(' '), QChar::Nbsp);
}

bool isSystemShortcut(const Shortcut& shortcut)
{
    // F12 alone is left to the user whatever the desktop binds to it.
    if (shortcut == Shortcut(Key::f12, 0))
        return false;
    return CarbonGlobalShortcuts::systemShortcuts().contains(shortcut);
}

} // namespace

Recorder::Recorder(const Name& name, OnChange onChange, QWidget* parent)
    : QLineEdit(parent)
    , m_name(name)
    , m_onChange(std::move(onChange))
    , m_clearAction(addAction(style()->standardIcon(QStyle::SP_LineEditClearButton),
                              QLineEdit::TrailingPosition))
{
    // Only the recorder itself writes the text: no typing, pasting or dropping.
    setReadOnly(true);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    setAlignment(Qt::AlignCenter);
    setPlaceholderText(moduleText("record_shortcut"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(m_clearAction, &QAction::triggered, this, &Recorder::clearShortcut);
    connect(&ShortcutNotifications::instance(), &ShortcutNotifications::shortcutByNameDidChange,
            this, [this](const Name& changed) {
                if (changed == m_name)
                    refreshText();
            });
    refreshText();
    suppressKeyFocus();
}

Recorder::~Recorder()
{
    finishRecording();
}

QSize Recorder::sizeHint() const
{
    return {minimumWidth, QLineEdit::sizeHint().height()};
}

void Recorder::setShortcutName(const Name& name)
{
    const bool isOther = name != m_name;
    m_name = name;
    if (isOther)
        refreshText();
}

QRect Recorder::textLine(const QRect& bounds) const
{
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    panel.rect = bounds;
    const QRect contents = style()
                               ->subElementRect(QStyle::SE_LineEditContents, &panel, this)
                               .marginsRemoved(textMargins());
    const int height = fontMetrics().height();
    return {contents.x() + lineMargin, contents.y() + (contents.height() - height + 1) / 2,
            contents.width() - 2 * lineMargin, height};
}

int Recorder::textBaseline() const
{
    return textLine(QRect(QPoint(), sizeHint())).top() + fontMetrics().ascent();
}

void Recorder::paintEvent(QPaintEvent* event)
{
    QLineEdit::paintEvent(event);
    // The line edit leaves out the placeholder of a focused field whose text is centred. The
    // field has the focus exactly while it records, and then the placeholder is the prompt:
    // it is drawn here, where and as the line edit draws it otherwise.
    if (!hasFocus() || !text().isEmpty())
        return;
    QPainter painter(this);
    painter.setPen(palette().placeholderText().color());
    const QRect line = textLine(rect());
    painter.drawText(line, Qt::AlignCenter,
                     fontMetrics().elidedText(placeholderText(), Qt::ElideRight, line.width()));
}

void Recorder::refreshText()
{
    const auto shortcut = getShortcut(m_name);
    setText(shortcut ? shortcut->description() : QString());
    updateClearButton();
}

void Recorder::updateClearButton()
{
    m_clearAction->setVisible(!text().isEmpty());
}

bool Recorder::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // While recording, no shortcut of the application's own takes the keys away.
        if (!isRecording())
            break;
        event->accept();
        return true;
    case QEvent::KeyPress:
        if (isRecording() && isTabAlone(*static_cast<QKeyEvent*>(event))) {
            // The window moves the focus on from here; where nothing else takes it, recording
            // ends all the same, and the field passes its turn as the Tab goes on up.
            const bool handled = QLineEdit::event(event);
            if (hasFocus()) {
                dropFocus();
                suppressKeyFocus();
            }
            return handled;
        }
        break;
    case QEvent::WindowActivate:
        suppressKeyFocus();
        break;
    case QEvent::WindowDeactivate:
        // Recording ends with the focus, and the window keeps none to give back: coming to the
        // front again it picks whom to focus afresh, and the field declines.
        if (QWidget* focused = window()->focusWidget())
            focused->clearFocus();
        break;
    default:
        break;
    }
    return QLineEdit::event(event);
}

void Recorder::suppressKeyFocus()
{
    setFocusPolicy(Qt::ClickFocus);
    QMetaObject::invokeMethod(
        this, [this] { setFocusPolicy(Qt::StrongFocus); }, Qt::QueuedConnection);
}

void Recorder::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    beginRecording();
}

void Recorder::focusOutEvent(QFocusEvent* event)
{
    finishRecording();
    QLineEdit::focusOutEvent(event);
}

void Recorder::hideEvent(QHideEvent* event)
{
    finishRecording();
    QLineEdit::hideEvent(event);
}

void Recorder::beginRecording()
{
    if (isRecording())
        return;
    setPlaceholderText(moduleText("press_shortcut"));
    updateClearButton();
    m_monitor = std::make_unique<LocalEventMonitor>(
        QList{QEvent::KeyPress, QEvent::MouseButtonPress, QEvent::MouseButtonRelease},
        [this](QObject* receiver, QEvent* event) { return handleRecordedEvent(receiver, event); });
    m_monitor->start();
    recorderDidStart();
}

void Recorder::finishRecording()
{
    const bool wasRecording = isRecording();
    if (wasRecording) {
        // This may run inside the monitor's own call; it goes once that call is over.
        m_monitor->stop();
        m_monitor.release()->deleteLater();
    }
    setPlaceholderText(moduleText("record_shortcut"));
    updateClearButton();
    if (wasRecording)
        recorderDidFinish();
}

bool Recorder::handleRecordedEvent(QObject* receiver, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        return handleMouse(receiver, *static_cast<QMouseEvent*>(event));
    default:
        break;
    }
    // Each key is judged once, where it reaches the window.
    if (receiver != window()->windowHandle())
        return false;
    return handleKey(*static_cast<QKeyEvent*>(event));
}

QPoint Recorder::positionOf(QObject* receiver, const QMouseEvent& event) const
{
    // From the event's own position: where the window manager has moved the window may reach
    // the toolkit later than the clicks on it.
    const QPoint position = event.position().toPoint();
    return receiver == this ? position : mapFrom(window(), position);
}

bool Recorder::isNear(QObject* receiver, const QMouseEvent& event) const
{
    const QRect near = rect().adjusted(-clickSlop, -clickSlop, clickSlop, clickSlop);
    return (receiver == this || receiver == window()->windowHandle()) &&
           near.contains(positionOf(receiver, event));
}

bool Recorder::handleMouse(QObject* receiver, const QMouseEvent& event)
{
    if (!isClickButton(event))
        return false;
    const bool near = isNear(receiver, event);
    if (receiver->isWindowType()) {
        // Every press and release reaches the window, which pairs them and tracks the pointer
        // by them, so that hovering goes on as before once the button is up.
        if (event.type() == QEvent::MouseButtonRelease) {
            // A click elsewhere ends recording and reaches what it was meant for.
            if (!near)
                dropFocus();
            return false;
        }
        // Just beside the field a press would give the focus to whatever lies beneath and so
        // end recording; it counts as one on the field instead.
        if (!near || rect().contains(positionOf(receiver, event)))
            return false;
        pressOnField(event);
        return true;
    }
    // The field itself does nothing with a release that keeps it recording; the clear button
    // is a widget of its own and takes its click.
    return receiver == this && near && event.type() == QEvent::MouseButtonRelease;
}

void Recorder::pressOnField(const QMouseEvent& press)
{
    const QPointF inWindow = mapTo(window(), rect().center());
    QMouseEvent onField(press.type(), inWindow, inWindow,
                        press.globalPosition() + inWindow - press.position(), press.button(),
                        press.buttons(), press.modifiers(), press.pointingDevice());
    onField.setTimestamp(press.timestamp());
    QCoreApplication::sendEvent(window()->windowHandle(), &onField);
}

bool Recorder::handleKey(const QKeyEvent& event)
{
    const int key = event.key();
    const Qt::KeyboardModifiers modifiers = event.modifiers() & modifierKeys;
    if (isModifierKey(key))
        return true;
    // Goes on to the window, and on to the field (see event()).
    if (isTabAlone(event))
        return false;
    if (modifiers == Qt::NoModifier) {
        if (key == Qt::Key_Escape) {
            dropFocus();
            return true;
        }
        if (key == Qt::Key_Backspace || key == Qt::Key_Delete) {
            if (m_clearAction->isVisible())
                clearShortcut();
            return true;
        }
    }
    const auto shortcut = Shortcut::fromEvent(&event);
    if (!shortcut || !shortcut->isRecordable()) {
        QApplication::beep();
        return true;
    }
    QPointer guard(this);
    if (const QAction* item = menuItemWithMatchingShortcut(mainMenu(), *shortcut)) {
        alert(moduleText("keyboard_shortcut_used_by_menu_item").arg(unbreakable(item->text())));
        return true;
    }
    if (isSystemShortcut(*shortcut)) {
        const int answer = alert(moduleText("keyboard_shortcut_used_by_system"),
                                 moduleText("keyboard_shortcuts_can_be_changed"),
                                 {moduleText("ok"), moduleText("force_use_shortcut")});
        if (!guard || answer != 1)
            return true;
    }
    accept(*shortcut);
    return true;
}

int Recorder::alert(const QString& message, const QString& informativeText,
                    const QStringList& buttons)
{
    dropFocus();
    QPointer guard(this);
    const int answer = runModalAlert(this, message, informativeText, buttons);
    if (guard)
        takeFocus();
    return answer;
}

void Recorder::accept(const Shortcut& shortcut)
{
    setText(shortcut.description());
    m_clearAction->setVisible(true);
    userDefaultsSet(m_name, shortcut);
    if (tellChange(shortcut))
        dropFocus();
}

void Recorder::clearShortcut()
{
    GlobalShortcuts::setShortcut(std::nullopt, m_name);
    refreshText();
    if (tellChange(std::nullopt))
        takeFocus();
}

bool Recorder::tellChange(const std::optional<Shortcut>& shortcut)
{
    QPointer guard(this);
    if (m_onChange)
        m_onChange(shortcut);
    return guard;
}

void Recorder::dropFocus()
{
    clearFocus();
}

void Recorder::takeFocus()
{
    if (!isVisible())
        return;
    // Back from an alert the window may not be active yet; recording starts when it is.
    window()->activateWindow();
    setFocus(Qt::OtherFocusReason);
}

} // namespace GlobalShortcuts
