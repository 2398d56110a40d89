#pragma once

#include "analytics/SignalParameters.h"

#include <optional>

// Adds parameters of the host's own to every signal.
class SignalEnricher
{
public:
    virtual ~SignalEnricher() = default;
    virtual SignalParameters enrich(const QString& signalType,
                                    const std::optional<QString>& customUserID,
                                    std::optional<double> floatValue) const = 0;
};
