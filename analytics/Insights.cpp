#include "Insights.h"

#include "analytics/DurationSignalTracker.h"
#include "analytics/InsightsManager.h"
#include "analytics/InsightsManagerConfiguration.h"
#include "analytics/SignalManager.h"

#include <QSet>

#include <cmath>

namespace {

const QString reservedPrefix = QStringLiteral("insights.");

const QSet<QString>& reservedKeysLowercased()
{
    static const QSet<QString> keys = [] {
        const char* const names[] = {"type",
                                     "clientUser",
                                     "appID",
                                     "sessionID",
                                     "floatValue",
                                     "newSessionBegan",
                                     "platform",
                                     "systemVersion",
                                     "majorSystemVersion",
                                     "majorMinorSystemVersion",
                                     "appVersion",
                                     "buildNumber",
                                     "isSimulator",
                                     "isDebug",
                                     "isTestFlight",
                                     "isAppStore",
                                     "modelName",
                                     "architecture",
                                     "operatingSystem",
                                     "targetEnvironment",
                                     "locale",
                                     "region",
                                     "appLanguage",
                                     "preferredLanguage",
                                     "insightsClientVersion"};
        QSet<QString> set;
        for (const char* name : names)
            set.insert(QString::fromLatin1(name).toLower());
        return set;
    }();
    return keys;
}

void warnAboutReservedKeys(const SignalParameters& parameters,
                           const InsightsManagerConfiguration& configuration)
{
    for (auto it = parameters.begin(); it != parameters.end(); ++it) {
        const QString lowered = it.key().toLower();
        if (lowered.startsWith(reservedPrefix))
            configuration.log(LogLevel::error,
                              QStringLiteral("Sending parameter with reserved key prefix "
                                             "'Insights.' will cause unexpected behavior. Please "
                                             "use another prefix instead."));
        else if (reservedKeysLowercased().contains(lowered))
            configuration.log(LogLevel::error,
                              QStringLiteral("Sending parameter with reserved key '") + it.key() +
                                  QStringLiteral("' will cause unexpected behavior. Please use "
                                                 "another key instead."));
    }
}

bool dropsSignals(const InsightsManagerConfiguration& configuration)
{
    return configuration.swiftUIPreviewMode() || configuration.analyticsDisabled();
}

} // namespace

SignalParameters prefixedParameterKeys(const SignalParameters& parameters,
                                       const InsightsManagerConfiguration& configuration)
{
    const QString prefix = configuration.defaultParameterPrefix().value_or(QString());
    if (prefix.isEmpty())
        return parameters;
    static const QString keptPrefix = QStringLiteral("Insights.");
    SignalParameters prefixed;
    // Kept keys go in last, so when a prefixed key equals one of them the kept key's value
    // wins, whatever the order of the keys.
    for (auto it = parameters.begin(); it != parameters.end(); ++it) {
        if (!it.key().startsWith(keptPrefix))
            prefixed.insert(prefix + it.key(), it.value());
    }
    for (auto it = parameters.begin(); it != parameters.end(); ++it) {
        if (it.key().startsWith(keptPrefix))
            prefixed.insert(it.key(), it.value());
    }
    return prefixed;
}

UserDefaults* analyticsDefaults()
{
    const auto manager = InsightsManager::installed();
    return manager ? manager->analyticsDefaults() : nullptr;
}

