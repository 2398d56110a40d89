#include "InsightsPresets.h"

#include "analytics/Insights.h"
#include "analytics/InsightsManager.h"
#include "analytics/InsightsManagerConfiguration.h"
#include "analytics/NavigationStatus.h"

namespace {

constexpr qint64 lowestRating = 0;
constexpr qint64 highestRating = 10;

void sendPreset(const QString& name, SignalParameters own, const SignalParameters& parameters,
                std::optional<double> floatValue, const std::optional<QString>& customUserID)
{
    own.insert(parameters);
    Insights::internalSignal(name, own, floatValue, customUserID);
}

void reportNavigation(const QString& source, const QString& destination,
                      const std::optional<QString>& customUserID)
{
    Insights::internalSignal(
        QStringLiteral("Insights.Navigation.pathChanged"),
        {{QStringLiteral("Insights.Navigation.schemaVersion"), QStringLiteral("1")},
         {QStringLiteral("Insights.Navigation.identifier"),
          source + QStringLiteral(" -> ") + destination},
         {QStringLiteral("Insights.Navigation.sourcePath"), source},
         {QStringLiteral("Insights.Navigation.destinationPath"), destination}},
        std::nullopt, customUserID);
}

const QString errorSignal = QStringLiteral("Insights.Error.occurred");
const QString errorIDKey = QStringLiteral("Insights.Error.id");
const QString errorCategoryKey = QStringLiteral("Insights.Error.category");
const QString errorMessageKey = QStringLiteral("Insights.Error.message");

} // namespace

QString errorCategoryRawValue(ErrorCategory category)
{
    switch (category) {
    case ErrorCategory::thrownException:
        return QStringLiteral("thrown-exception");
    case ErrorCategory::userInput:
        return QStringLiteral("user-input");
    case ErrorCategory::appState:
        break;
    }
    return QStringLiteral("app-state");
}

std::optional<ErrorCategory> errorCategoryFromRawValue(const QString& rawValue)
{
    for (ErrorCategory category :
         {ErrorCategory::thrownException, ErrorCategory::userInput, ErrorCategory::appState}) {
        if (errorCategoryRawValue(category) == rawValue)
            return category;
    }
    return std::nullopt;
}

namespace Insights {

void acquiredUser(const QString& channel, const SignalParameters& parameters,
                  const std::optional<QString>& customUserID)
{
    sendPreset(QStringLiteral("Insights.Acquisition.userAcquired"),
               {{QStringLiteral("Insights.Acquisition.channel"), channel}}, parameters,
               std::nullopt, customUserID);
}

void leadStarted(const QString& leadID, const SignalParameters& parameters,
                 const std::optional<QString>& customUserID)
{
    sendPreset(QStringLiteral("Insights.Acquisition.leadStarted"),
               {{QStringLiteral("Insights.Acquisition.leadID"), leadID}}, parameters, std::nullopt,
               customUserID);
}

void leadConverted(const QString& leadID, const SignalParameters& parameters,
                   const std::optional<QString>& customUserID)
{
    sendPreset(QStringLiteral("Insights.Acquisition.leadConverted"),
               {{QStringLiteral("Insights.Acquisition.leadID"), leadID}}, parameters, std::nullopt,
               customUserID);
}

void onboardingCompleted(const SignalParameters& parameters,
                         const std::optional<QString>& customUserID)
{
    sendPreset(QStringLiteral("Insights.Activation.onboardingCompleted"), {}, parameters,
               std::nullopt, customUserID);
}

void coreFeatureUsed(const QString& featureName, const SignalParameters& parameters,
                     const std::optional<QString>& customUserID)
{
    sendPreset(QStringLiteral("Insights.Activation.coreFeatureUsed"),
               {{QStringLiteral("Insights.Activation.featureName"), featureName}}, parameters,
               std::nullopt, customUserID);
}

void referralSent(qint64 receiversCount, const std::optional<QString>& kind,
                  const SignalParameters& parameters, const std::optional<QString>& customUserID)
{
    SignalParameters own{
        {QStringLiteral("Insights.Referral.receiversCount"), QString::number(receiversCount)}};
    if (kind)
        own.insert(QStringLiteral("Insights.Referral.kind"), *kind);
    sendPreset(QStringLiteral("Insights.Referral.sent"), own, parameters, std::nullopt,
               customUserID);
}

void userRatingSubmitted(qint64 rating, const std::optional<QString>& comment,
                         const SignalParameters& parameters,
                         const std::optional<QString>& customUserID)
{
    if (rating < lowestRating || rating > highestRating) {
        InsightsManager::shared()->configuration()->log(
            LogLevel::error, QStringLiteral("Rating must be between 0 and 10"));
        return;
    }
    SignalParameters own{
        {QStringLiteral("Insights.Referral.ratingValue"), QString::number(rating)}};
    if (comment)
        own.insert(QStringLiteral("Insights.Referral.ratingComment"), *comment);
    sendPreset(QStringLiteral("Insights.Referral.userRatingSubmitted"), own, parameters,
               std::nullopt, customUserID);
}

void paywallShown(const QString& reason, const SignalParameters& parameters,
                  const std::optional<QString>& customUserID)
{
    sendPreset(QStringLiteral("Insights.Revenue.paywallShown"),
               {{QStringLiteral("Insights.Revenue.paywallShowReason"), reason}}, parameters,
               std::nullopt, customUserID);
}

void errorOccurred(const QString& id, std::optional<ErrorCategory> category,
                   const std::optional<QString>& message, const SignalParameters& parameters,
                   std::optional<double> floatValue, const std::optional<QString>& customUserID)
{
    SignalParameters own{{errorIDKey, id}};
    if (category)
        own.insert(errorCategoryKey, errorCategoryRawValue(*category));
    if (message)
        own.insert(errorMessageKey, *message);
    sendPreset(errorSignal, own, parameters, floatValue, customUserID);
}

void errorOccurred(const IdentifiableError& identifiableError, ErrorCategory category,
                   const SignalParameters& parameters, std::optional<double> floatValue,
                   const std::optional<QString>& customUserID)
{
    errorOccurred(identifiableError, category, identifiableError.localizedDescription(), parameters,
                  floatValue, customUserID);
}

void errorOccurred(const IdentifiableError& identifiableError, ErrorCategory category,
                   const std::optional<QString>& message, const SignalParameters& parameters,
                   std::optional<double> floatValue, const std::optional<QString>& customUserID)
{
    errorOccurred(identifiableError.id(), category, message, parameters, floatValue, customUserID);
}

void navigationPathChanged(const QString& from, const QString& to,
                           const std::optional<QString>& customUserID)
{
    NavigationStatus::exchangePreviousNavigationPath(to);
    reportNavigation(from, to, customUserID);
}

void navigationPathChanged(const QString& to, const std::optional<QString>& customUserID)
{
    const auto previous = NavigationStatus::exchangePreviousNavigationPath(to);
    reportNavigation(previous.value_or(QString()), to, customUserID);
}

} // namespace Insights
