#include "XdgBaseDirectories.h"

#include <QDir>

#include <array>

namespace XdgBaseDirectories {

namespace {

constexpr std::array variables{"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME",
                               "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"};

bool isAbsolute(const QString& path)
{
    return path.startsWith(QLatin1Char('/'));
}

} // namespace

QStringList ignoreRelativePaths()
{
    QStringList removed;
    for (const char* name : variables) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty() && !isAbsolute(value)) {
            qunsetenv(name);
            removed.append(QString::fromLatin1(name));
        }
    }
    return removed;
}

QString stateHome()
{
    const QString value = qEnvironmentVariable("XDG_STATE_HOME");
    if (!value.isEmpty())
        return value;
    return QDir::cleanPath(QDir::homePath() + QStringLiteral("/.local/state"));
}

} // namespace XdgBaseDirectories
