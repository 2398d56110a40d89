#include "platform/UserDefaults.h"

#include "platform/MainQueue.h"
#include "support/LogCapture.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPoint>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

class UserDefaultsTest : public testing::Test
{
protected:
    QString directory() const { return m_folder.path() + QStringLiteral("/config"); }
    std::unique_ptr<UserDefaults> open() const
    {
        return std::make_unique<UserDefaults>(QStringLiteral("domain"), directory());
    }

    QTemporaryDir m_folder;
};

TEST_F(UserDefaultsTest, EveryTypeRoundTripsExactlyThroughTheFile)
{
    const QVariantMap nested{{QStringLiteral("n"), QVariant(qint64(-3))},
                             {QStringLiteral("l"), QVariantList{true, 2.0, QStringLiteral("x")}}};
    const std::vector<std::pair<QString, QVariant>> values{
        {QStringLiteral("bool"), true},
        {QStringLiteral("max"), std::numeric_limits<qint64>::max()},
        {QStringLiteral("min"), std::numeric_limits<qint64>::min()},
        {QStringLiteral("two"), 2.0},
        {QStringLiteral("third"), 1.0 / 3.0},
        {QStringLiteral("inf"), -std::numeric_limits<double>::infinity()},
        {QStringLiteral("text"), QStringLiteral("tab\there \"quoted\" ✓")},
        {QStringLiteral("empty"), QString()},
        {QStringLiteral("bytes"), QByteArray("\x00\xff\x10", 3)},
        {QStringLiteral("dict"), nested},
    };
    {
        auto defaults = open();
        for (const auto& [key, value] : values)
            defaults->set(key, value);
    }
    auto reread = open();
    for (const auto& [key, value] : values) {
        const QVariant stored = reread->object(key);
        EXPECT_EQ(stored.metaType(), value.metaType()) << key.toStdString();
        EXPECT_EQ(stored, value) << key.toStdString();
    }
    reread->set(QStringLiteral("nan"), std::numeric_limits<double>::quiet_NaN());
    EXPECT_TRUE(std::isnan(open()->doubleValue(QStringLiteral("nan"))));
}

TEST_F(UserDefaultsTest, SmallIntegerTypesAreStoredAsIntegersAndOthersAreRefused)
{
    auto defaults = open();
    defaults->set(QStringLiteral("int"), 14);
    EXPECT_EQ(open()->object(QStringLiteral("int")).metaType().id(), QMetaType::LongLong);

    LogCapture log;
    defaults->set(QStringLiteral("point"), QVariant::fromValue(QPoint(1, 2)));
    EXPECT_FALSE(open()->object(QStringLiteral("point")).isValid());
    EXPECT_EQ(log.matching(QStringLiteral("refused")).size(), 1);
}

TEST_F(UserDefaultsTest, RegisteredDefaultsAnswerReadsButAreNeverWritten)
{
    auto defaults = open();
    defaults->registerDefaults({{QStringLiteral("size"), 14}, {QStringLiteral("on"), true}});
    EXPECT_EQ(defaults->integer(QStringLiteral("size")), 14);
    defaults->set(QStringLiteral("other"), 1);
    EXPECT_FALSE(open()->object(QStringLiteral("size")).isValid());

    defaults->set(QStringLiteral("size"), 20);
    EXPECT_EQ(defaults->integer(QStringLiteral("size")), 20);
    defaults->remove(QStringLiteral("size"));
    EXPECT_EQ(defaults->integer(QStringLiteral("size")), 14);
}

TEST_F(UserDefaultsTest, TypedReadsConvertLikeTheirNamesSay)
{
    auto defaults = open();
    defaults->set(QStringLiteral("flag"), QStringLiteral("YES"));
    defaults->set(QStringLiteral("number"), 2.9);
    defaults->set(QStringLiteral("huge"), 1e300);
    defaults->set(QStringLiteral("text"), 5);
    EXPECT_TRUE(defaults->boolValue(QStringLiteral("flag")));
    EXPECT_EQ(defaults->integer(QStringLiteral("number")), 2);
    EXPECT_EQ(defaults->integer(QStringLiteral("huge")), 0);
    EXPECT_TRUE(defaults->string(QStringLiteral("text")).isNull());
    EXPECT_FALSE(defaults->boolValue(QStringLiteral("absent")));
    EXPECT_TRUE(defaults->array(QStringLiteral("text")).isEmpty());
}

