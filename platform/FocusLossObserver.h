#pragma once

#include <QObject>
#include <QPointer>
#include <QWindow>

#include <functional>

// Calls back, right after the current event, each time a window that had the keyboard focus
// loses it, to another window of this application or to any other.
class FocusLossObserver : public QObject
{
    Q_OBJECT

public:
    FocusLossObserver(QWindow* window, std::function<void()> onLost, QObject* parent = nullptr);

private:
    void focusWindowChanged(QWindow* focusWindow);

    QPointer<QWindow> m_window;
    std::function<void()> m_onLost;
    bool m_hasFocus = false;
};
