#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPointer>
#include <QWindow>

#include <functional>

// Calls back, right after the current event, each time a window that had the keyboard focus
// loses it, to another window of this application or to any other. A dialog of the window's
// own (an alert it shows) keeps the focus with it: the window loses it only when the focus goes
// on from there to some other window.
//
// Qt reports the focus gone only a moment after the window system takes it, in case it comes
// straight back. A window hidden and shown again within that moment still counts as focused
// in Qt's eyes, and the late report of its hiding would look like a loss of the new showing.
// So a window starts with the focus only if the display server says it has it now, whatever
// Qt says (without a server to ask: only if it is on screen and Qt says so), and has it once
// the window system gives it, which Qt, counting the window as focused all along, may not
// announce.
class FocusLossObserver : public QObject, private QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    FocusLossObserver(QWindow* window, std::function<void()> onLost, QObject* parent = nullptr);

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    void focusWindowChanged(QWindow* focusWindow);
    bool startsFocused(const QWindow& window) const;
    bool isOwnFocus(const QWindow* focusWindow) const;

    QPointer<QWindow> m_window;
    std::function<void()> m_onLost;
    bool m_hasFocus = false;
};
