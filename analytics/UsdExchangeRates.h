#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <utility>

// Units of each currency per US dollar. The table has no row for the dollar itself.
const QList<std::pair<QString, double>>& usdExchangeRateRows();
// The rows by code, made once on first use.
const QHash<QString, double>& usdExchangeRates();
