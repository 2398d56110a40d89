#include "SessionBus.h"

namespace {

constexpr int startTimeoutMs = 10000;

} // namespace

SessionBus::SessionBus()
{
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--print-address")});
    // The address is its first line, written once it takes connections.
    if (!m_daemon.waitForStarted(startTimeoutMs))
        return;
    while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(startTimeoutMs)) {
    }
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
}

SessionBus::~SessionBus()
{
    for (const QString& name : std::as_const(m_connections))
        QDBusConnection::disconnectFromBus(name);
    m_daemon.terminate();
    if (!m_daemon.waitForFinished())
        m_daemon.kill();
}

QDBusConnection SessionBus::connect(const QString& name)
{
    // Qt keeps named connections for the whole process; another bus may have had this name.
    const QString unique = name + QLatin1Char('@') + m_address;
    m_connections.append(unique);
    return QDBusConnection::connectToBus(m_address, unique);
}
