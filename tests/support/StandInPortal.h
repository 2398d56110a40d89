#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusVariant>
#include <QHash>
#include <QObject>

// The desktop portal's settings as far as programs read them, served on a bus of the test's:
// Read answers with the values set here, each change is announced with SettingChanged.
class StandInPortal : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

public:
    static constexpr const char* appearanceGroup = "org.freedesktop.appearance";
    static constexpr const char* colorSchemeKey = "color-scheme";
    // Values of the colour-scheme preference.
    static constexpr uint noPreference = 0;
    static constexpr uint preferDark = 1;
    static constexpr uint preferLight = 2;

    explicit StandInPortal(const QDBusConnection& bus);
    ~StandInPortal() override;

    // Serving under the portal's name.
    bool isServing() const { return m_serving; }
    // Answered from now on, and announced.
    void setValue(const QString& group, const QString& key, const QVariant& value);
    void setColorScheme(uint preference);
    // How many Read calls were answered.
    int readCount() const { return m_readCount; }

public Q_SLOTS:
    QDBusVariant Read(const QString& group, const QString& key);

Q_SIGNALS:
    void SettingChanged(const QString& group, const QString& key, const QDBusVariant& value);

private:
    QDBusConnection m_bus;
    QHash<QString, QVariant> m_values;
    bool m_serving = false;
    int m_readCount = 0;
};
