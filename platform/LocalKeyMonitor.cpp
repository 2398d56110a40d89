#include "LocalKeyMonitor.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWindow>

LocalKeyMonitor::LocalKeyMonitor(Handler handler, QObject* parent)
    : QObject(parent)
    , m_handler(std::move(handler))
{
    qApp->installEventFilter(this);
}

LocalKeyMonitor::~LocalKeyMonitor()
{
    qApp->removeEventFilter(this);
}

bool LocalKeyMonitor::eventFilter(QObject* watched, QEvent* event)
{
    // A key reaches its window once and is then passed from widget to widget; judging it at
    // the window sees each press exactly once.
    if (event->type() != QEvent::KeyPress || !watched->isWindowType())
        return false;
    return m_handler(static_cast<QWindow*>(watched), static_cast<QKeyEvent*>(event));
}
