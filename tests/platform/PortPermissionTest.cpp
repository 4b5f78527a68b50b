// SPDX-License-Identifier: GPL-3.0-or-later
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

TEST(PortPermission, AGroupIsNamedOnlyWhenJoiningItWouldLetTheUserIn)
{
    struct Case {
        const char *Name;
        TDeviceAccess Access;
        const char *JoinGroup;
        const char *OwnerAndMode;
    };
    const Case cases[] = {
        { "serial group with read and write, user not in it", { "root", "dialout", 0660, { "alice", "plugdev" } },
            "dialout", "root:dialout 0660" },
        { "the other distributions' serial group", { "root", "uucp", 0660, { "bob" } }, "uucp", "root:uucp 0660" },
        { "already in the group", { "root", "dialout", 0660, { "alice", "dialout" } }, "", "root:dialout 0660" },
        { "a root-only device", { "root", "root", 0600, { "alice" } }, "", "root:root 0600" },
        { "root's group may use it", { "root", "root", 0660, { "alice" } }, "", "root:root 0660" },
        { "a terminal", { "carol", "tty", 0620, { "alice" } }, "", "carol:tty 0620" },
        { "the group may only read", { "root", "dialout", 0640, { "alice" } }, "", "root:dialout 0640" },
        { "a group that is not for serial devices", { "root", "plugdev", 0660, { "alice" } }, "", "root:plugdev 0660" },
        { "special bits kept in the mode", { "root", "dialout", 02660, { "alice" } }, "dialout", "root:dialout 2660" },
    };
    for (const Case &c : cases) {
        TPortPermissionAdvice advice = AdvisePortPermission(c.Access);
        EXPECT_EQ(advice.JoinGroup, c.JoinGroup) << c.Name;
        EXPECT_EQ(advice.OwnerAndMode, c.OwnerAndMode) << c.Name;
    }
}

TEST(PortPermission, TheAdviceReadsAsTheGroupToJoinOrTheOwnerAndMode)
{
    const TPortPermissionAdvice join { "dialout", "root:dialout 0660" };
    const TPortPermissionAdvice owner { "", "root:root 0600" };
    EXPECT_EQ(PortPermissionBoxLine(join), "请将当前用户加入 dialout 组（sudo usermod -aG dialout $USER）后重新登录");
    EXPECT_EQ(PortPermissionBoxLine(owner), "设备属主与权限：root:root 0600");
    EXPECT_EQ(PortPermissionHintText("/dev/ttyUSB0", join), PortPermissionHintText("/dev/ttyUSB0", "dialout"));
    EXPECT_EQ(PortPermissionHintText("/dev/ttyS3", owner),
        "kelvara: no permission to open /dev/ttyS3 (owner and mode root:root 0600)");
}

TEST(PortPermission, TheFactsComeFromTheDeviceFileAndThisProcess)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string device = dir.filePath(QStringLiteral("tty")).toStdString();
    EXPECT_FALSE(DeviceAccessOf(device).has_value()) << "nothing to look at";
    std::ofstream(device) << "";
    ASSERT_EQ(::chmod(device.c_str(), 0640), 0);

    std::optional<TDeviceAccess> access = DeviceAccessOf(device);
    ASSERT_TRUE(access);
    EXPECT_EQ(access->Mode, 0640u);
    // A new file takes this process's user and group, so its group is among the process's groups.
    EXPECT_FALSE(access->Owner.empty());
    EXPECT_NE(std::find(access->ProcessGroups.begin(), access->ProcessGroups.end(), access->Group),
        access->ProcessGroups.end())
        << access->Group;
}