namespace Insights {

void initialize(std::shared_ptr<InsightsManagerConfiguration> config,
                const InsightsEnvironment& environment)
{
    InsightsManager::initialize(std::move(config), environment);
}

void terminate()
{
    InsightsManager::terminate();
}

void signal(const QString& signalName, const SignalParameters& parameters,
            std::optional<double> floatValue, const std::optional<QString>& customUserID)
{
    const auto configuration = InsightsManager::shared()->configuration();
    if (dropsSignals(*configuration))
        return;

    const QString name = configuration->defaultSignalPrefix().value_or(QString()) + signalName;
    const SignalParameters prefixed = prefixedParameterKeys(parameters, *configuration);
    if (configuration->reservedParameterWarningsEnabled()) {
        const QString lowered = name.toLower();
        if (lowered.startsWith(reservedPrefix))
            configuration->log(LogLevel::error,
                               QStringLiteral("Sending signal with reserved prefix 'Insights.' "
                                              "will cause unexpected behavior. Please use another "
                                              "prefix instead."));
        else if (reservedKeysLowercased().contains(lowered))
            configuration->log(LogLevel::error,
                               QStringLiteral("Sending signal with reserved name '") + name +
                                   QStringLiteral("' will cause unexpected behavior. Please "
                                                  "use another name instead."));
        warnAboutReservedKeys(prefixed, *configuration);
    }
    internalSignal(name, prefixed, floatValue, customUserID);
}

void internalSignal(const QString& signalName, const SignalParameters& parameters,
                    std::optional<double> floatValue, const std::optional<QString>& customUserID)
{
    const auto manager = InsightsManager::shared();
    auto configuration = manager->configuration();
    if (dropsSignals(*configuration))
        return;

    const SignalParameters defaults =
        prefixedParameterKeys(configuration->defaultParameters()(), *configuration);
    SignalParameters combined = defaults;
    combined.insert(parameters);
    warnAboutReservedKeys(defaults, *configuration);

    // A NaN or infinity has no JSON form: it would make every batch holding it unsendable.
    if (floatValue && !std::isfinite(*floatValue)) {
        configuration->log(LogLevel::error, QStringLiteral("Dropping the non-finite floatValue "
                                                           "of signal '%1'")
                                                .arg(signalName));
        floatValue.reset();
    }
    manager->processSignal(
        {signalName, customUserID, floatValue, combined, std::move(configuration)});
}

void requestImmediateSync()
{
    const auto manager = InsightsManager::shared();
    if (manager->claimImmediateSync())
        manager->scheduleImmediateSync();
}

void updateDefaultUserID(const std::optional<QString>& userID)
{
    InsightsManager::shared()->configuration()->setDefaultUser(userID);
}

void generateNewSession()
{
    InsightsManager::shared()->configuration()->setSessionID(QUuid::createUuid());
}

void applicationWillTerminate()
{
    if (const auto manager = InsightsManager::installed())
        manager->applicationWillTerminate();
}

void applicationDidResignActive()
{
    if (DurationSignalTracker* tracker = DurationSignalTracker::sharedIfMade())
        tracker->handleDidEnterBackgroundNotification();
    if (const auto manager = InsightsManager::installed())
        manager->applicationDidResignActive();
}

void applicationWillBecomeActive()
{
    if (DurationSignalTracker* tracker = DurationSignalTracker::sharedIfMade())
        tracker->handleWillEnterForegroundNotification();
    if (const auto manager = InsightsManager::installed())
        manager->applicationWillBecomeActive();
}

void startDurationSignal(const QString& signalName, const SignalParameters& parameters,
                         bool includeBackgroundTime)
{
    DurationSignalTracker::shared().startTracking(signalName, parameters, includeBackgroundTime);
}

void cancelDurationSignal(const QString& signalName)
{
    DurationSignalTracker::shared().stopTracking(signalName);
}

void stopAndSendDurationSignal(const QString& signalName, const SignalParameters& parameters,
                               std::optional<double> floatValue,
                               const std::optional<QString>& customUserID)
{
    const auto tracked = DurationSignalTracker::shared().stopTracking(signalName);
    if (!tracked)
        return;
    SignalParameters combined{{DurationSignalTracker::durationKey,
                               DurationSignalTracker::durationText(tracked->duration)}};
    combined.insert(tracked->parameters);
    combined.insert(parameters);
    internalSignal(signalName, combined, floatValue, customUserID);
}

} // namespace Insights
