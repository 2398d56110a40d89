#pragma once

#include "analytics/SignalParameters.h"

#include <optional>

struct Transaction;

enum class ErrorCategory { thrownException, userInput, appState };

QString errorCategoryRawValue(ErrorCategory category);
std::optional<ErrorCategory> errorCategoryFromRawValue(const QString& rawValue);

// An error with a stable identifier of its kind.
class IdentifiableError
{
public:
    virtual ~IdentifiableError() = default;
    virtual QString id() const = 0;
    virtual QString localizedDescription() const = 0;
};

// Gives any error a stable identifier.
class AnyIdentifiableError final : public IdentifiableError
{
public:
    AnyIdentifiableError(const QString& id, const QString& localizedDescription)
        : m_id(id)
        , m_localizedDescription(localizedDescription)
    {
    }
    QString id() const override { return m_id; }
    QString localizedDescription() const override { return m_localizedDescription; }

private:
    QString m_id;
    QString m_localizedDescription;
};

// Ready-made signals for common product events. Each sends one signal through the internal
// path, the caller's parameters over its own.
namespace Insights {

void acquiredUser(const QString& channel, const SignalParameters& parameters = {},
                  const std::optional<QString>& customUserID = std::nullopt);
void leadStarted(const QString& leadID, const SignalParameters& parameters = {},
                 const std::optional<QString>& customUserID = std::nullopt);
void leadConverted(const QString& leadID, const SignalParameters& parameters = {},
                   const std::optional<QString>& customUserID = std::nullopt);
void onboardingCompleted(const SignalParameters& parameters = {},
                         const std::optional<QString>& customUserID = std::nullopt);
void coreFeatureUsed(const QString& featureName, const SignalParameters& parameters = {},
                     const std::optional<QString>& customUserID = std::nullopt);
void referralSent(qint64 receiversCount = 1, const std::optional<QString>& kind = std::nullopt,
                  const SignalParameters& parameters = {},
                  const std::optional<QString>& customUserID = std::nullopt);
// Sends nothing, and logs, for a rating outside 0 to 10.
void userRatingSubmitted(qint64 rating, const std::optional<QString>& comment = std::nullopt,
                         const SignalParameters& parameters = {},
                         const std::optional<QString>& customUserID = std::nullopt);
void paywallShown(const QString& reason, const SignalParameters& parameters = {},
                  const std::optional<QString>& customUserID = std::nullopt);
void errorOccurred(const QString& id, std::optional<ErrorCategory> category = std::nullopt,
                   const std::optional<QString>& message = std::nullopt,
                   const SignalParameters& parameters = {},
                   std::optional<double> floatValue = std::nullopt,
                   const std::optional<QString>& customUserID = std::nullopt);
void errorOccurred(const IdentifiableError& identifiableError, ErrorCategory category,
                   const SignalParameters& parameters = {},
                   std::optional<double> floatValue = std::nullopt,
                   const std::optional<QString>& customUserID = std::nullopt);
void errorOccurred(const IdentifiableError& identifiableError, ErrorCategory category,
                   const std::optional<QString>& message, const SignalParameters& parameters = {},
                   std::optional<double> floatValue = std::nullopt,
                   const std::optional<QString>& customUserID = std::nullopt);
void navigationPathChanged(const QString& from, const QString& to,
                           const std::optional<QString>& customUserID = std::nullopt);
// The source is the destination of the previous report, empty at first.
void navigationPathChanged(const QString& to,
                           const std::optional<QString>& customUserID = std::nullopt);

// "Insights.Purchase.freeTrialStarted" (and the trial remembered for its conversion) or
// "Insights.Purchase.completed" with the price in US dollars.
void purchaseCompleted(const Transaction& transaction, const SignalParameters& parameters = {},
                       const std::optional<QString>& customUserID = std::nullopt);

} // namespace Insights
