#include "platform/UserDefaults.h"

#include "platform/FileWriteQueue.h"
#include "platform/MainQueue.h"
#include "support/LogCapture.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPoint>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

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

TEST_F(UserDefaultsTest, TextsReadAsBooleansByTheirMeaning)
{
    auto defaults = open();
    const std::pair<const char*, bool> rows[] = {{"1", true},      {"-2", true}, {"true", true},
                                                 {"Yes", true},    {"0", false}, {"no", false},
                                                 {"false", false}, {"", false}};
    for (const auto& [text, meaning] : rows) {
        defaults->set(QStringLiteral("flag"), QString::fromLatin1(text));
        EXPECT_EQ(defaults->boolValue(QStringLiteral("flag")), meaning) << text;
    }
}

// A float is kept as the double of the same value: in memory, and read back from the file.
TEST_F(UserDefaultsTest, AFloatReadsBackAsTheNumberItWas)
{
    constexpr float third = 1.0f / 3.0f;
    auto defaults = open();
    defaults->set(QStringLiteral("float"), QVariant(third));
    for (const QVariant& value :
         {defaults->object(QStringLiteral("float")), open()->object(QStringLiteral("float"))}) {
        EXPECT_STREQ(value.typeName(), "double");
        EXPECT_EQ(value.toDouble(), double{third});
    }
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
    // Opening a FIFO in its place would wait for a writer for ever.
    QDir(directory()).removeRecursively();
    QDir().mkpath(directory());
    const QString path = directory() + QStringLiteral("/domain.json");
    ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    open();
    EXPECT_EQ(
        QDir(directory()).entryList({QStringLiteral("domain.json.corrupt-*")}, QDir::System).size(),
        1);
}

// The user's choices, a hashed id and device facts are no one else's: the folder is closed to
// others once the domain is read, and every file in it is 0600 once written, also where an older
// version left them open and when an unreadable file is set aside.
TEST_F(UserDefaultsTest, TheFolderAndEveryFileOfADomainAreTheUsersAlone)
{
    const QString path = directory() + QStringLiteral("/domain.json");
    // What was found, in a folder 0755 as a file 0644, and how many files there are then.
    const std::pair<QByteArray, qsizetype> found[] = {{{}, 1}, {"{}", 1}, {"{ not", 2}};
    for (const auto& [bytes, files] : found) {
        SCOPED_TRACE(bytes.toStdString());
        QDir(directory()).removeRecursively();
        if (!bytes.isEmpty()) {
            TestFiles::write(path, bytes);
            ::chmod(QFile::encodeName(directory()).constData(), 0755);
            ::chmod(QFile::encodeName(path).constData(), 0644);
        }
        LogCapture log;
        auto defaults = open();
        EXPECT_EQ(TestFiles::mode(directory()), bytes.isEmpty() ? 0 : 0700u);
        defaults->set(QStringLiteral("new"), true);
        EXPECT_EQ(TestFiles::mode(directory()), 0700u);
        const QStringList written = QDir(directory()).entryList(QDir::Files | QDir::Hidden);
        EXPECT_EQ(written.size(), files);
        for (const QString& file : written)
            EXPECT_EQ(TestFiles::mode(directory() + QLatin1Char('/') + file), 0600u)
                << file.toStdString();
    }
}

// A domain file that the user keeps elsewhere behind a link is written where the link points.
TEST_F(UserDefaultsTest, ADomainFileBehindALinkIsWrittenWhereTheLinkPoints)
{
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    const QString target = elsewhere.filePath(QStringLiteral("domain.json"));
    TestFiles::write(target, "{}");
    const QString path = directory() + QStringLiteral("/domain.json");
    ASSERT_TRUE(QDir().mkpath(directory()));
    ASSERT_TRUE(QFile::link(target, path));
    LogCapture log;
    auto defaults = open();
    defaults->set(QStringLiteral("new"), true);
    EXPECT_TRUE(TestFiles::read(target).contains("\"new\""));
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    EXPECT_TRUE(log.matching(QStringLiteral("Quillory:")).isEmpty())
        << log.messages().join(u'\n').toStdString();
}

