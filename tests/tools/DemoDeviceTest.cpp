// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the demo serial device as the program's run command does and reads it as the program would.
#include "decoders/BinaryFrameDecoder.h"
#include "platform/ProfileFile.h"
#include "tests/support/FileBytes.h"
#include "tools/DemoSignal.h"

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
    static QString Program() { return QFileInfo("/proc/self/exe").canonicalPath() + "/kelvara-demo-device"; }

    void Start(const QStringList &more = {})
    {
        Device.start(Program(),
            QStringList { QStringLiteral("--link"), QString::fromStdString(Link), QStringLiteral("--setfile"),
                QString::fromStdString(Setfile) }
                + more);
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

TEST_F(DemoDeviceTest, SendsBinaryFramesWhenAsked)
{
    Start({ QStringLiteral("--format"), QStringLiteral("binary") });
    int fd = ::open(Link.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios raw {};
    ::tcgetattr(fd, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(fd, TCSANOW, &raw);
    TBinaryFrameDecoder decoder(DemoFrameFormat());
    std::vector<TSample> samples;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (decoder.Counts().Taken < 30 && std::chrono::steady_clock::now() < until) {
        pollfd p { fd, POLLIN, 0 };
        if (::poll(&p, 1, 500) > 0) {
            char buffer[4096];
            ssize_t n = ::read(fd, buffer, sizeof(buffer));
            if (n > 0)
                decoder.Feed(std::string_view(buffer, static_cast<std::size_t>(n)), {}, 0, samples);
        }
    }
    ::close(fd);
    const TDecoderCounts counts = decoder.Counts();
    EXPECT_GE(counts.Taken, 30u);
    EXPECT_EQ(counts.ChecksumErrors + counts.Rejected + counts.SkippedBytes, 0u);
    EXPECT_EQ(samples.size(), 3 * counts.Taken);
}

TEST_F(DemoDeviceTest, AnUnknownFormatIsRefusedWithTheUsage)
{
    QProcess device;
    device.start(Program(),
        { QStringLiteral("--link"), QString::fromStdString(Link), QStringLiteral("--format"), QStringLiteral("hex") });
    ASSERT_TRUE(device.waitForFinished(3000));
    EXPECT_EQ(device.exitCode(), 2);
    EXPECT_TRUE(device.readAllStandardError().contains("--format numbers|labelled|binary"));
    EXPECT_FALSE(QFileInfo(QString::fromStdString(Link)).exists());
}

TEST_F(DemoDeviceTest, KeepsTheUsersOwnSettings)
{
    const std::string own = std::string("[") + Section + "]\r\ncommname=COM3\r\nbaudrate=9600\r\n";
    std::ofstream(Setfile, std::ios::binary) << own;
    Start();
    EXPECT_EQ(FileBytes(Setfile), own);
}

} // namespace
