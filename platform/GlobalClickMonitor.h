#pragma once

#include <QObject>
#include <QPoint>

#include <memory>

// Reports, for as long as it exists, every mouse button press that goes to another
// application's window or to the desktop, with the pointer's position. Presses on this
// application's own windows are left to Qt. Scroll wheel steps are not presses.
class GlobalClickMonitor : public QObject
{
    Q_OBJECT

public:
    // The desktop's own monitor. Where presses elsewhere cannot be seen it reports nothing
    // and says so once in the log.
    static std::unique_ptr<GlobalClickMonitor> create(QObject* parent = nullptr);

    virtual bool isActive() const = 0;

Q_SIGNALS:
    void pressed(const QPoint& globalPosition, Qt::MouseButton button);

protected:
    using QObject::QObject;
};
