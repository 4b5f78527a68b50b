#include "platform/PortPermission.h"

#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

TEST(PortPermission, TheHintNamesTheDeviceAndTheGroup)
{
    EXPECT_EQ(PortPermissionHintText("/dev/ttyUSB0", "dialout"),
        "kelvara: no permission to open /dev/ttyUSB0: serial ports belong to the group 'dialout'; add your user to "
        "it (sudo usermod -aG dialout $USER) and log in again");
}

TEST(PortPermission, OnlyALackOfPermissionGivesAHint)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string device = dir.filePath(QStringLiteral("tty")).toStdString();
    EXPECT_EQ(PortPermissionHint(device), "") << "a missing device is another failure";
    std::ofstream(device) << "";
    EXPECT_EQ(PortPermissionHint(device), "");

    ASSERT_EQ(::chmod(device.c_str(), 0), 0);
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may open any device";
    std::string hint = PortPermissionHint(device);
    EXPECT_NE(hint.find("no permission to open " + device), std::string::npos) << hint;
}
