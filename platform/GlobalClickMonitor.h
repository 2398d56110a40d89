#pragma once

#include <QObject>
#include <QPoint>

class QSocketNotifier;
struct xcb_connection_t;

// Reports, for as long as it exists, every mouse button press that goes to another
// application's window or to the desktop, with the pointer's position. Presses on this
// application's own windows are left to Qt. Scroll wheel steps are not presses.
//
// Works on X11 with the XInput 2.2 extension, over a connection of its own. Anywhere else it
// reports nothing and says so once in the log.
class GlobalClickMonitor : public QObject
{
    Q_OBJECT

public:
    explicit GlobalClickMonitor(QObject* parent = nullptr);
    ~GlobalClickMonitor() override;

    bool isActive() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void pressed(const QPoint& globalPosition, Qt::MouseButton button);

private:
    bool connectToServer();
    void readEvents();
    void handlePress(uint32_t detail);
    void disconnectFromServer();

    xcb_connection_t* m_connection = nullptr;
    uint32_t m_root = 0;
    uint8_t m_inputOpcode = 0;
    QSocketNotifier* m_notifier = nullptr;
};
