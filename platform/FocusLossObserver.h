#pragma once

#include <QObject>
#include <QPointer>
#include <QWindow>

#include <functional>

// Calls back, right after the current event, each time a window that had the keyboard focus
// loses it, to another window of this application or to any other. A dialog of the window's
// own (an alert it shows) keeps the focus with it: the window loses it only when the focus goes
// on from there to some other window.
class FocusLossObserver : public QObject
{
    Q_OBJECT

public:
    FocusLossObserver(QWindow* window, std::function<void()> onLost, QObject* parent = nullptr);

private:
    void focusWindowChanged(QWindow* focusWindow);
    bool isOwnFocus(const QWindow* focusWindow) const;

    QPointer<QWindow> m_window;
    std::function<void()> m_onLost;
    bool m_hasFocus = false;
};
