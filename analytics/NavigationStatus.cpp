#include "NavigationStatus.h"

QMutex NavigationStatus::s_mutex;
std::optional<QString> NavigationStatus::s_previousNavigationPath;

std::optional<QString> NavigationStatus::previousNavigationPath()
{
    const QMutexLocker lock(&s_mutex);
    return s_previousNavigationPath;
}

void NavigationStatus::setPreviousNavigationPath(const std::optional<QString>& path)
{
    const QMutexLocker lock(&s_mutex);
    s_previousNavigationPath = path;
}

std::optional<QString> NavigationStatus::exchangePreviousNavigationPath(const QString& path)
{
    const QMutexLocker lock(&s_mutex);
    return std::exchange(s_previousNavigationPath, path);
}