TEST_F(UserDefaultsTest, AFileThatIsNoJsonObjectIsMovedAsideAndTheDomainStartsEmpty)
{
    for (const QByteArray& bytes : {QByteArray("{\"a\": {\"int\": \"1\""), QByteArray("[]")}) {
        QDir(directory()).removeRecursively();
        const QString path = directory() + QStringLiteral("/domain.json");
        TestFiles::write(path, bytes);
        LogCapture log;
        auto defaults = open();
        EXPECT_FALSE(defaults->object(QStringLiteral("a")).isValid());
        EXPECT_FALSE(QFileInfo::exists(path));
        const QStringList aside =
            QDir(directory()).entryList({QStringLiteral("domain.json.corrupt-*")});
        ASSERT_EQ(aside.size(), 1) << bytes.toStdString();
        EXPECT_EQ(TestFiles::read(directory() + QLatin1Char('/') + aside.first()), bytes);
        EXPECT_EQ(log.matching(QStringLiteral("unreadable")).size(), 1);
    }
}

// A value that cannot be read costs its own key only: the key reads as its default, one line
// names it, and the file keeps the value as it was found.
TEST_F(UserDefaultsTest, AnUnreadableValueFallsBackAloneAndIsKeptInTheFile)
{
    struct Row
    {
        const char* key;
        const char* stored;
        QVariant read; // invalid: unreadable
    };
    const Row rows[] = {
        {"asText", R"({"int": "18"})", qint64(18)},
        {"asNumber", R"({"int": 18})", qint64(18)},
        {"negative", R"({"int": -7})", qint64(-7)},
        {"large", R"({"int": 9007199254740993})", qint64(9007199254740993)},
        {"fraction", R"({"int": 18.5})", {}},
        {"outOfRange", R"({"int": 1e19})", {}},
        {"notANumber", R"({"int": "x"})", {}},
        {"unknownType", R"({"float": 1})", {}},
        {"twoTypes", R"({"bool": true, "int": "1"})", {}},
        {"bare", R"(true)", {}},
        {"badMember", R"({"array": [{"int": 1}, {"bool": "yes"}]})", {}},
        {"text", R"({"string": "kept"})", QStringLiteral("kept")},
    };
    QByteArrayList members;
    for (const Row& row : rows)
        members.append(QByteArray("\"") + row.key + "\": " + row.stored);
    const QByteArray file = "{" + members.join(", ") + "}";
    const QString path = directory() + QStringLiteral("/domain.json");
    TestFiles::write(path, file);
    const QJsonObject written = QJsonDocument::fromJson(file).object();

    LogCapture log;
    auto defaults = open();
    QVariantMap fallbacks;
    for (const Row& row : rows)
        fallbacks.insert(QString::fromLatin1(row.key), QStringLiteral("default"));
    defaults->registerDefaults(fallbacks);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key);
        const QString key = QString::fromLatin1(row.key);
        const QVariant read = defaults->object(key);
        EXPECT_EQ(read.metaType(),
                  row.read.isValid() ? row.read.metaType() : QMetaType::fromType<QString>());
        EXPECT_EQ(read, row.read.isValid() ? row.read : QVariant(QStringLiteral("default")));
        EXPECT_EQ(log.matching(QLatin1Char('"') + key + QLatin1Char('"')).size(),
                  row.read.isValid() ? 0 : 1);
    }

    defaults->set(QStringLiteral("text"), QStringLiteral("changed"));
    defaults->synchronize();
    const QJsonObject rewritten = QJsonDocument::fromJson(TestFiles::read(path)).object();
    for (const Row& row : rows) {
        const QString key = QString::fromLatin1(row.key);
        if (!row.read.isValid()) {
            EXPECT_EQ(rewritten.value(key), written.value(key)) << row.key;
        }
    }
    EXPECT_EQ(open()->string(QStringLiteral("text")), QStringLiteral("changed"));
    EXPECT_TRUE(QDir(directory()).entryList({QStringLiteral("domain.json.corrupt-*")}).isEmpty());
}

