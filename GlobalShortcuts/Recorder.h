#pragma once

#include "GlobalShortcuts/Name.h"

#include <QLineEdit>

#include <memory>

class QAction;

namespace GlobalShortcuts {

class LocalEventMonitor;

// The field in which the user records the key combination of one named global shortcut. It
// shows the name's shortcut ("Ctrl+Alt+N"), or a placeholder when it has none. A click into it
// starts recording: the next key combination is checked and, when it may serve as a global
// shortcut, stored and taken system-wide at once. Escape cancels; Delete, or the clear button
// inside the field, removes the shortcut. While any recorder records, no global shortcut fires
// and none is held, so the recorder is given every combination, the current one included.
// Main thread only.
class Recorder : public QLineEdit
{
    Q_OBJECT

public:
    static constexpr int minimumWidth = 130;
    // A mouse release this close around the field still counts as one inside it.
    static constexpr int clickSlop = 3;

    explicit Recorder(const Name& name, QWidget* parent = nullptr);
    ~Recorder() override;

    bool isRecording() const { return m_monitor != nullptr; }
    QAction* clearAction() const { return m_clearAction; }

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void refreshText();
    void updateClearButton();
    void beginRecording();
    void finishRecording();
    bool handleRecordedEvent(QObject* receiver, QEvent* event);
    bool handleMouseRelease(QObject* receiver, const QMouseEvent& event);
    bool handleKey(const QKeyEvent& event);
    // Shows an alert of the module's texts while not recording, then records again.
    int alert(const QString& message, const QString& informativeText = {},
              const QStringList& buttons = {});
    void accept(const Shortcut& shortcut);
    void clearShortcut();
    void dropFocus();
    void takeFocus();

    Name m_name;
    QAction* m_clearAction;
    std::unique_ptr<LocalEventMonitor> m_monitor;
};

} // namespace GlobalShortcuts
