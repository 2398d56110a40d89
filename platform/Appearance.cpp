#include "Appearance.h"

#include "Log.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QEvent>
#include <QGuiApplication>
#include <QPalette>

namespace {

const Log logger("quillory.appearance");

const auto portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const auto portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const auto settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const auto appearanceGroup = QStringLiteral("org.freedesktop.appearance");
const auto colorSchemeKey = QStringLiteral("color-scheme");
const auto interfaceGroup = QStringLiteral("org.gnome.desktop.interface");
const auto animationsKey = QStringLiteral("enable-animations");
const auto magnifierGroup = QStringLiteral("org.gnome.desktop.a11y.magnifier");
const auto invertLightnessKey = QStringLiteral("invert-lightness");

// Values of the portal's colour-scheme preference.
constexpr uint preferDark = 1;
constexpr uint preferLight = 2;

// Palette lightness below the middle of the 0-255 range counts as dark.
constexpr int darkLightnessLimit = 128;
constexpr int portalTimeoutMs = 500;

// The portal wraps each value in a variant, sometimes twice.
QVariant unwrap(QVariant value)
{
    while (value.metaType() == QMetaType::fromType<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

} // namespace

Appearance::Appearance(QObject* parent)
    : Appearance(true, parent)
{}

Appearance::Appearance(bool usePortal, QObject* parent)
    : QObject(parent)
    , m_usePortal(usePortal)
{
    const QByteArray forced = qgetenv("QUILLORY_APPEARANCE");
    if (forced == "light")
        m_forced = ColorScheme::Light;
    else if (forced == "dark")
        m_forced = ColorScheme::Dark;
    else if (!forced.isEmpty())
        logger.error(QStringLiteral("Quillory: QUILLORY_APPEARANCE must be light or dark, not ") +
                     QString::fromLocal8Bit(forced));

    if (qApp)
        qApp->installEventFilter(this);
    m_lastScheme = colorScheme();
    m_lastReduceMotion = m_reduceMotion;
}

Appearance::ColorScheme Appearance::colorScheme() const
{
    if (m_forced)
        return *m_forced;
    if (m_portalScheme)
        return *m_portalScheme;
    return paletteScheme();
}

void Appearance::forceColorScheme(ColorScheme scheme)
{
    m_forced = scheme;
    notifyIfChanged();
}

std::optional<AccessibilitySettings> Appearance::accessibility() const
{
    if (!m_accessibilityReported)
        return std::nullopt;
    return AccessibilitySettings{m_reduceMotion, m_invertColors};
}

Appearance::ColorScheme Appearance::paletteScheme() const
{
    return QGuiApplication::palette().color(QPalette::Window).lightness() < darkLightnessLimit
               ? ColorScheme::Dark
               : ColorScheme::Light;
}

void Appearance::watchPortal()
{
    if (m_usePortal)
        watchPortal(QDBusConnection::sessionBus());
}

void Appearance::watchPortal(QDBusConnection bus)
{
    if (!m_usePortal || !bus.isConnected())
        return;
    // A variant argument reaches a slot as QDBusVariant, and a slot of any other type is never
    // connected; the bus finds the type by its name only once it is registered.
    qRegisterMetaType<QDBusVariant>();
    if (!bus.connect(portalService, portalPath, settingsInterface, QStringLiteral("SettingChanged"),
                     this, SLOT(portalSettingSignalled(QString, QString, QDBusVariant))))
        logger.error(QStringLiteral("Quillory: changes of the desktop's colour scheme cannot be "
                                    "followed: the portal's SettingChanged did not connect"));
    for (const auto& [group, key] :
         {std::pair{appearanceGroup, colorSchemeKey}, std::pair{interfaceGroup, animationsKey},
          std::pair{magnifierGroup, invertLightnessKey}}) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            portalService, portalPath, settingsInterface, QStringLiteral("Read"));
        call << group << key;
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, portalTimeoutMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this, group, key](QDBusPendingCallWatcher* finished) {
                    finished->deleteLater();
                    const QDBusMessage reply = finished->reply();
                    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
                        portalSettingChanged(group, key, reply.arguments().constFirst());
                });
    }
}

void Appearance::portalSettingSignalled(const QString& group, const QString& key,
                                        const QDBusVariant& value)
{
    portalSettingChanged(group, key, QVariant::fromValue(value));
}

void Appearance::portalSettingChanged(const QString& group, const QString& key,
                                      const QVariant& value)
{
    const QVariant plain = unwrap(value);
    if (group == appearanceGroup && key == colorSchemeKey) {
        const uint preference = plain.toUInt();
        if (preference == preferDark)
            m_portalScheme = ColorScheme::Dark;
        else if (preference == preferLight)
            m_portalScheme = ColorScheme::Light;
        else
            m_portalScheme.reset();
    } else if (group == interfaceGroup && key == animationsKey) {
        m_reduceMotion = plain.metaType() == QMetaType::fromType<bool>() && !plain.toBool();
        m_accessibilityReported = true;
    } else if (group == magnifierGroup && key == invertLightnessKey) {
        // Nothing drawn here depends on it, so it is no change to announce.
        m_invertColors = plain.metaType() == QMetaType::fromType<bool>() && plain.toBool();
        m_accessibilityReported = true;
        return;
    } else {
        return;
    }
    notifyIfChanged();
}

void Appearance::notifyIfChanged()
{
    const ColorScheme scheme = colorScheme();
    if (scheme == m_lastScheme && m_reduceMotion == m_lastReduceMotion)
        return;
    m_lastScheme = scheme;
    m_lastReduceMotion = m_reduceMotion;
    Q_EMIT changed();
}

bool Appearance::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
        notifyIfChanged();
    return QObject::eventFilter(watched, event);
}
