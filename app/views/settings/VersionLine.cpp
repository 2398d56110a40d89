#include "VersionLine.h"

namespace {

QString orDash(const QString& value)
{
    return value.isEmpty() ? QStringLiteral(u"\u2014") : value;
}

} // namespace

QString versionLine()
{
    return versionLine(QStringLiteral(QUILLORY_VERSION), QStringLiteral(QUILLORY_BUILD_NUMBER));
}

QString versionLine(const QString& shortVersion, const QString& buildNumber)
{
    return QStringLiteral("Version ") + orDash(shortVersion) + QStringLiteral(" (") +
           orDash(buildNumber) + QStringLiteral(")");
}