// Many changes a second reach the file once per interval, the first at once; nothing owed is
// lost when the domain is synchronized at quit.
TEST_F(UserDefaultsTest, ChangesInQuickSuccessionAreWrittenTogether)
{
    ManualScheduler scheduler;
    ManualMainQueue mainQueue;
    UserDefaults defaults(QStringLiteral("domain"), directory(), scheduler, mainQueue);
    const auto onDisk = [&](const char* key) { return open()->object(QString::fromLatin1(key)); };

    defaults.set(QStringLiteral("a"), 1);
    mainQueue.runPending();
    EXPECT_EQ(onDisk("a"), QVariant(qint64(1)));
    defaults.set(QStringLiteral("a"), 2);
    defaults.set(QStringLiteral("b"), 3);
    scheduler.advance(UserDefaults::coalescingInterval - 1ms);
    EXPECT_EQ(onDisk("a"), QVariant(qint64(1)));
    EXPECT_FALSE(onDisk("b").isValid());
    scheduler.advance(1ms);
    EXPECT_EQ(onDisk("a"), QVariant(qint64(2)));
    EXPECT_EQ(onDisk("b"), QVariant(qint64(3)));

    // Still within the interval that the last write began.
    defaults.remove(QStringLiteral("b"));
    EXPECT_EQ(onDisk("b"), QVariant(qint64(3)));
    defaults.synchronize();
    EXPECT_FALSE(onDisk("b").isValid());

    // A quiet interval ends the coalescing: the next change is written at once.
    scheduler.advance(2 * UserDefaults::coalescingInterval);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    defaults.set(QStringLiteral("c"), 4);
    EXPECT_EQ(onDisk("c"), QVariant(qint64(4)));
}

TEST_F(UserDefaultsTest, RemovingThePersistentDomainForgetsValuesButKeepsRegisteredOnes)
{
    auto defaults = open();
    defaults->registerDefaults({{QStringLiteral("a"), 1}});
    defaults->set(QStringLiteral("a"), 2);
    defaults->removePersistentDomain();
    EXPECT_EQ(defaults->integer(QStringLiteral("a")), 1);
    EXPECT_FALSE(QFileInfo::exists(defaults->filePath()));
}

TEST_F(UserDefaultsTest, SuitesAreSharedByNameAndRejectNamesThatAreNotFileNames)
{
    EXPECT_EQ(UserDefaults::suite(QStringLiteral("one")),
              UserDefaults::suite(QStringLiteral("one")));
    EXPECT_NE(UserDefaults::suite(QStringLiteral("one")),
              UserDefaults::suite(QStringLiteral("two")));
    EXPECT_EQ(UserDefaults::suite(QString()), nullptr);
    EXPECT_EQ(UserDefaults::suite(QStringLiteral("../escape")), nullptr);
    EXPECT_TRUE(
        UserDefaults::suite(QStringLiteral("one"))->filePath().startsWith(TestFiles::home()));
}

TEST_F(UserDefaultsTest, ConcurrentWritersLoseNothing)
{
    auto defaults = open();
    std::vector<std::thread> writers;
    for (int thread = 0; thread < 4; ++thread) {
        writers.emplace_back([&, thread] {
            for (int i = 0; i < 25; ++i) {
                defaults->set(QStringLiteral("k%1-%2").arg(thread).arg(i), i);
                (void)defaults->integer(QStringLiteral("k0-0"));
            }
        });
    }
    for (auto& writer : writers)
        writer.join();
    defaults->synchronize();
    auto reread = open();
    for (int thread = 0; thread < 4; ++thread)
        for (int i = 0; i < 25; ++i)
            EXPECT_EQ(reread->integer(QStringLiteral("k%1-%2").arg(thread).arg(i)), i);
}

} // namespace
