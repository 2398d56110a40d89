#include "NavigationStatus.h"

QMutex NavigationStatus::s_mutex;
std::optional<QString> NavigationStatus::s_previousNavigationPath;

std::optional<QString> NavigationStatus::exchangePreviousNavigationPath(const QString& path)
{
    const QMutexLocker lock(&s_mutex);
    return std::exchange(s_previousNavigationPath, path);
}
