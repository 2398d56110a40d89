#include "platform/ClockRecord.h"
#include "platform/BootClock.h"
#include "platform/Clock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;

struct Case
{
    const char* what;
    // "$boot" stands for the present boot's id, "$wall" for the wall clock's time before the
    // jump.
    QByteArray record;
    std::optional<milliseconds> jump;
};

TEST(ClockRecordTest, OnlyARecordOfThisBootTellsAJump)
{
    ManualClock clock;
    ManualBootClock bootClock(clock);
    const QByteArray wall = QByteArray::number(clock.now().toMSecsSinceEpoch());
    const QByteArray bootID = bootClock.read()->bootID;
    clock.jump(72h);
    const std::vector<Case> cases{
        {"a record of this boot", R"({"bootID":"$boot","sinceBootMsecs":0,"wallClockMsecs":$wall})",
         72h},
        {"a record of another boot",
         R"({"bootID":"another","sinceBootMsecs":0,"wallClockMsecs":$wall})", std::nullopt},
        {"a boot id that is not text",
         R"({"bootID":["$boot"],"sinceBootMsecs":0,"wallClockMsecs":$wall})", std::nullopt},
        {"times as text", R"({"bootID":"$boot","sinceBootMsecs":"0","wallClockMsecs":"$wall"})",
         std::nullopt},
        {"no times", R"({"bootID":"$boot"})", std::nullopt},
        {"a time since boot that this boot has not reached",
         R"({"bootID":"$boot","sinceBootMsecs":1,"wallClockMsecs":$wall})", std::nullopt},
        {"cut short", R"({"bootID":"$boot","sinceBootMsecs":0,"wallClo)", std::nullopt},
    };
    const QString path = ClockRecord::defaultPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(testCase.record).replace("$boot", bootID).replace("$wall", wall));
        file.close();
        EXPECT_EQ(ClockRecord(path, clock, bootClock).readJump(), testCase.jump);
    }
}

} // namespace
