#include "platform/DeviceInfo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(DeviceInfoTest, ReadsTheDistributionAndTheFirmwareModel)
{
    QTemporaryDir root;
    QDir().mkpath(root.path() + QStringLiteral("/etc"));
    QDir().mkpath(root.path() + QStringLiteral("/sys/class/dmi/id"));
    QFile release(root.path() + QStringLiteral("/etc/os-release"));
    ASSERT_TRUE(release.open(QIODevice::WriteOnly));
    release.write("# comment\nNAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12.4\"\nID=debian\n");
    release.close();
    QFile product(root.path() + QStringLiteral("/sys/class/dmi/id/product_name"));
    ASSERT_TRUE(product.open(QIODevice::WriteOnly));
    product.write("Latitude 7440\n");
    product.close();

    const DeviceInfo info = DeviceInfo::read(root.path());
    EXPECT_EQ(info.osName, QStringLiteral("Debian GNU/Linux"));
    EXPECT_EQ(info.osVersion, QVersionNumber(12, 4));
    EXPECT_EQ(info.modelName, QStringLiteral("Latitude 7440"));
    EXPECT_FALSE(info.machine.isEmpty());
}

TEST(DeviceInfoTest, MissingFilesFallBackToLinuxAndTheMachineName)
{
    QTemporaryDir root;
    const DeviceInfo info = DeviceInfo::read(root.path());
    EXPECT_EQ(info.osName, QStringLiteral("Linux"));
    EXPECT_TRUE(info.osVersion.isNull());
    EXPECT_EQ(info.modelName, info.machine);
}

} // namespace
