// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NetworkOutbox.h"

#include "platform/Rfc2217Codec.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

// Takes what waits on the socket.
void ReadAvailable(int fd, std::string &into)
{
    char buffer[65536];
    for (;;) {
        pollfd item { fd, POLLIN, 0 };
        if (::poll(&item, 1, 0) <= 0)
            return;
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        into.append(buffer, static_cast<size_t>(n));
    }
}

} // namespace

// Writes that the socket takes only in part, the way the send worker makes them: the count each write reports must
// be exactly the data that reaches the other side, and commands slipped in between must never split a doubled 0xFF.
TEST(NetworkOutbox, PartialWritesCountWholeDataBytesAndCommandsNeverSplitAnEscape)
{
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends), 0);
    int small = 4096;
    ::setsockopt(ends[0], SOL_SOCKET, SO_SNDBUF, &small, sizeof small);

    std::mt19937 random(7);
    std::string data(300000, '\0');
    for (char &c : data)
        c = static_cast<char>((random() % 3 == 0) ? 0xFF : random() & 0xFF); // a third are 0xFF
    const std::string command = Rfc2217SetByte(ComPort::SetControl, ComPort::DtrOn);

    TNetworkOutbox outbox(true);
    std::string wire;
    size_t done = 0;
    int partial = 0;
    for (int round = 0; done < data.size() && round < 100000; ++round) {
        const size_t piece = std::min<size_t>(65535, data.size() - done);
        outbox.QueueData(std::string_view(data).substr(done, piece));
        if (round % 3 == 0)
            outbox.QueueCommand(command);
        ASSERT_EQ(outbox.Flush(ends[0]), 0);
        const size_t written = outbox.TakeWrittenIfAny();
        partial += written > 0 && written < piece;
        done += written;
        ReadAvailable(ends[1], wire);
    }
    while (outbox.HasUnsent()) {
        ASSERT_EQ(outbox.Flush(ends[0]), 0);
        ReadAvailable(ends[1], wire);
    }
    ReadAvailable(ends[1], wire);
    ASSERT_EQ(done, data.size());
    EXPECT_GT(partial, 0) << "the socket took some writes only in part";

    TRfc2217Decoder decoder;
    std::string decoded(wire.size(), '\0');
    decoded.resize(decoder.Feed(wire.data(), wire.size(), decoded.data()));
    EXPECT_TRUE(decoded == data) << "decoded " << decoded.size() << " of " << data.size();
    ::close(ends[0]);
    ::close(ends[1]);
}

TEST(NetworkOutbox, RawDataGoesOutAsItIs)
{
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends), 0);
    TNetworkOutbox outbox(false);
    outbox.QueueData("a\xff\xff");
    ASSERT_EQ(outbox.Flush(ends[0]), 0);
    EXPECT_EQ(outbox.TakeWritten(), 3u);
    std::string wire;
    ReadAvailable(ends[1], wire);
    EXPECT_EQ(wire, "a\xff\xff");
    ::close(ends[1]);
    outbox.QueueData("x");
    EXPECT_EQ(outbox.Flush(ends[0]), EPIPE) << "the other side is gone";
    ::close(ends[0]);
}
