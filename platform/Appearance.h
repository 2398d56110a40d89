#pragma once

#include "platform/AccessibilitySettings.h"

#include <QDBusVariant>
#include <QObject>
#include <QVariant>

#include <optional>

class QDBusConnection;

// Whether the desktop wants light or dark colours, and whether it asks for less motion.
//
// Sources, first match wins: the environment variable QUILLORY_APPEARANCE ("light" or
// "dark"); the desktop portal's colour-scheme preference; the lightness of the application
// palette. Reduced motion comes from the desktop's animation setting as the portal reports
// it, and is off when nothing reports it. Inverted colours come from the screen magnifier's
// colour inversion, the one inversion the desktop keeps as a setting.
class Appearance : public QObject
{
    Q_OBJECT

public:
    enum class ColorScheme { Light, Dark };
    Q_ENUM(ColorScheme)

    // Without `usePortal` the portal is never asked.
    explicit Appearance(QObject* parent = nullptr);
    explicit Appearance(bool usePortal, QObject* parent = nullptr);

    // Asks the portal for its values and follows their changes, when a session bus is there.
    // The answers arrive later, as changes: connecting to the bus takes a while.
    void watchPortal();
    // The same with the portal on `bus`.
    void watchPortal(QDBusConnection bus);

    ColorScheme colorScheme() const;
    // From now on, whatever the desktop and QUILLORY_APPEARANCE say.
    void forceColorScheme(ColorScheme scheme);
    bool isDark() const { return colorScheme() == ColorScheme::Dark; }
    bool reduceMotion() const { return m_reduceMotion; }
    // Once the portal has reported any of them; a setting it did not report reads as off.
    std::optional<AccessibilitySettings> accessibility() const;

    bool eventFilter(QObject* watched, QEvent* event) override;

    // A value of the portal's, read or announced as changed; settings we do not use are ignored.
    void portalSettingChanged(const QString& group, const QString& key, const QVariant& value);

Q_SIGNALS:
    // The colour scheme or the motion setting changed: everything drawn must repaint.
    void changed();

private Q_SLOTS:
    // The portal's SettingChanged signal as the bus delivers it.
    void portalSettingSignalled(const QString& group, const QString& key,
                                const QDBusVariant& value);

private:
    ColorScheme paletteScheme() const;
    void notifyIfChanged();

    std::optional<ColorScheme> m_forced;
    std::optional<ColorScheme> m_portalScheme;
    bool m_reduceMotion = false;
    bool m_invertColors = false;
    bool m_accessibilityReported = false;
    ColorScheme m_lastScheme = ColorScheme::Light;
    bool m_lastReduceMotion = false;
    bool m_usePortal;
};
