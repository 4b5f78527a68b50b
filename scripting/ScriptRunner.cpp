// SPDX-License-Identifier: GPL-3.0-or-later
#include "scripting/ScriptRunner.h"

#include "scripting/ScriptContext.h"
#include "scripting/ScriptSandbox.h"

#include <cstdlib>
#include <lua.hpp>

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
    if (const char *message = lua_tostring(L, -1))
        return message;
    return std::string("(error object is a ") + luaL_typename(L, -1) + " value)";
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
    if (FRunning)
        return false;
    if (FThread.joinable())
        FThread.join();
    FInput.Reset();
    FRunning = true;
    FThread = std::thread([this, source = std::move(source), chunkName = std::move(chunkName),
                              allowedFiles = std::move(allowedFiles), finished = std::move(finished)]() mutable {
        TScriptOutcome outcome = Run(source, chunkName, std::move(allowedFiles), FInput, FHooks);
        FRunning = false;
        if (finished)
            finished(outcome);
    });
    return true;
}

void TScriptRunner::Stop()
{
    FInput.RequestStop();
    if (FThread.joinable())
        FThread.join();
}

void TScriptRunner::Received(std::string_view bytes)
{
    if (FRunning)
        FInput.Push(bytes);
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
