#pragma once

#include "GlobalShortcuts/Name.h"

#include <QLineEdit>

#include <functional>
#include <memory>
#include <optional>

class QAction;

namespace GlobalShortcuts {

class LocalEventMonitor;

// The field in which the user records the key combination of one named global shortcut. It
// shows the name's shortcut ("Ctrl+Alt+N"), or a placeholder when it has none. A click into it
// starts recording: the next key combination is checked and, when it may serve as a global
// shortcut, stored and taken system-wide at once. Escape cancels; Delete, or the clear button
// inside the field, removes the shortcut. While any recorder records, no global shortcut fires
// and none is held, so the recorder is given every combination, the current one included.
// Its window coming to the front never starts recording by itself; leaving the front ends it.
// Main thread only.
class Recorder : public QLineEdit
{
    Q_OBJECT

public:
    static constexpr int minimumWidth = 130;
    // A press or release this close around the field still counts as one on it.
    static constexpr int clickSlop = 3;

    // Told of each shortcut the recorder stored, and of each removal (none).
    using OnChange = std::function<void(const std::optional<Shortcut>& shortcut)>;

    explicit Recorder(const Name& name, OnChange onChange = {}, QWidget* parent = nullptr);
    ~Recorder() override;

    const Name& shortcutName() const { return m_name; }
    // Shows and records the other name's shortcut from now on.
    void setShortcutName(const Name& name);

    bool isRecording() const { return m_monitor != nullptr; }
    QAction* clearAction() const { return m_clearAction; }
    // Where the baseline of the field's line of text lies, from its top, at the height it asks
    // for (the only height it takes in a layout).
    int textBaseline() const;

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The rectangle of the field's line of text, as the line edit places it in `bounds`.
    QRect textLine(const QRect& bounds) const;
    void refreshText();
    void updateClearButton();
    void beginRecording();
    void finishRecording();
    // Declines the keyboard focus until the event loop turns, so that a window choosing whom
    // to give it as it comes to the front passes the field by; a click still takes it.
    void suppressKeyFocus();
    bool handleRecordedEvent(QObject* receiver, QEvent* event);
    // Where a mouse event of the window or of the field itself is, in the field's coordinates.
    QPoint positionOf(QObject* receiver, const QMouseEvent& event) const;
    // Whether a click there counts as one on the field.
    bool isNear(QObject* receiver, const QMouseEvent& event) const;
    bool handleMouse(QObject* receiver, const QMouseEvent& event);
    // Gives the window the press as one on the middle of the field.
    void pressOnField(const QMouseEvent& press);
    bool handleKey(const QKeyEvent& event);
    // Shows an alert of the module's texts while not recording, then records again.
    int alert(const QString& message, const QString& informativeText = {},
              const QStringList& buttons = {});
    void accept(const Shortcut& shortcut);
    void clearShortcut();
    // Calls onChange; false when that took the recorder away.
    bool tellChange(const std::optional<Shortcut>& shortcut);
    void dropFocus();
    void takeFocus();

    Name m_name;
    const OnChange m_onChange;
    QAction* m_clearAction;
    std::unique_ptr<LocalEventMonitor> m_monitor;
};

} // namespace GlobalShortcuts
