#include "StandInPortal.h"

#include <QDBusError>

namespace {

const auto serviceName = QStringLiteral("org.freedesktop.portal.Desktop");
const auto objectPath = QStringLiteral("/org/freedesktop/portal/desktop");

QString settingName(const QString& group, const QString& key)
{
    return group + QLatin1Char(' ') + key;
}

} // namespace

StandInPortal::StandInPortal(const QDBusConnection& bus)
    : m_bus(bus)
{
    // The bus finds the type of SettingChanged's value by its name, once it is registered.
    qRegisterMetaType<QDBusVariant>();
    m_serving =
        m_bus.registerObject(objectPath, this,
                             QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) &&
        m_bus.registerService(serviceName);
}

StandInPortal::~StandInPortal()
{
    m_bus.unregisterService(serviceName);
    m_bus.unregisterObject(objectPath);
}

void StandInPortal::setValue(const QString& group, const QString& key, const QVariant& value)
{
    m_values.insert(settingName(group, key), value);
    Q_EMIT SettingChanged(group, key, QDBusVariant(value));
}

void StandInPortal::setColorScheme(uint preference)
{
    setValue(QString::fromLatin1(appearanceGroup), QString::fromLatin1(colorSchemeKey), preference);
}

QDBusVariant StandInPortal::Read(const QString& group, const QString& key)
{
    const auto value = m_values.constFind(settingName(group, key));
    if (value == m_values.cend()) {
        sendErrorReply(QStringLiteral("org.freedesktop.portal.Error.NotFound"),
                       QStringLiteral("Requested setting not found"));
        return {};
    }
    ++m_readCount;
    // The portal's Read wraps the value in a second variant.
    return QDBusVariant(QVariant::fromValue(QDBusVariant(*value)));
}
