#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>

// A D-Bus session bus of the test's own: a message bus daemon started with it and stopped with
// it, so that what goes over the bus reaches only the test's programs.
class SessionBus
{
public:
    SessionBus();
    ~SessionBus();
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    bool isRunning() const { return !m_address.isEmpty(); }
    // What a program finds the bus by, in DBUS_SESSION_BUS_ADDRESS.
    QString address() const { return m_address; }
    // A connection of this process to the bus, one of its own for each name, closed with the bus.
    QDBusConnection connect(const QString& name);

private:
    QProcess m_daemon;
    QString m_address;
    QStringList m_connections;
};
