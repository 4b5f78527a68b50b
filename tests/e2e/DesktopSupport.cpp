// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/e2e/DesktopSupport.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <regex>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace
{

std::vector<pid_t> GDesktopPids;

std::string Capture(FILE *pipe)
{
    std::string output;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    return output;
}

// The value of NAME=value in the exports line of the session script; values end at a blank or a quote.
std::string ExportedValue(const std::string &exports, const std::string &name)
{
    std::size_t at = exports.find(name + "=");
    if (at == std::string::npos)
        return {};
    at += name.size() + 1;
    bool quoted = at < exports.size() && exports[at] == '\'';
    if (quoted)
        ++at;
    std::size_t end = exports.find(quoted ? '\'' : ' ', at);
    std::string value = exports.substr(at, end == std::string::npos ? std::string::npos : end - at);
    while (!value.empty() && (value.back() == '\n' || value.back() == ' '))
        value.pop_back();
    return value;
}

// Whether a tray host owns the notification area; a program without the X client to ask assumes so while the
// desktop runs.
bool TrayHostPresent()
{
#ifdef KELVARA_XCLIENT
    return std::system(KELVARA_XCLIENT " tray") == 0;
#else
    return !GDesktopPids.empty();
#endif
}

} // namespace

bool StartDesktop(std::string &why)
{
    FILE *pipe = popen("bash " KELVARA_XSESSION_SCRIPT " start 2>&1", "r");
    if (!pipe) {
        why = "cannot run the session script";
        return false;
    }
    std::string exports = Capture(pipe);
    const bool started = pclose(pipe) == 0;
    std::string display = ExportedValue(exports, "DISPLAY");
    std::string bus = ExportedValue(exports, "DBUS_SESSION_BUS_ADDRESS");
    std::istringstream pids(ExportedValue(exports, "XSESSION_PIDS"));
    for (pid_t pid; pids >> pid;)
        GDesktopPids.push_back(pid);
    if (!started || display.size() < 2 || display == ":") {
        why = "the desktop did not start: " + exports;
        StopDesktop();
        return false;
    }
    setenv("DISPLAY", display.c_str(), 1);
    setenv("DBUS_SESSION_BUS_ADDRESS", bus.c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    // The tray host claims the notification area a moment after its window appears; a program started before then
    // finds no tray, or has its icon embedded late.
    if (!WaitFor(TrayHostPresent, std::chrono::seconds(20))) {
        why = "the tray host did not claim the notification area";
        StopDesktop();
        return false;
    }
    return true;
}

bool StopTrayHost()
{
    // The tray host is the first process of the desktop.
    if (GDesktopPids.empty() || GDesktopPids.front() <= 0)
        return false;
    ::kill(GDesktopPids.front(), SIGTERM);
    GDesktopPids.front() = 0;
    return WaitFor([] { return !TrayHostPresent(); }, std::chrono::seconds(10));
}

bool StartTrayHost()
{
    if (GDesktopPids.empty())
        return false;
    FILE *pipe = popen("bash " KELVARA_XSESSION_SCRIPT " tray", "r");
    if (!pipe)
        return false;
    std::string pid = Capture(pipe);
    pclose(pipe);
    GDesktopPids.front() = static_cast<pid_t>(std::atoi(pid.c_str()));
    return GDesktopPids.front() > 0 && WaitFor(TrayHostPresent, std::chrono::seconds(10));
}

void StopDesktop()
{
    for (pid_t pid : GDesktopPids)
        if (pid > 0)
            ::kill(pid, SIGTERM);
    GDesktopPids.clear();
}

TChild::~TChild()
{
    Stop();
}

bool TChild::Start(const std::vector<std::string> &argv, const std::vector<std::string> &environment)
{
    int in[2], out[2], err[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        return false;
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e)
        env.emplace_back(*e);
    env.insert(env.end(), environment.begin(), environment.end());
    std::vector<char *> args, envp;
    for (const std::string &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    for (const std::string &e : env)
        envp.push_back(const_cast<char *>(e.c_str()));
    envp.push_back(nullptr);

    FPid = ::fork();
    if (FPid == 0) {
        ::dup2(in[0], STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        ::execve(args[0], args.data(), envp.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    FIn = in[1];
    FOut = out[0];
    FErr = err[0];
    return FPid > 0;
}

std::string TChild::ReadLine(std::chrono::milliseconds limit, bool fromError)
{
    int fd = fromError ? FErr : FOut;
    std::string &buffer = fromError ? FErrBuffer : FOutBuffer;
    auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        std::size_t end = buffer.find('\n');
        if (end != std::string::npos) {
            std::string line = buffer.substr(0, end);
            buffer.erase(0, end + 1);
            return line;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (fd < 0 || left.count() <= 0)
            return {};
        pollfd p { fd, POLLIN, 0 };
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char chunk[512];
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n <= 0)
            return {};
        buffer.append(chunk, static_cast<std::size_t>(n));
    }
}

std::string TChild::ReadRest(std::chrono::milliseconds limit)
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    std::string all = FOutBuffer;
    FOutBuffer.clear();
    while (FOut >= 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p { FOut, POLLIN, 0 };
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            break;
        char chunk[512];
        ssize_t n = ::read(FOut, chunk, sizeof chunk);
        if (n <= 0)
            break;
        all.append(chunk, static_cast<std::size_t>(n));
    }
    return all;
}

void TChild::CloseInput()
{
    if (FIn >= 0)
        ::close(FIn);
    FIn = -1;
}

bool TChild::Wait(std::chrono::milliseconds limit, int &status)
{
    if (FPid <= 0)
        return false;
    auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int raw = 0;
        pid_t done = ::waitpid(FPid, &raw, WNOHANG);
        if (done == FPid) {
            status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            FPid = -1;
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

bool TChild::Running()
{
    return FPid > 0 && ::waitpid(FPid, nullptr, WNOHANG) == 0;
}

void TChild::Stop()
{
    if (FPid > 0) {
        ::kill(FPid, SIGTERM);
        int status = 0;
        if (!Wait(std::chrono::seconds(3), status)) {
            ::kill(FPid, SIGKILL);
            Wait(std::chrono::seconds(3), status);
        }
    }
    for (int *fd : { &FIn, &FOut, &FErr }) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

std::string RunTool(const std::string &command)
{
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        return {};
    std::string output = Capture(pipe);
    pclose(pipe);
    return output;
}

bool WaitFor(const std::function<bool()> &done, std::chrono::milliseconds limit, const std::function<void()> &step)
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        step();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::vector<TXWindow> ListWindows()
{
    // Lines look like:   0x60000f "Kelvara": ("kelvara" "Kelvara")  22x22+0+0  +1257+1
    static const std::regex line(
        R"re(^\s*(0x[0-9a-f]+) (?:"([^"]*)"|\(has no name\)): \((?:"[^"]*" "([^"]*)")?\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+))re");
    std::vector<TXWindow> windows;
    std::istringstream tree(RunTool("xwininfo -root -tree 2>/dev/null"));
    for (std::string text; std::getline(tree, text);) {
        std::smatch m;
        if (!std::regex_search(text, m, line))
            continue;
        TXWindow w;
        w.Id = std::stoul(m[1].str(), nullptr, 16);
        w.Name = m[2].str();
        w.Class = m[3].str();
        w.Width = std::stoi(m[4].str());
        w.Height = std::stoi(m[5].str());
        w.X = std::stoi(m[6].str());
        w.Y = std::stoi(m[7].str());
        windows.push_back(w);
    }
    return windows;
}

bool IsViewable(unsigned long window)
{
    return RunTool("xwininfo -id " + std::to_string(window) + " 2>/dev/null").find("IsViewable") != std::string::npos;
}

unsigned long ActiveWindow()
{
    std::string text = RunTool("xprop -root _NET_ACTIVE_WINDOW 2>/dev/null");
    std::size_t at = text.find("0x");
    return at == std::string::npos ? 0 : std::stoul(text.substr(at), nullptr, 16);
}
