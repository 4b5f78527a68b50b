// SPDX-License-Identifier: GPL-3.0-or-later
#include "scripting/ScriptRunner.h"

#include "scripting/ScriptContext.h"
#include "scripting/ScriptSandbox.h"

#include <condition_variable>
#include <cstdlib>
#include <lua.hpp>
#include <mutex>
#include <thread>

// Shared by the runner and the script's thread; the last of them to let go frees it.
struct TScriptRun {
    TScriptInput Input;
    std::atomic<bool> Running { true };
    // Held while a hook or `finished` runs, and while the runner decides to abandon the run, so that no hook is
    // running or will run once the runner has given up.
    std::mutex Mutex;
    std::condition_variable Ended;
    bool Done = false; // the script has ended and `finished` has returned
    bool Abandoned = false;
};

namespace
{

// How often, in virtual machine instructions, a running script looks at the stop request.
constexpr int StopCheckInstructions = 1000;

// The allocator of a script's state: refuses to grow beyond the context's limit, which Lua reports as "not enough
// memory", so that a runaway script fails instead of taking the machine's memory.
void *LimitedAllocate(void *userData, void *block, std::size_t oldSize, std::size_t newSize)
{
    auto *context = static_cast<TScriptContext *>(userData);
    const std::size_t held = block ? oldSize : 0;
    if (newSize == 0) {
        std::free(block);
        context->MemoryUsed -= held;
        return nullptr;
    }
    if (newSize > held && context->MemoryUsed + (newSize - held) > context->MemoryLimit)
        return nullptr;
    void *grown = std::realloc(block, newSize);
    if (grown)
        context->MemoryUsed = context->MemoryUsed - held + newSize;
    return grown;
}

void StopHook(lua_State *L, lua_Debug *)
{
    if (!ContextOf(L).Input.StopRequested())
        return;
    // From now on every instruction raises the stop, so that a pcall in the script cannot hold it back: the first
    // instruction after the pcall returns raises it again, outside.
    lua_sethook(L, StopHook, LUA_MASKCOUNT, 1);
    RaiseStop(L);
}

std::string ErrorMessage(lua_State *L)
{
    std::size_t size = 0;
    if (const char *message = lua_tolstring(L, -1, &size))
        return CutText(std::string_view(message, size), MaxLogBytes);
    return std::string("(error object is a ") + luaL_typename(L, -1) + " value)";
}

// What a hook calls while its run is not abandoned: the runner's hook, under the run's lock.
template <typename TArgument>
std::function<THookReply(TArgument)> Guarded(
    const std::shared_ptr<TScriptRun> &run, std::function<THookReply(TArgument)> hook)
{
    if (!hook)
        return {};
    // The thread holds the run, so a plain pointer is enough here.
    return [run = run.get(), hook = std::move(hook)](TArgument argument) {
        std::lock_guard lock(run->Mutex);
        return run->Abandoned ? THookReply::Taken : hook(std::move(argument));
    };
}

} // namespace

TScriptRunner::TScriptRunner(TScriptHooks hooks)
    : FHooks(std::move(hooks))
{
}

TScriptRunner::~TScriptRunner()
{
    Stop();
}

bool TScriptRunner::Start(std::string source, std::string chunkName, std::vector<std::string> allowedFiles,
    std::function<void(const TScriptOutcome &)> finished)
{
    if (Running())
        return false;
    auto run = std::make_shared<TScriptRun>();
    TScriptHooks hooks {
        .Send = Guarded(run, FHooks.Send),
        .SetDtr = Guarded(run, FHooks.SetDtr),
        .SetRts = Guarded(run, FHooks.SetRts),
        .Log = Guarded(run, FHooks.Log),
    };
    FRun = run;
    // Detached: the runner never joins it, it waits for Done with a deadline instead.
    std::thread([run = std::move(run), hooks = std::move(hooks), source = std::move(source),
                    chunkName = std::move(chunkName), allowedFiles = std::move(allowedFiles),
                    finished = std::move(finished)]() mutable {
        const TScriptOutcome outcome = Run(source, chunkName, std::move(allowedFiles), run->Input, hooks);
        {
            std::lock_guard lock(run->Mutex);
            run->Running = false;
            if (!run->Abandoned && finished)
                finished(outcome);
            run->Done = true;
        }
        run->Ended.notify_all();
    }).detach();
    return true;
}

TScriptRunner::TStopResult TScriptRunner::Stop(std::chrono::milliseconds wait)
{
    if (!FRun)
        return TStopResult::NotRunning;
    const std::shared_ptr<TScriptRun> run = std::move(FRun);
    run->Input.RequestStop();
    std::unique_lock lock(run->Mutex);
    // Under the lock, Done tells whether `finished` has returned: a script that ended on its own may still be in it.
    if (run->Done)
        return TStopResult::NotRunning;
    if (run->Ended.wait_for(lock, wait, [&] { return run->Done; }))
        return TStopResult::Stopped;
    run->Abandoned = true;
    run->Running = false;
    return TStopResult::Abandoned;
}

bool TScriptRunner::Running() const
{
    return FRun && FRun->Running.load();
}

void TScriptRunner::Received(std::string_view bytes)
{
    if (Running())
        FRun->Input.Push(bytes);
}

TScriptOutcome TScriptRunner::Run(const std::string &source, const std::string &chunkName,
    std::vector<std::string> allowedFiles, TScriptInput &input, const TScriptHooks &hooks)
{
    TScriptContext context { .Input = input, .Hooks = hooks, .AllowedFiles = std::move(allowedFiles) };
    lua_State *L = lua_newstate(LimitedAllocate, &context);
    if (!L)
        return { TScriptOutcome::Failed, "not enough memory" };
    SetContext(L, &context);
    lua_sethook(L, StopHook, LUA_MASKCOUNT, StopCheckInstructions);

    TScriptOutcome outcome;
    int status = luaL_loadbufferx(L, source.data(), source.size(), chunkName.c_str(), "t");
    if (status == LUA_OK) {
        // The libraries open inside the protected call, so that running out of memory there is an error too.
        lua_pushcfunction(L, [](lua_State *state) {
            OpenScriptSandbox(state);
            return 0;
        });
        status = lua_pcall(L, 0, 0, 0);
        if (status == LUA_OK)
            status = lua_pcall(L, 0, 0, 0);
    }
    if (status != LUA_OK && (input.StopRequested() || IsStopError(L, -1)))
        outcome = { TScriptOutcome::Stopped, {} };
    else if (status != LUA_OK)
        outcome = { TScriptOutcome::Failed, ErrorMessage(L) };
    lua_close(L);
    return outcome;
}
