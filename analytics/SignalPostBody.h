#pragma once

#include "analytics/SignalParameters.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>

#include <optional>

// One signal as the service receives it, and as the cache file keeps it.
struct SignalPostBody
{
    QDateTime receivedAt;
    QString appID;
    QString clientUser;
    QString sessionID;
    QString type;
    std::optional<double> floatValue;
    SignalParameters payload;
    QString isTestMode;

    friend bool operator==(const SignalPostBody&, const SignalPostBody&) = default;

    // Cache-file form: receivedAt as seconds since 2001-01-01T00:00:00Z, with fraction.
    QJsonObject toCacheJson() const;
    static std::optional<SignalPostBody> fromCacheJson(const QJsonObject& object);

    // Every field with its value, for the debug log.
    QString description() const;

    static QString wireDate(const QDateTime& date);
    // One JSON array of the records in wire form, the body of one request: each record's
    // keys in the order of its fields, receivedAt as "yyyy-MM-ddTHH:mm:ss+0000" in UTC, the
    // fraction dropped.
    static QByteArray encodeWireBatch(const QList<SignalPostBody>& batch);
};
