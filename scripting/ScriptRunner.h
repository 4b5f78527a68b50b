// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "scripting/ScriptHooks.h"
#include "scripting/ScriptInput.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// How a script ended.
struct TScriptOutcome {
    enum TKind { Finished, Failed, Stopped } Kind = Finished;
    // For Failed: Lua's message, which starts with the chunk's name and the line ("脚本:3: ..."), cut to MaxLogBytes.
    std::string Message;
};

struct TScriptRun;

// Runs one Lua script at a time on a thread of its own, in the sandbox of ScriptSandbox.h with the port table of
// PortLibrary.h. Start, Stop, Received and the destructor are called from one thread (the user-interface thread);
// the hooks and `finished` run on the script's thread.
//
// Nothing here waits for the script's thread without a deadline. A script stuck where the stop request cannot reach
// it (a long call into a built-in function, a finalizer) is abandoned: its thread runs on alone, on a state of its own
// that the last of the thread and the runner to let go frees, and from then on its hooks and `finished` are never
// called, so that whatever they reach may go. The program may end with such a thread still running.
class TScriptRunner
{
public:
    // How long Stop waits for a script to end before it abandons it.
    static constexpr std::chrono::milliseconds StopWait { 1000 };

    explicit TScriptRunner(TScriptHooks hooks);
    // Stops a running script as Stop does.
    ~TScriptRunner();
    TScriptRunner(const TScriptRunner &) = delete;
    TScriptRunner &operator=(const TScriptRunner &) = delete;

    // Starts source (UTF-8 text; a binary chunk is refused). chunkName names it in error messages. io.open opens only
    // allowedFiles. `finished` is called on the script's thread as its last act, unless the script was abandoned.
    // False, with nothing started, while a script runs.
    bool Start(std::string source, std::string chunkName, std::vector<std::string> allowedFiles,
        std::function<void(const TScriptOutcome &)> finished);

    enum class TStopResult {
        NotRunning,
        Stopped, // the script has ended and `finished` has been called
        Abandoned, // the script did not end within the wait: see above
    };
    // Ends the running script, waiting at most `wait` for it: a script that runs Lua stops within a thousand
    // instructions (microseconds), one in port.expect, port.read or port.sleep at once.
    TStopResult Stop(std::chrono::milliseconds wait = StopWait);
    bool Running() const;
    // A copy of received bytes for the running script; nothing when none runs.
    void Received(std::string_view bytes);

    // Runs source on the calling thread until it ends.
    static TScriptOutcome Run(const std::string &source, const std::string &chunkName,
        std::vector<std::string> allowedFiles, TScriptInput &input, const TScriptHooks &hooks);

private:
    TScriptHooks FHooks;
    std::shared_ptr<TScriptRun> FRun; // the latest run, shared with its thread
};
