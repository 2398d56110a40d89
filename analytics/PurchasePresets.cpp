#include "analytics/InsightsPresets.h"

#include "analytics/Insights.h"
#include "analytics/Transaction.h"
#include "analytics/TrialConversionTracker.h"

namespace Insights {

void purchaseCompleted(const Transaction& transaction, const SignalParameters& parameters,
                       const std::optional<QString>& customUserID)
{
    SignalParameters combined = transaction.purchaseParameters();
    combined.insert(parameters);
    if (!transaction.startsFreeTrial()) {
        internalSignal(QStringLiteral("Insights.Purchase.completed"), combined,
                       transaction.priceInUSD(), customUserID);
        return;
    }
    internalSignal(QStringLiteral("Insights.Purchase.freeTrialStarted"), combined, std::nullopt,
                   customUserID);
    TrialConversionTracker& tracker = TrialConversionTracker::shared();
    tracker.storeTrial(StoredTrial{transaction.productID, transaction.originalID});
    tracker.startObservingTransactions();
}

} // namespace Insights
