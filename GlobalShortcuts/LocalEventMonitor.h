#pragma once

#include <QEvent>
#include <QList>
#include <QObject>

#include <functional>

namespace GlobalShortcuts {

// Watches the events of every object of the application's main thread, also inside a menu's
// own event handling, before their receivers see them.
class LocalEventMonitor : public QObject
{
    Q_OBJECT

public:
    // Returns true to use the event up, so that its receiver never sees it.
    using Callback = std::function<bool(QObject* receiver, QEvent* event)>;

    LocalEventMonitor(const QList<QEvent::Type>& events, Callback callback,
                      QObject* parent = nullptr);
    ~LocalEventMonitor() override;

    // Needs the application object; without one nothing is watched and false is returned.
    bool start();
    void stop();
    bool isStarted() const { return m_started; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const QList<QEvent::Type> m_events;
    const Callback m_callback;
    bool m_started = false;
};

} // namespace GlobalShortcuts
