// SPDX-License-Identifier: GPL-3.0-or-later
// The real serial path: the POSIX device layer and the component on pseudo-terminals.
#include "platform/SerialPosix.h"

#include "CommTestSupport.h"
#include "comm/SerialComm.h"

#include <QTemporaryDir>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace
{

class PtyComm : public ::testing::Test
{
protected:
    TPty Pty;
    TComm Comm;
    TEventLog Log { Comm };

    void SetUp() override
    {
        ASSERT_FALSE(Pty.SlavePath.empty());
        Comm.SetCommName(Pty.SlavePath);
    }

    void Open()
    {
        Comm.OpenPort();
        ASSERT_TRUE(WaitUntil([&] { return Log.Count("empty") == 1; }));
    }

    // Opens the port, then takes the device away from under it: both workers see it gone and ask for a hang-up,
    // which closes the port as the program does.
    int Hangups = 0;
    void OpenAndLoseTheDevice()
    {
        Comm.OnRequestHangup = [this](TComm *sender) {
            ++Hangups;
            sender->ClosePort();
        };
        Open();
        Pty.CloseMaster();
        Comm.SendData("x", 1);
    }
};

TEST_F(PtyComm, BytesGoBothWaysUntranslated)
{
    Open();
    // Raw mode: no CR to LF translation, no echo, no line editing; 0 bytes pass.
    const std::string in("12345\r\n\x7f\x03\0end", 12);
    Pty.Write(in);
    ASSERT_TRUE(WaitUntil([&] { return Log.Received.size() == in.size(); }));
    EXPECT_EQ(Log.Received, in);

    EXPECT_TRUE(Comm.SendData("ABC", 3));
    EXPECT_TRUE(Comm.SendData("\r\n[RS]", 6));
    EXPECT_EQ(Pty.Read(9), "ABC\r\n[RS]");
    // One notice for both requests, or one each when the queue ran empty in between.
    EXPECT_TRUE(WaitUntil([&] { return Log.Count("empty") >= 2; }));
}

TEST_F(PtyComm, ReadIntervalJoinsCloseBytesAndSplitsAtAPause)
{
    Open();
    // A coarse check of the read timeouts on a real terminal: bytes written together arrive as one chunk, and a pause
    // of half a second, far past the 100 ms interval, ends it. The exact timing rules are tested with a settable
    // clock (ReadTimeouts, ReadThreadPacing).
    Pty.Write("abcde");
    ASSERT_TRUE(WaitUntil([&] { return Log.Received.size() == 5; }));
    PumpFor(500ms);
    Pty.Write("fghij");
    ASSERT_TRUE(WaitUntil([&] { return Log.Received.size() == 10; }));
    EXPECT_EQ(Log.Chunks, (std::vector<std::string> { "abcde", "fghij" }));
}

TEST_F(PtyComm, EachRunOfBytesIsDatedWhenItLeftTheKernelNotWhenItsReadEnded)
{
    Open();
    // Two runs 40 ms apart: one read holds both (the interval is 100 ms), yet each keeps its own moment.
    std::thread writer([&] {
        Pty.Write("12");
        std::this_thread::sleep_for(40ms);
        Pty.Write("34");
    });
    ASSERT_TRUE(WaitUntil([&] { return Log.Received.size() == 4; }));
    writer.join();
    ASSERT_EQ(Log.Runs.size(), 2u);
    EXPECT_EQ(Log.Runs[0].End, 2u);
    EXPECT_EQ(Log.Runs[1].End, 4u);
    EXPECT_GE(Log.Runs[1].SteadyNs - Log.Runs[0].SteadyNs, 35'000'000);
    EXPECT_LE(Log.Runs[1].SteadyNs,
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

TEST_F(PtyComm, LargeBurstArrivesWhole)
{
    Open();
    std::string burst;
    for (int i = 0; burst.size() < 100000; ++i)
        burst += std::to_string(i) + "\r\n";
    std::thread writer([&] { Pty.Write(burst); });
    ASSERT_TRUE(WaitUntil([&] { return Log.Received.size() >= burst.size(); }));
    writer.join();
    EXPECT_EQ(Log.Received, burst);
    for (const std::string &chunk : Log.Chunks)
        EXPECT_LE(chunk.size(), 2048u);
}

// A device that sends as fast as the terminal takes it while the window stops dispatching now and then: the reader
// waits for the window (the terminal's buffer holds the device back) and never hangs up a device that is still there.
TEST_F(PtyComm, AFloodIsReadWholeWhileTheWindowStopsDispatching)
{
    std::string flood;
    for (int i = 0; flood.size() < (20u << 20); ++i)
        flood += std::to_string(i) + "\r\n";
    std::size_t received = 0, wrong = 0;
    Comm.OnReceiveData = [&](TComm *, const char *buffer, uint16_t length) {
        wrong += flood.compare(received, length, buffer, length) != 0;
        received += length;
    };
    Comm.SetNotificationLimit(64);
    Open();
    // The device stops when the test ends early, so that a failing run does not leave it waiting for a reader.
    std::atomic<bool> stop { false };
    ::fcntl(Pty.Master(), F_SETFL, ::fcntl(Pty.Master(), F_GETFL) | O_NONBLOCK);
    std::thread writer([&] {
        for (std::size_t done = 0; done < flood.size() && !stop;) {
            ssize_t n = ::write(Pty.Master(), flood.data() + done, std::min<std::size_t>(flood.size() - done, 65536));
            if (n > 0)
                done += static_cast<std::size_t>(n);
            else
                usleep(1000);
        }
    });
    for (int pause = 0; pause < 3; ++pause) {
        std::this_thread::sleep_for(700ms); // the window does not dispatch meanwhile
        PumpFor(50ms);
    }
    EXPECT_TRUE(WaitUntil([&] { return received >= flood.size() || Log.Count("hangup") > 0; }, 300s));
    stop = true;
    writer.join();
    EXPECT_EQ(received, flood.size());
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(Log.Count("hangup"), 0);
}

TEST_F(PtyComm, VanishedDeviceHangsUpAndClosesCleanly)
{
    Open();
    Pty.Write("bye");
    ASSERT_TRUE(WaitUntil([&] { return Log.Received == "bye"; }));
    Pty.CloseMaster();
    ASSERT_TRUE(WaitUntil([&] { return Log.Count("hangup") >= 1; }));
    // Sending to the vanished device fails in the send thread too.
    Comm.SendData("x", 1);
    PumpFor(100ms);
    Comm.ClosePort();
    EXPECT_FALSE(Comm.IsOpen());
}

TEST_F(PtyComm, TheHangupHandlerMayCloseThePort)
{
    OpenAndLoseTheDevice();
    // The second request finds the port closed.
    ASSERT_TRUE(WaitUntil([&] { return Hangups >= 1; }));
    PumpFor(200ms);
    EXPECT_FALSE(Comm.IsOpen());
}

TEST_F(PtyComm, AHangupStillQueuedFromAnEarlierOpeningLeavesTheNewOneAlone)
{
    OpenAndLoseTheDevice();
    // The workers post their requests while nothing is dispatched; the port is closed and another one opened
    // before the queue is looked at, as a quick close and open by the user or a reconnect can do.
    std::this_thread::sleep_for(300ms);
    Comm.ClosePort();
    TPty next;
    Comm.SetCommName(next.SlavePath);
    Comm.OpenPort();
    PumpFor(300ms);
    EXPECT_EQ(Hangups, 0);
    EXPECT_TRUE(Comm.IsOpen());
    next.Write("still here");
    EXPECT_TRUE(WaitUntil([&] { return Log.Received == "still here"; }));
    Comm.ClosePort();
}

TEST(SerialPosix, ClosingPutsBackTheLineSettingsTheDeviceHadBefore)
{
    TPty pty;
    // The test's own descriptor keeps the terminal and reads its settings before, during and after.
    int watch = ::open(pty.SlavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(watch, 0);
    termios before {};
    ASSERT_EQ(::tcgetattr(watch, &before), 0);
    ASSERT_NE(before.c_lflag & ICANON, 0u); // a fresh pty is in line mode

    TComm comm;
    comm.SetCommName(pty.SlavePath);
    comm.SetBaudRate(115200);
    comm.OpenPort();
    termios during {};
    ASSERT_EQ(::tcgetattr(watch, &during), 0);
    EXPECT_EQ(during.c_lflag & (ICANON | ECHO), 0u);
    comm.ClosePort();

    termios after {};
    ASSERT_EQ(::tcgetattr(watch, &after), 0);
    ::close(watch);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(after.c_cc), NCCS),
        std::string(reinterpret_cast<char *>(before.c_cc), NCCS));
    EXPECT_EQ(::cfgetispeed(&after), ::cfgetispeed(&before));
    EXPECT_EQ(::cfgetospeed(&after), ::cfgetospeed(&before));
}

TEST_F(PtyComm, PortIsExclusive)
{
    Open();
    TComm second;
    second.SetCommName(Pty.SlavePath);
    try {
        second.OpenPort();
        FAIL() << "a second open succeeded";
    } catch (const ECommsError &error) {
        EXPECT_STREQ(error.what(), "Error opening serial port");
    }
    EXPECT_EQ(second.OpenError(), EBUSY);
    Comm.ClosePort();
    second.OpenPort();
    EXPECT_TRUE(second.IsOpen());
}

// The reason an open of path failed, as the device layer gives it; run by an unprivileged user when asked, since
// root may open any file whatever its mode.
int OpenErrorOf(const std::string &path, bool unprivileged)
{
    if (!unprivileged || ::geteuid() != 0)
        return OpenPosixSerialDevice(path).Error;
    pid_t child = ::fork();
    if (child == 0) {
        const gid_t nobody = 65534;
        bool dropped = ::setgroups(0, nullptr) == 0 && ::setgid(nobody) == 0 && ::setuid(nobody) == 0;
        ::_exit(dropped ? OpenPosixSerialDevice(path).Error : 255);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SerialPosix, AFailedOpenGivesTheSystemsReason)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_EQ(::chmod(dir.path().toLocal8Bit().constData(), 0755), 0);
    const std::string locked = dir.filePath(QStringLiteral("locked")).toStdString();
    std::ofstream(locked) << "";
    ASSERT_EQ(::chmod(locked.c_str(), 0600), 0);
    TPty held;
    ASSERT_TRUE(held.Valid());
    TSerialOpenResult holder = OpenPosixSerialDevice(held.SlavePath);
    ASSERT_NE(holder.Device, nullptr);
    EXPECT_EQ(holder.Error, 0);

    struct Case {
        const char *Name;
        std::string Path;
        bool Unprivileged;
        int Error;
    };
    const Case cases[] = {
        { "nothing by that name", dir.filePath(QStringLiteral("no-such-tty")).toStdString(), false, ENOENT },
        { "a terminal held by another open", held.SlavePath, false, EBUSY },
        { "a device this user may not open", locked, true, EACCES },
        { "a folder", dir.path().toStdString(), false, EISDIR },
    };
    for (const Case &c : cases)
        EXPECT_EQ(OpenErrorOf(c.Path, c.Unprivileged), c.Error) << c.Name;
}

TEST_F(PtyComm, ReadThatTimesOutEmptyEndsReceptionSilently)
{
    Comm.SetReadTotalTimeoutConstant(150);
    Open();
    PumpFor(400ms);
    Pty.Write("unheard");
    PumpFor(300ms);
    EXPECT_EQ(Log.Received, "");
    EXPECT_EQ(Log.Count("hangup"), 0);
}

TEST(SerialPosix, LineConfigurationReachesTheDriver)
{
    TPty pty;
    std::unique_ptr<TSerialDevice> device = OpenPosixSerialDevice(pty.SlavePath).Device;
    ASSERT_NE(device, nullptr);
    EXPECT_TRUE(device->IsCharacterDevice());
    EXPECT_TRUE(device->SetupComm(4096, 4096));
    TDeviceControlBlock dcb;
    ASSERT_TRUE(device->GetCommState(dcb));
    dcb.BaudRate = 123456; // any rate, not only the standard ones
    dcb.StopBits = 2;
    dcb.Flags = 0x1391;
    dcb.XonChar = 0x01;
    dcb.XoffChar = 0x02;
    EXPECT_TRUE(device->SetCommState(dcb));
    TDeviceControlBlock read;
    ASSERT_TRUE(device->GetCommState(read));
    EXPECT_EQ(read.BaudRate, 123456u);
    EXPECT_EQ(read.StopBits, 2);
    EXPECT_EQ(read.Flags & (DcbFlag::OutX | DcbFlag::InX), DcbFlag::OutX | DcbFlag::InX);
    EXPECT_EQ(read.XonChar, 0x01);
    EXPECT_EQ(read.XoffChar, 0x02);
    // Fields the driver has no place for are kept as written.
    EXPECT_EQ(DcbFlag::DtrControl(read.Flags), DtrControlEnable);

    dcb.ByteSize = 9;
    EXPECT_FALSE(device->SetCommState(dcb));
}

TEST(SerialPosix, WaitsWakeOnTheCloseEvent)
{
    TPty pty;
    std::unique_ptr<TSerialDevice> device = OpenPosixSerialDevice(pty.SlavePath).Device;
    ASSERT_NE(device, nullptr);
    TDeviceControlBlock dcb;
    device->GetCommState(dcb);
    dcb.Flags = DcbFlag::Binary; // no flow control
    device->SetCommState(dcb);

    TSerialEvent close;
    char buffer[2048];
    uint32_t count = 0;
    ASSERT_EQ(device->ReadFile(buffer, sizeof buffer, count), TIoResult::Pending);

    // Nobody reads the master, so the pty's buffers fill and a write stays pending until the close request.
    std::thread closer([&close] {
        std::this_thread::sleep_for(300ms);
        close.Set();
    });
    std::string block(65536, 'w');
    int woken = -1;
    for (int i = 0; i < 100000 && woken != 0; ++i) {
        uint32_t written = 0;
        TIoResult result = device->WriteFile(block.data(), block.size(), written);
        if (result == TIoResult::Pending) {
            woken = device->WaitWrite(close, -1);
            if (woken == 1) {
                EXPECT_EQ(device->WriteResult(written), TIoResult::Done);
            }
        } else {
            ASSERT_EQ(result, TIoResult::Done);
        }
    }
    EXPECT_EQ(woken, 0);
    EXPECT_EQ(device->WaitReceive(close), 0);
    closer.join();
}

TEST(SerialPosix, ReadCompletesAtOnceWhenTheBufferCanBeFilled)
{
    TPty pty;
    std::unique_ptr<TSerialDevice> device = OpenPosixSerialDevice(pty.SlavePath).Device;
    ASSERT_NE(device, nullptr);
    device->SetCommTimeouts({ 100, 0, 0, 0, 0 });
    pty.Write(std::string(3000, 'r'));
    usleep(100 * 1000);
    char buffer[2048];
    uint32_t count = 0;
    ASSERT_EQ(device->ReadFile(buffer, sizeof buffer, count), TIoResult::Done);
    EXPECT_EQ(count, 2048u);
    // The rest is fewer than a buffer: the read waits out the interval after the last byte.
    ASSERT_EQ(device->ReadFile(buffer, sizeof buffer, count), TIoResult::Pending);
    TSerialEvent close;
    EXPECT_EQ(device->WaitReceive(close), 2);
    EXPECT_EQ(device->ReadResult(count), TIoResult::Done);
    EXPECT_EQ(count, 952u);
}

} // namespace
