#include "GlobalShortcuts/LocalEventMonitor.h"

#include <QCoreApplication>

namespace GlobalShortcuts {

LocalEventMonitor::LocalEventMonitor(const QList<QEvent::Type>& events, Callback callback,
                                     QObject* parent)
    : QObject(parent)
    , m_events(events)
    , m_callback(std::move(callback))
{}

LocalEventMonitor::~LocalEventMonitor()
{
    stop();
}

bool LocalEventMonitor::start()
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return false;
    if (!m_started)
        application->installEventFilter(this);
    m_started = true;
    return true;
}

void LocalEventMonitor::stop()
{
    if (m_started && QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
    m_started = false;
}

bool LocalEventMonitor::eventFilter(QObject* watched, QEvent* event)
{
    if (m_events.contains(event->type()))
        return m_callback(watched, event);
    return false;
}

} // namespace GlobalShortcuts
