#include "ClientHarness.h"

#include "analytics/Insights.h"
#include "analytics/InsightsManager.h"
#include "analytics/Sha256.h"
#include "platform/UserDefaults.h"

#include <QCryptographicHash>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

// Published vectors; the salt follows the text.
TEST(HashingTest, MatchesPublishedSha256Vectors)
{
    const std::pair<const char*, const char*> vectors[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"}};
    for (const auto& [text, digest] : vectors) {
        SCOPED_TRACE(text);
        EXPECT_EQ(sha256Hex(QString::fromLatin1(text)), QString::fromLatin1(digest));
    }
    EXPECT_EQ(sha256Hex(QStringLiteral("ab"), QStringLiteral("c")),
              QString::fromLatin1(vectors[1].second));
}

TEST(HashingTest, TextIsEncodedAsUtf8)
{
    // "é" is the two bytes C3 A9 in UTF-8.
    EXPECT_EQ(sha256Hex(QStringLiteral("\u00e9")),
              QString::fromLatin1(
                  QCryptographicHash::hash("\xc3\xa9", QCryptographicHash::Sha256).toHex()));
    EXPECT_EQ(sha256Hex(QString(QChar(0xD800))), QString());
}

TEST(HashingTest, TheSuiteIsNamedAfterTheLastTwelveDigitsOfTheIdentifiersHash)
{
    EXPECT_EQ(InsightsManager::suiteName(QStringLiteral("abc")),
              QStringLiteral("analytics.client.ff61f20015ad"));
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
    UserDefaults* suite = UserDefaults::suite(InsightsManager::suiteName(ClientHarness::appID()));
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
    harness.configuration =
        harness.makeConfiguration(harness.server.baseUrl(), QStringLiteral("pepper"));
    harness.start();
    Insights::signal(QStringLiteral("a"), {}, std::nullopt, QStringLiteral("alice"));
    harness.mainQueue.runPending();
    harness.configuration->setDefaultUser(QStringLiteral("bob"));
    Insights::signal(QStringLiteral("b"));
    const QList<SignalPostBody> cached = harness.quitAndReadCache();
    ASSERT_EQ(cached.size(), 2);
    EXPECT_EQ(cached[0].clientUser, sha256Hex(QStringLiteral("alice"), QStringLiteral("pepper")));
    EXPECT_EQ(cached[1].clientUser, sha256Hex(QStringLiteral("bob"), QStringLiteral("pepper")));
    EXPECT_FALSE(analyticsDefaults()->string(QStringLiteral("defaultUserIdentifier")).isEmpty());
}

} // namespace
