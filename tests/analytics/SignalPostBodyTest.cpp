#include "analytics/SignalPostBody.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

SignalPostBody record()
{
    SignalPostBody body;
    body.receivedAt = QDateTime(QDate(2024, 5, 1), QTime(12, 34, 56, 789), Qt::UTC);
    body.appID = QStringLiteral("APP");
    body.clientUser = QStringLiteral("user-hash");
    body.sessionID = QStringLiteral("SESSION");
    body.type = QStringLiteral("note_created");
    body.payload = {{QStringLiteral("a"), QStringLiteral("1")},
                    {QStringLiteral("b"), QStringLiteral("2")}};
    body.isTestMode = QStringLiteral("false");
    return body;
}

QJsonObject wireObject(const SignalPostBody& body)
{
    return QJsonDocument::fromJson(SignalPostBody::encodeWireBatch({body}))
        .array()
        .first()
        .toObject();
}

// The keys in the order of the record's fields, not sorted.
TEST(SignalPostBodyTest, WireFormHasSevenKeysInFieldOrderWithoutFloatValueAndTextForTestMode)
{
    const QByteArray batch = SignalPostBody::encodeWireBatch({record()});
    EXPECT_EQ(batch,
              QByteArrayLiteral("[{\"receivedAt\":\"2024-05-01T12:34:56+0000\",\"appID\":\"APP\","
                                "\"clientUser\":\"user-hash\",\"sessionID\":\"SESSION\",\"type\":"
                                "\"note_created\",\"payload\":{\"a\":\"1\",\"b\":\"2\"},"
                                "\"isTestMode\":\"false\"}]"));
    EXPECT_FALSE(batch.contains("null"));
}

TEST(SignalPostBodyTest, FloatValueZeroAndEmptyPayloadAreWritten)
{
    SignalPostBody body = record();
    body.floatValue = 0.0;
    body.payload.clear();
    const QJsonObject object = wireObject(body);
    EXPECT_EQ(object.size(), 8);
    ASSERT_TRUE(object.value(QStringLiteral("floatValue")).isDouble());
    EXPECT_EQ(object.value(QStringLiteral("floatValue")).toDouble(), 0.0);
    EXPECT_TRUE(object.value(QStringLiteral("payload")).isObject());
    EXPECT_TRUE(object.value(QStringLiteral("payload")).toObject().isEmpty());
    EXPECT_TRUE(SignalPostBody::encodeWireBatch({body}).contains(
        "\"type\":\"note_created\",\"floatValue\":0,\"payload\":{},"));
}

// Texts are escaped as JSON wants, and every record of the batch is written.
TEST(SignalPostBodyTest, BatchTextsAreEscapedAndEveryRecordIsWritten)
{
    SignalPostBody odd = record();
    odd.type = QStringLiteral("quote \" backslash \\ line\n\u00e9");
    odd.payload = {{QStringLiteral("k\"ey"), QStringLiteral("\t")}};
    const QJsonDocument document =
        QJsonDocument::fromJson(SignalPostBody::encodeWireBatch({record(), odd}));
    ASSERT_TRUE(document.isArray());
    ASSERT_EQ(document.array().size(), 2);
    const QJsonObject second = document.array().at(1).toObject();
    EXPECT_EQ(second.value(QStringLiteral("type")).toString(), odd.type);
    EXPECT_EQ(second.value(QStringLiteral("payload")).toObject().value(QStringLiteral("k\"ey")),
              QStringLiteral("\t"));
    EXPECT_EQ(SignalPostBody::encodeWireBatch({}), QByteArrayLiteral("[]"));
}

TEST(SignalPostBodyTest, WireDatesAreUtcWholeSecondsNeverRoundedUp)
{
    EXPECT_EQ(
        SignalPostBody::wireDate(QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59, 999), Qt::UTC)),
        QStringLiteral("2023-12-31T23:59:59+0000"));
    const QDateTime eastern(QDate(2024, 5, 1), QTime(9, 0, 0), QTimeZone(-4 * 3600));
    EXPECT_EQ(SignalPostBody::wireDate(eastern), QStringLiteral("2024-05-01T13:00:00+0000"));
}

TEST(SignalPostBodyTest, CacheFormCountsSecondsFrom2001AndReadsBack)
{
    SignalPostBody body = record();
    body.floatValue = 2.5;
    const QJsonObject cached = body.toCacheJson();
    EXPECT_DOUBLE_EQ(cached.value(QStringLiteral("receivedAt")).toDouble(), 736259696.789);
    EXPECT_EQ(SignalPostBody::fromCacheJson(cached), body);

    // An absent value reads back absent, not as zero.
    const SignalPostBody withoutValue = record();
    QJsonObject withNull = withoutValue.toCacheJson();
    withNull.insert(QStringLiteral("floatValue"), QJsonValue::Null);
    EXPECT_EQ(SignalPostBody::fromCacheJson(withNull), withoutValue);
    body.floatValue = 0.0;
    EXPECT_NE(SignalPostBody::fromCacheJson(withNull), body);
}

TEST(SignalPostBodyTest, CacheRecordsWithMissingOrMistypedKeysAreRefused)
{
    const QJsonObject good = record().toCacheJson();
    for (const char* key :
         {"receivedAt", "appID", "clientUser", "sessionID", "type", "payload", "isTestMode"}) {
        QJsonObject missing = good;
        missing.remove(QString::fromLatin1(key));
        EXPECT_FALSE(SignalPostBody::fromCacheJson(missing)) << key;
    }
    QJsonObject wrongDate = good;
    wrongDate.insert(QStringLiteral("receivedAt"), QStringLiteral("2024-05-01T12:34:56+0000"));
    EXPECT_FALSE(SignalPostBody::fromCacheJson(wrongDate));
    QJsonObject numberInPayload = good;
    numberInPayload.insert(QStringLiteral("payload"), QJsonObject{{QStringLiteral("a"), 1}});
    EXPECT_FALSE(SignalPostBody::fromCacheJson(numberInPayload));
}

} // namespace
