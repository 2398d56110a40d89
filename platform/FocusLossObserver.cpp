#include "FocusLossObserver.h"

#include "WindowSystem.h"

#include <QGuiApplication>
#include <QTimer>

FocusLossObserver::FocusLossObserver(QWindow* window, std::function<void()> onLost, QObject* parent)
    : QObject(parent)
    , m_window(window)
    , m_onLost(std::move(onLost))
    , m_hasFocus(window && startsFocused(*window))
{
    connect(qApp, &QGuiApplication::focusWindowChanged, this,
            &FocusLossObserver::focusWindowChanged);
    qApp->installNativeEventFilter(this);
}

bool FocusLossObserver::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (m_window && WindowSystem::givesFocus(m_window->winId(), eventType, message))
        m_hasFocus = true;
    return false;
}

void FocusLossObserver::focusWindowChanged(QWindow* focusWindow)
{
    const bool hadFocus = m_hasFocus;
    m_hasFocus = isOwnFocus(focusWindow);
    if (hadFocus && !m_hasFocus)
        QTimer::singleShot(0, this, [this] {
            // Unless the focus came back in the meantime, as it does from a closing dialog.
            if (!m_hasFocus)
                m_onLost();
        });
}

bool FocusLossObserver::startsFocused(const QWindow& window) const
{
    if (const std::optional<bool> focused = WindowSystem::hasFocus(window.winId()))
        return *focused;
    return window.isExposed() && isOwnFocus(QGuiApplication::focusWindow());
}

bool FocusLossObserver::isOwnFocus(const QWindow* focusWindow) const
{
    for (const QWindow* window = focusWindow; m_window && window;
         window = window->transientParent()) {
        if (window == m_window)
            return true;
    }
    return false;
}
