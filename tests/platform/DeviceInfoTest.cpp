#include "platform/DeviceInfo.h"

#include "support/TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(DeviceInfoTest, ReadsTheDistributionAndTheFirmwareModelElseFallsBack)
{
    QTemporaryDir root;
    const DeviceInfo bare = DeviceInfo::read(root.path());
    EXPECT_EQ(bare.osName, QStringLiteral("Linux"));
    EXPECT_TRUE(bare.osVersion.isNull());
    EXPECT_FALSE(bare.machine.isEmpty());
    EXPECT_EQ(bare.modelName, bare.machine);

    TestFiles::write(root.path() + QStringLiteral("/etc/os-release"),
                     "# comment\nNAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12.4\"\nID=debian\n");
    TestFiles::write(root.path() + QStringLiteral("/sys/class/dmi/id/product_name"),
                     "Latitude 7440\n");
    const DeviceInfo info = DeviceInfo::read(root.path());
    EXPECT_EQ(info.osName, QStringLiteral("Debian GNU/Linux"));
    EXPECT_EQ(info.osVersion, QVersionNumber(12, 4));
    EXPECT_EQ(info.modelName, QStringLiteral("Latitude 7440"));
}

} // namespace
