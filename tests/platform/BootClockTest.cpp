#include "platform/BootClock.h"

#include <QFile>

#include <gtest/gtest.h>

#include <time.h>

namespace {

using namespace std::chrono_literals;

TEST(BootClockTest, TheKernelsBootAndTimeSinceBoot)
{
    QFile bootIDFile(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    ASSERT_TRUE(bootIDFile.open(QIODevice::ReadOnly));
    const auto reading = BootClock::system().read();
    timespec sinceBoot{};
    clock_gettime(CLOCK_BOOTTIME, &sinceBoot);

    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->bootID, bootIDFile.readAll().trimmed());
    const auto expected = std::chrono::seconds(sinceBoot.tv_sec) +
                          std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::nanoseconds(sinceBoot.tv_nsec));
    // The kernel's file tells hundredths of a second.
    EXPECT_LE(std::chrono::abs(reading->sinceBoot - expected), 1s);
}

} // namespace
