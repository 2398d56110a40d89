#include "TrackNavigationModifier.h"

#include "analytics/InsightsPresets.h"

#include <QEvent>
#include <QWidget>

TrackNavigationModifier::TrackNavigationModifier(const QString& path, QWidget* widget)
    : QObject(widget)
    , m_path(path)
{
    widget->installEventFilter(this);
}

bool TrackNavigationModifier::eventFilter(QObject* watched, QEvent* event)
{
    // A spontaneous show is the window system's, such as a window restored from its icon:
    // the widget was on screen already.
    if (watched == parent() && event->type() == QEvent::Show && !event->spontaneous())
        Insights::navigationPathChanged(m_path);
    return QObject::eventFilter(watched, event);
}
