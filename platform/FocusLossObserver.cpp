#include "FocusLossObserver.h"

#include <QGuiApplication>
#include <QTimer>

FocusLossObserver::FocusLossObserver(QWindow* window, std::function<void()> onLost, QObject* parent)
    : QObject(parent)
    , m_window(window)
    , m_onLost(std::move(onLost))
    , m_hasFocus(window && QGuiApplication::focusWindow() == window)
{
    connect(qApp, &QGuiApplication::focusWindowChanged, this,
            &FocusLossObserver::focusWindowChanged);
}

void FocusLossObserver::focusWindowChanged(QWindow* focusWindow)
{
    const bool hadFocus = m_hasFocus;
    m_hasFocus = m_window && focusWindow == m_window;
    if (hadFocus && !m_hasFocus)
        QTimer::singleShot(0, this, [this] { m_onLost(); });
}
