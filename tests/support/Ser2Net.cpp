// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/Ser2Net.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace
{

constexpr const char *Ser2NetProgram = "/usr/sbin/ser2net";

uint16_t FreeLoopbackPort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    uint16_t port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), size) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

// Whether something listens on the loopback port; a listener shows up in /proc without being connected to, so the
// server opens no device for the check.
bool Listening(uint16_t port)
{
    FILE *table = std::fopen("/proc/net/tcp", "r");
    if (!table)
        return false;
    char line[512];
    bool found = false;
    char wanted[32];
    std::snprintf(wanted, sizeof wanted, ":%04X ", port);
    while (std::fgets(line, sizeof line, table)) {
        std::string text = line;
        // local address is the second column, state 0A is LISTEN
        if (text.find(wanted) != std::string::npos && text.find(" 0A ") != std::string::npos)
            found = true;
    }
    std::fclose(table);
    return found;
}

} // namespace

TSer2Net::TSer2Net(std::string devicePath, TProtocol protocol)
    : FDevicePath(std::move(devicePath))
    , FProtocol(protocol)
{
}

TSer2Net::~TSer2Net()
{
    Stop();
}

bool TSer2Net::Available()
{
    return ::access(Ser2NetProgram, X_OK) == 0;
}

std::string TSer2Net::PortName() const
{
    return std::string(FProtocol == Rfc2217 ? "rfc2217://" : "tcp://") + "127.0.0.1:" + std::to_string(FPort);
}

bool TSer2Net::Start()
{
    if (FPid > 0)
        return true;
    if (FPort == 0)
        FPort = FreeLoopbackPort();
    // '#' stands for a line break in a configuration given on the command line.
    const std::string accepter = FProtocol == Rfc2217 ? "telnet(rfc2217),tcp" : "tcp";
    const std::string config = "connection: &port#  accepter: " + accepter + ",127.0.0.1," + std::to_string(FPort)
        + "#  connector: serialdev," + FDevicePath
        + ",9600n81,local#  options:#    kickolduser: true"
        // ser2net's 64-byte default buffers would cap the throughput near 10 MB/s.
        + "#    dev-to-net-bufsize: 65536#    net-to-dev-bufsize: 65536";
    const std::string pidFile = "/tmp/kelvara-ser2net-" + std::to_string(::getpid()) + "-" + std::to_string(FPort);
    std::vector<std::string> arguments { Ser2NetProgram, "-n", "-u", "-P", pidFile, "-Y", config };
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    std::vector<std::string> environment;
    for (char **entry = environ; *entry; ++entry)
        environment.emplace_back(*entry);
    environment.push_back(std::string("LD_PRELOAD=") + KELVARA_MODEM_LINES_PRELOAD);
    std::vector<char *> envp;
    for (std::string &entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    int spawned = posix_spawn(&pid, Ser2NetProgram, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;
    FPid = pid;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        if (Listening(FPort))
            return true;
        int status = 0;
        if (::waitpid(FPid, &status, WNOHANG) == FPid) {
            FPid = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    Stop();
    return false;
}

void TSer2Net::Stop()
{
    if (FPid <= 0)
        return;
    ::kill(FPid, SIGTERM);
    int status = 0;
    while (::waitpid(FPid, &status, 0) < 0 && errno == EINTR) { }
    FPid = -1;
}
