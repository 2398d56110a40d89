#include "WindowSystemWatcher.h"

void WindowSystemWatcher::setCompositing(bool compositing)
{
    if (compositing == m_compositing)
        return;
    m_compositing = compositing;
    Q_EMIT compositingChanged();
}

void WindowSystemWatcher::setTrayForeground(const std::optional<QColor>& color)
{
    if (color == m_trayForeground)
        return;
    m_trayForeground = color;
    Q_EMIT trayForegroundChanged();
}
