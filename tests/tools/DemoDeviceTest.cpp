// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the demo serial device as the program's run command does and reads it as the program would.
#include "platform/ProfileFile.h"
#include "tests/support/FileBytes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <regex>
#include <sstream>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace
{

const char *const Section = "\xCF\xB5\xCD\xB3\xB2\xCE\xCA\xFD";

class DemoDeviceTest : public ::testing::Test
{
protected:
    void Start()
    {
        std::string program = QFileInfo("/proc/self/exe").canonicalPath().toStdString() + "/kelvara-demo-device";
        Device.start(QString::fromStdString(program),
            { QStringLiteral("--link"), QString::fromStdString(Link), QStringLiteral("--setfile"),
                QString::fromStdString(Setfile) });
        ASSERT_TRUE(Device.waitForStarted());
        for (int i = 0; i < 100 && !QFileInfo(QString::fromStdString(Link)).isSymLink(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_TRUE(QFileInfo(QString::fromStdString(Link)).isSymLink());
    }

    void TearDown() override
    {
        if (Device.state() != QProcess::NotRunning) {
            Device.terminate();
            Device.waitForFinished(3000);
        }
    }

    QTemporaryDir Dir;
    std::string Link = Dir.filePath(QStringLiteral("tty")).toStdString();
    std::string Setfile = Dir.filePath(QStringLiteral("setfile.ini")).toStdString();
    QProcess Device;
};

TEST_F(DemoDeviceTest, SendsIntegerLinesAndTextToTheProgramThatOpensTheLink)
{
    Start();
    std::string settings = FileBytes(Setfile);
    EXPECT_EQ(FindProfileValue(settings, Section, "commname"), Link);
    EXPECT_EQ(FindProfileValue(settings, Section, "baudrate"), "115200");
    EXPECT_EQ(FindProfileValue(settings, Section, "stopbits"), "1");

    int fd = ::open(Link.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios raw {};
    ::tcgetattr(fd, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(fd, TCSANOW, &raw);
    ASSERT_EQ(::write(fd, "ABC[RS]", 7), 7); // what the program sends is taken and dropped
    std::string received;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::count(received.begin(), received.end(), '\n') < 40 && std::chrono::steady_clock::now() < until) {
        pollfd p { fd, POLLIN, 0 };
        if (::poll(&p, 1, 500) > 0) {
            char buffer[4096];
            ssize_t n = ::read(fd, buffer, sizeof(buffer));
            if (n > 0)
                received.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);

    std::istringstream lines(received);
    std::string line;
    int numbers = 0;
    int texts = 0;
    while (std::getline(lines, line)) {
        if (lines.eof())
            break; // a line still arriving
        ASSERT_TRUE(line.ends_with('\r')) << line;
        line.pop_back();
        if (std::regex_match(line, std::regex("[1-9][0-9]{4}")))
            ++numbers;
        else
            ++texts;
    }
    EXPECT_GE(numbers, 30);
    EXPECT_GE(texts, 1);

    Device.terminate();
    ASSERT_TRUE(Device.waitForFinished(3000));
    EXPECT_FALSE(QFileInfo(QString::fromStdString(Link)).exists()); // the link goes with the device
}

TEST_F(DemoDeviceTest, KeepsTheUsersOwnSettings)
{
    const std::string own = std::string("[") + Section + "]\r\ncommname=COM3\r\nbaudrate=9600\r\n";
    std::ofstream(Setfile, std::ios::binary) << own;
    Start();
    EXPECT_EQ(FileBytes(Setfile), own);
}

} // namespace