// A value that cannot be read costs its own key only: the key reads as absent (so its
// default applies), one line names it, and the file keeps it as found.
TEST_F(UserDefaultsTest, AnUnreadableValueFallsBackAloneAndIsKeptInTheFile)
{
    const std::pair<const char*, QVariant> rows[] = {
        {R"({"int": "18"})", qint64(18)},
        {R"({"int": -7})", qint64(-7)},
        {R"({"int": 9007199254740993})", qint64(9007199254740993)},
        {R"({"int": 18.5})", {}},
        {R"({"int": "x"})", {}},
        {R"({"float": 1})", {}},
        {R"(true)", {}}};
    QByteArrayList members;
    for (const auto& [stored, read] : rows)
        members.append("\"k" + QByteArray::number(members.size()) + "\": " + stored);
    const QString path = directory() + QStringLiteral("/domain.json");
    TestFiles::write(path, "{" + members.join(", ") + "}");
    const QJsonObject written = QJsonDocument::fromJson(TestFiles::read(path)).object();

    LogCapture log;
    auto defaults = open();
    defaults->set(QStringLiteral("new"), 1);
    defaults->synchronize();
    const QJsonObject rewritten = QJsonDocument::fromJson(TestFiles::read(path)).object();
    for (qsizetype i = 0; i < qsizetype(std::size(rows)); ++i) {
        const QString key = QStringLiteral("k%1").arg(i);
        EXPECT_EQ(defaults->object(key).metaType(), rows[i].second.metaType()) << i;
        EXPECT_EQ(defaults->object(key), rows[i].second) << i;
        EXPECT_EQ(log.matching(u'"' + key + u'"').size(), rows[i].second.isValid() ? 0 : 1) << i;
        EXPECT_TRUE(rows[i].second.isValid() || rewritten.value(key) == written.value(key)) << i;
    }
    EXPECT_TRUE(QDir(directory()).entryList({QStringLiteral("domain.json.corrupt-*")}).isEmpty());
}

// Many changes a second reach the file once per interval, the first at once; nothing owed is
// lost when the domain is synchronized at quit.
TEST_F(UserDefaultsTest, ChangesInQuickSuccessionAreWrittenTogether)
{
    ManualScheduler scheduler;
    ManualMainQueue mainQueue;
    UserDefaults defaults(QStringLiteral("domain"), directory(), scheduler, mainQueue,
                          FileWriteQueue::immediate());
    const auto onDisk = [&](const char* key) { return open()->integer(QString::fromLatin1(key)); };
    defaults.set(QStringLiteral("a"), 1);
    mainQueue.runPending();
    defaults.set(QStringLiteral("a"), 2);
    defaults.set(QStringLiteral("b"), 3);
    scheduler.advance(UserDefaults::coalescingInterval - 1ms);
    EXPECT_EQ(onDisk("a") * 10 + onDisk("b"), 10);
    scheduler.advance(1ms);
    EXPECT_EQ(onDisk("a") * 10 + onDisk("b"), 23);

    defaults.remove(QStringLiteral("b"));
    EXPECT_EQ(onDisk("b"), 3);
    defaults.synchronize();
    EXPECT_EQ(onDisk("b"), 0);
    // A quiet interval ends the coalescing: the next change is written at once.
    scheduler.advance(2 * UserDefaults::coalescingInterval);
    defaults.set(QStringLiteral("c"), 4);
    EXPECT_EQ(onDisk("c"), 4);
}

// The caller never waits for the disk: the file is written when the queue gets to it, and a
// removal of the domain comes after a write of it that still waits.
TEST_F(UserDefaultsTest, TheFileIsWrittenThroughTheWriteQueue)
{
    ManualScheduler scheduler;
    ManualMainQueue mainQueue;
    ManualFileWriteQueue writes;
    UserDefaults defaults(QStringLiteral("domain"), directory(), scheduler, mainQueue, writes);
    defaults.set(QStringLiteral("a"), 1);
    EXPECT_FALSE(QFileInfo::exists(defaults.filePath()));
    EXPECT_EQ(writes.runPending(), 1);
    EXPECT_EQ(open()->integer(QStringLiteral("a")), 1);

    mainQueue.runPending();
    defaults.set(QStringLiteral("a"), 2);
    defaults.synchronize();
    defaults.removePersistentDomain();
    EXPECT_EQ(writes.runPending(), 1);
    EXPECT_FALSE(QFileInfo::exists(defaults.filePath()));
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
