#include "ClientHarness.h"

#include "analytics/Insights.h"
#include "analytics/InsightsManager.h"
#include "analytics/Sha256.h"
#include "platform/UserDefaults.h"

#include <QCryptographicHash>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

TEST(HashingTest, MatchesPublishedSha256Vectors)
{
    EXPECT_EQ(sha256Hex(QString()),
              QStringLiteral("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
    EXPECT_EQ(sha256Hex(QStringLiteral("abc")),
              QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
    EXPECT_EQ(sha256Hex(QStringLiteral("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              QStringLiteral("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"));
}

TEST(HashingTest, TheSaltFollowsTheTextAndTextIsEncodedAsUtf8)
{
    EXPECT_EQ(sha256Hex(QStringLiteral("ab"), QStringLiteral("c")),
              sha256Hex(QStringLiteral("abc")));
    EXPECT_NE(sha256Hex(QStringLiteral("c"), QStringLiteral("ab")),
              sha256Hex(QStringLiteral("abc")));
    // "é" is the two bytes C3 A9 in UTF-8.
    EXPECT_EQ(sha256Hex(QStringLiteral("\u00e9")),
              QString::fromLatin1(
                  QCryptographicHash::hash("\xc3\xa9", QCryptographicHash::Sha256).toHex()));
    EXPECT_EQ(sha256Hex(QString(QChar(0xD800))), QString());
}

TEST(HashingTest, TheSuiteIsNamedAfterTheLastTwelveDigitsOfTheIdentifiersHash)
{
    const QString name = InsightsManager::suiteName(QStringLiteral("abc"));
    EXPECT_EQ(name, QStringLiteral("analytics.client.ff61f20015ad"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^analytics\\.client\\.[0-9a-f]{12}$"))
                    .match(InsightsManager::suiteName(QStringLiteral("other")))
                    .hasMatch());
}

TEST(IdentityTest, TheGeneratedUserIsStoredAndReusedByTheNextRun)
{
    QString firstHash;
    {
        ClientHarness harness;
        harness.start();
        firstHash = InsightsManager::shared()->hashedDefaultUser();
        Insights::signal(QStringLiteral("app_launched"));
        const QList<SignalPostBody> cached = harness.quitAndReadCache();
        ASSERT_EQ(cached.size(), 1);
        EXPECT_EQ(cached.first().clientUser, firstHash);
    }
    UserDefaults* suite = UserDefaults::suite(
        InsightsManager::suiteName(QStringLiteral("1F4A9C3E-55B2-4C7D-9E61-0A8B7C6D5E4F")));
    const QString stored = suite->string(QStringLiteral("defaultUserIdentifier"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$"))
                    .match(stored)
                    .hasMatch())
        << stored.toStdString();
    EXPECT_EQ(firstHash, sha256Hex(stored));

    ClientHarness nextRun;
    nextRun.start();
    EXPECT_EQ(InsightsManager::shared()->hashedDefaultUser(), firstHash);
}

TEST(IdentityTest, ACustomUserReplacesTheDefaultWhichIsStillResolvedAndTheSaltApplies)
{
    ClientHarness harness;
    harness.configuration = std::make_shared<InsightsManagerConfiguration>(
        QStringLiteral("APP"), QStringLiteral("pepper"), harness.server.baseUrl());
    harness.configuration->setSessionStatsEnabled(false);
    harness.start();
    Insights::signal(QStringLiteral("a"), {}, std::nullopt, QStringLiteral("alice"));
    harness.mainQueue.runPending();
    harness.configuration->setDefaultUser(QStringLiteral("bob"));
    Insights::signal(QStringLiteral("b"));
    const QList<SignalPostBody> cached = harness.quitAndReadCache();
    ASSERT_EQ(cached.size(), 2);
    EXPECT_EQ(cached[0].clientUser, sha256Hex(QStringLiteral("alice"), QStringLiteral("pepper")));
    EXPECT_EQ(cached[1].clientUser, sha256Hex(QStringLiteral("bob"), QStringLiteral("pepper")));
    EXPECT_FALSE(UserDefaults::suite(InsightsManager::suiteName(QStringLiteral("APP")))
                     ->string(QStringLiteral("defaultUserIdentifier"))
                     .isEmpty());
}

} // namespace
