// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "scripting/ScriptHooks.h"
#include "scripting/ScriptInput.h"

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// How a script ended.
struct TScriptOutcome {
    enum TKind { Finished, Failed, Stopped } Kind = Finished;
    // For Failed: Lua's message, which starts with the chunk's name and the line ("脚本:3: ...").
    std::string Message;
};

// Runs one Lua script at a time on a thread of its own, in the sandbox of ScriptSandbox.h with the port table of
// PortLibrary.h. Start, Stop, Received and the destructor are called from one thread (the user-interface thread);
// the hooks and `finished` run on the script's thread.
class TScriptRunner
{
public:
    explicit TScriptRunner(TScriptHooks hooks);
    ~TScriptRunner();
    TScriptRunner(const TScriptRunner &) = delete;
    TScriptRunner &operator=(const TScriptRunner &) = delete;

    // Starts source (UTF-8 text; a binary chunk is refused). chunkName names it in error messages. io.open opens only
    // allowedFiles. `finished` is called on the script's thread as its last act. False, with nothing started, while a
    // script runs.
    bool Start(std::string source, std::string chunkName, std::vector<std::string> allowedFiles,
        std::function<void(const TScriptOutcome &)> finished);
    // Ends the running script and waits for its thread: a script that runs Lua stops within a thousand instructions
    // (microseconds), one in port.expect, port.read or port.sleep at once. Nothing when none runs.
    void Stop();
    bool Running() const { return FRunning.load(); }
    // A copy of received bytes for the running script; nothing when none runs.
    void Received(std::string_view bytes);

    // Runs source on the calling thread until it ends.
    static TScriptOutcome Run(const std::string &source, const std::string &chunkName,
        std::vector<std::string> allowedFiles, TScriptInput &input, const TScriptHooks &hooks);

private:
    TScriptHooks FHooks;
    TScriptInput FInput;
    std::atomic<bool> FRunning { false };
    std::thread FThread;
};
