#pragma once

#include "analytics/InsightsEnvironment.h"
#include "analytics/SignalParameters.h"

#include <memory>
#include <optional>

class InsightsManagerConfiguration;
class UserDefaults;

// The entry points of the analytics client. Every one may be called from any thread, except
// the three application notices, which the application delivers on its main thread. None
// reports anything to the caller: problems go to the configuration's log handler.
namespace Insights {

// Makes the client from the configuration and installs it, replacing any earlier one.
void initialize(std::shared_ptr<InsightsManagerConfiguration> config,
                const InsightsEnvironment& environment = InsightsEnvironment::system());
// Forgets the installed client; later signals end at the manager of InsightsManager::shared().
void terminate();

// Sends a signal: the configured prefixes are applied, reserved names warned about, and the
// signal is queued and sent in the background. Returns at once.
void signal(const QString& signalName, const SignalParameters& parameters = {},
            std::optional<double> floatValue = std::nullopt,
            const std::optional<QString>& customUserID = std::nullopt);
// The path of the client's own signals: no prefix and no check on the name or parameters.
void internalSignal(const QString& signalName, const SignalParameters& parameters = {},
                    std::optional<double> floatValue = std::nullopt,
                    const std::optional<QString>& customUserID = std::nullopt);

// Sends one batch soon; honoured at most once per transmit interval.
void requestImmediateSync();
void updateDefaultUserID(const std::optional<QString>& userID);
void generateNewSession();

// Application notices. At termination everything not yet sent is written to the cache file.
void applicationWillTerminate();
void applicationDidResignActive();
void applicationWillBecomeActive();

// Timed signals: the stop sends the signal with "Insights.Signal.durationInSeconds".
void startDurationSignal(const QString& signalName, const SignalParameters& parameters = {},
                         bool includeBackgroundTime = false);
void cancelDurationSignal(const QString& signalName);
void stopAndSendDurationSignal(const QString& signalName, const SignalParameters& parameters = {},
                               std::optional<double> floatValue = std::nullopt,
                               const std::optional<QString>& customUserID = std::nullopt);

} // namespace Insights

// Every key that does not begin with "Insights." gets the configured parameter prefix. When
// two keys become equal, the value of the key that began with "Insights." wins.
SignalParameters prefixedParameterKeys(const SignalParameters& parameters,
                                       const InsightsManagerConfiguration& configuration);

// The client's own user-defaults suite, or null when no client is installed.
UserDefaults* analyticsDefaults();
