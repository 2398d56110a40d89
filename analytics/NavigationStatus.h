#pragma once

#include <QMutex>
#include <QString>

#include <optional>

// The destination of the last navigation report, for the next one's source. Absent until the
// first report of the process.
class NavigationStatus
{
public:
    static std::optional<QString> previousNavigationPath();
    static void setPreviousNavigationPath(const std::optional<QString>& path);
    // Stores the new path and returns the one it replaces, in one step.
    static std::optional<QString> exchangePreviousNavigationPath(const QString& path);

private:
    static QMutex s_mutex;
    static std::optional<QString> s_previousNavigationPath;
};
