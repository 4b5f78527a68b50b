// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Support for the desktop tests: a private X desktop per test process (Xvfb, a session bus, openbox and a tray
// host, from tests/e2e/xsession.sh), child processes that the tests start and always end by process id, and the X
// tools (xdotool, xwininfo) the tests drive the desktop with.
#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

// Starts the desktop and exports DISPLAY and DBUS_SESSION_BUS_ADDRESS into this process. False when it could not be
// started; the reason is then in `why`.
bool StartDesktop(std::string &why);
// Ends every process of the desktop by its id.
void StopDesktop();
// Ends the tray host of the desktop, as on a desktop that has none; true once no tray host owns the notification area.
bool StopTrayHost();
// Starts a tray host again; true once it owns the notification area.
bool StartTrayHost();

// A process started by a test, with its standard input, output and error on pipes.
class TChild
{
public:
    TChild() = default;
    TChild(const TChild &) = delete;
    TChild &operator=(const TChild &) = delete;
    // Ends the process (SIGTERM, then SIGKILL) unless it has already been waited for.
    ~TChild();

    // Starts `argv` with `environment` added to this process's environment ("NAME=value" entries).
    bool Start(const std::vector<std::string> &argv, const std::vector<std::string> &environment = {});
    pid_t Pid() const { return FPid; }

    // The next line on the process's standard output (or standard error), without its line break; empty when none
    // came within the limit or the stream ended.
    std::string ReadLine(std::chrono::milliseconds limit, bool fromError = false);
    // Everything the process wrote to standard output until it closed the stream or the limit passed.
    std::string ReadRest(std::chrono::milliseconds limit);
    void CloseInput();

    // Waits for the process to end; true when it did within the limit, with its exit status (or 128 + signal).
    bool Wait(std::chrono::milliseconds limit, int &status);
    bool Running();
    void Stop();

private:
    pid_t FPid = -1;
    int FIn = -1;
    int FOut = -1;
    int FErr = -1;
    std::string FOutBuffer;
    std::string FErrBuffer;
};

// Runs a shell command (the X tools) and returns its standard output.
std::string RunTool(const std::string &command);

// Waits until `done` holds, running `step` between checks (for example to process Qt events); false on time-out.
bool WaitFor(
    const std::function<bool()> &done, std::chrono::milliseconds limit, const std::function<void()> &step = [] {});

// A window of the X server as xwininfo reports it.
struct TXWindow {
    unsigned long Id = 0;
    std::string Name;
    std::string Class; // the class part of WM_CLASS, e.g. "Kelvara"
    int X = 0, Y = 0, Width = 0, Height = 0; // absolute position
};

// Every window in the tree below the root window.
std::vector<TXWindow> ListWindows();
bool IsViewable(unsigned long window);
// The window that the window manager has made active; 0 when none.
unsigned long ActiveWindow();

// Set by the test program's main(): whether the private desktop is up, and if not, why.
extern bool GDesktopReady;
extern std::string GDesktopProblem;
