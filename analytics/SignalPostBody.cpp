#include "SignalPostBody.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

namespace {

// The reference date of the cache file's timestamps.
constexpr qint64 referenceDateMsecsSinceEpoch = 978'307'200'000;
constexpr double msecsPerSecond = 1000.0;

const QString receivedAtKey = QStringLiteral("receivedAt");
const QString appIDKey = QStringLiteral("appID");
const QString clientUserKey = QStringLiteral("clientUser");
const QString sessionIDKey = QStringLiteral("sessionID");
const QString typeKey = QStringLiteral("type");
const QString floatValueKey = QStringLiteral("floatValue");
const QString payloadKey = QStringLiteral("payload");
const QString isTestModeKey = QStringLiteral("isTestMode");

using Members = QList<std::pair<QString, QJsonValue>>;

// The record's keys and values in the order of its fields; "floatValue" only when present.
Members members(const SignalPostBody& body, const QJsonValue& date)
{
    QJsonObject payload;
    for (auto it = body.payload.begin(); it != body.payload.end(); ++it)
        payload.insert(it.key(), it.value());

    Members members{{receivedAtKey, date},
                    {appIDKey, body.appID},
                    {clientUserKey, body.clientUser},
                    {sessionIDKey, body.sessionID},
                    {typeKey, body.type}};
    if (body.floatValue)
        members.append({floatValueKey, *body.floatValue});
    members.append({{payloadKey, payload}, {isTestModeKey, body.isTestMode}});
    return members;
}

// The JSON text of one value, escaped as QJsonDocument escapes it.
QByteArray jsonText(const QJsonValue& value)
{
    if (value.isObject())
        return QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.sliced(1, array.size() - 2);
}

// By hand, since QJsonObject sorts its keys: these stay in the order given. The keys are
// the record's plain names, with nothing to escape.
QByteArray orderedObjectText(const Members& members)
{
    QByteArrayList pairs;
    for (const auto& [key, value] : members)
        pairs.append('"' + key.toLatin1() + "\":" + jsonText(value));
    return '{' + pairs.join(',') + '}';
}

std::optional<QString> requiredString(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

} // namespace

QString SignalPostBody::wireDate(const QDateTime& date)
{
    return date.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + QStringLiteral("+0000");
}

QJsonObject SignalPostBody::toCacheJson() const
{
    const qint64 msecs = receivedAt.toMSecsSinceEpoch() - referenceDateMsecsSinceEpoch;
    QJsonObject object;
    for (const auto& [key, value] : members(*this, double(msecs) / msecsPerSecond))
        object.insert(key, value);
    return object;
}

std::optional<SignalPostBody> SignalPostBody::fromCacheJson(const QJsonObject& object)
{
    const QJsonValue date = object.value(receivedAtKey);
    const QJsonValue payload = object.value(payloadKey);
    const QJsonValue floatValue = object.value(floatValueKey);
    if (!date.isDouble() || !payload.isObject() ||
        !(floatValue.isUndefined() || floatValue.isNull() || floatValue.isDouble()))
        return std::nullopt;

    SignalPostBody body;
    const double seconds = date.toDouble();
    body.receivedAt = QDateTime::fromMSecsSinceEpoch(
        referenceDateMsecsSinceEpoch + qRound64(seconds * msecsPerSecond), Qt::UTC);
    const auto appID = requiredString(object, appIDKey);
    const auto clientUser = requiredString(object, clientUserKey);
    const auto sessionID = requiredString(object, sessionIDKey);
    const auto type = requiredString(object, typeKey);
    const auto isTestMode = requiredString(object, isTestModeKey);
    if (!appID || !clientUser || !sessionID || !type || !isTestMode)
        return std::nullopt;
    body.appID = *appID;
    body.clientUser = *clientUser;
    body.sessionID = *sessionID;
    body.type = *type;
    body.isTestMode = *isTestMode;
    if (floatValue.isDouble())
        body.floatValue = floatValue.toDouble();

    const QJsonObject members = payload.toObject();
    for (auto it = members.begin(); it != members.end(); ++it) {
        if (!it.value().isString())
            return std::nullopt;
        body.payload.insert(it.key(), it.value().toString());
    }
    return body;
}

QString SignalPostBody::description() const
{
    QStringList pairs;
    for (auto it = payload.begin(); it != payload.end(); ++it)
        pairs.append(QStringLiteral("\"%1\": \"%2\"").arg(it.key(), it.value()));
    return QStringLiteral("SignalPostBody(receivedAt: %1, appID: \"%2\", clientUser: \"%3\", "
                          "sessionID: \"%4\", type: \"%5\", floatValue: %6, payload: [%7], "
                          "isTestMode: \"%8\")")
        .arg(receivedAt.toUTC().toString(Qt::ISODateWithMs), appID, clientUser, sessionID, type,
             floatValue ? QString::number(*floatValue) : QStringLiteral("nil"),
             pairs.join(QStringLiteral(", ")), isTestMode);
}

QByteArray SignalPostBody::encodeWireBatch(const QList<SignalPostBody>& batch)
{
    QByteArrayList objects;
    for (const SignalPostBody& body : batch)
        objects.append(orderedObjectText(members(body, wireDate(body.receivedAt))));
    return '[' + objects.join(',') + ']';
}
