#pragma once

#include <QColor>
#include <QObject>

#include <optional>

// Follows what the desktop announces about how windows and tray icons are shown: whether a
// compositing manager blends translucent windows, and the colour the system tray asks its
// icons to draw in. Where the session tells neither, there is no compositor and no colour.
class WindowSystemWatcher : public QObject
{
    Q_OBJECT

public:
    // The one watcher of the application, made on first use.
    static WindowSystemWatcher& instance();

    bool isCompositing() const { return m_compositing; }
    std::optional<QColor> trayForeground() const { return m_trayForeground; }

Q_SIGNALS:
    void compositingChanged();
    void trayForegroundChanged();

protected:
    using QObject::QObject;
    void setCompositing(bool compositing);
    void setTrayForeground(const std::optional<QColor>& color);

private:
    bool m_compositing = false;
    std::optional<QColor> m_trayForeground;
};
