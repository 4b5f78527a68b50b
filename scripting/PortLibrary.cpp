// SPDX-License-Identifier: GPL-3.0-or-later
#include "scripting/PortLibrary.h"

#include "core/HexText.h"
#include "scripting/ScriptContext.h"

#include <algorithm>
#include <chrono>
#include <lua.hpp>
#include <optional>

namespace
{

using std::chrono::steady_clock;

// Results of the helpers that do the C++ work: a count of results pushed, or one of these.
constexpr int Stopped = -1;
constexpr int ErrorPushed = -2; // the error object is on the stack

steady_clock::time_point DeadlineAfter(lua_Integer ms)
{
    return steady_clock::now() + std::chrono::milliseconds(std::max<lua_Integer>(ms, 0));
}

// Ends a port function: raises the stop or the error the helper left, or returns its results.
int Finish(lua_State *L, int results)
{
    if (results == Stopped)
        RaiseStop(L);
    if (results == ErrorPushed)
        return lua_error(L);
    return results;
}

void CallHook(const std::function<void(std::string)> &hook, const char *data, std::size_t size)
{
    if (hook)
        hook(std::string(data, size));
}

// How long a send waits before it offers its bytes again when the port's thread has too many to take.
constexpr auto SendRetryAfter = std::chrono::milliseconds(5);

// Hands bytes to the Send hook, waiting while it has too many; Stopped when a stop request ends the wait.
int Send(lua_State *L, const char *data, std::size_t size)
{
    TScriptContext &context = ContextOf(L);
    if (!context.Hooks.Send)
        return 0;
    const std::string bytes(data, size);
    while (!context.Hooks.Send(bytes))
        if (context.Input.Sleep(steady_clock::now() + SendRetryAfter) == TScriptInput::TWait::Stopped)
            return Stopped;
    return 0;
}

int PortSend(lua_State *L)
{
    std::size_t size = 0;
    const char *data = luaL_checklstring(L, 1, &size);
    return Finish(L, Send(L, data, size));
}

int SendHexBytes(lua_State *L, const char *text, std::size_t size)
{
    THexText hex = ParseHexText(std::string_view(text, size));
    if (!hex.Good()) {
        std::string message = HexErrorText(hex.BadPosition);
        lua_pushlstring(L, message.data(), message.size());
        return ErrorPushed;
    }
    return Send(L, hex.Bytes.data(), hex.Bytes.size());
}

int PortSendHex(lua_State *L)
{
    std::size_t size = 0;
    const char *text = luaL_checklstring(L, 1, &size);
    int results = SendHexBytes(L, text, size);
    if (results == ErrorPushed) {
        // With the caller's line in front, as luaL_error gives it.
        luaL_where(L, 1);
        lua_insert(L, -2);
        lua_concat(L, 2);
    }
    return Finish(L, results);
}

// Waits for the received bytes to change after `version`: nothing when they did (look again), else what the port
// call returns: Stopped, or nil on the stack at the deadline.
std::optional<int> AwaitChange(lua_State *L, TScriptInput &input, uint64_t version, steady_clock::time_point deadline)
{
    switch (input.WaitForChange(version, deadline)) {
    case TScriptInput::TWait::Changed:
        return std::nullopt;
    case TScriptInput::TWait::Stopped:
        return Stopped;
    case TScriptInput::TWait::TimedOut:
        break;
    }
    lua_pushnil(L);
    return 1;
}

// Matches the pattern at index 1 with string.find (upvalue 1) against the bytes not yet taken, each time they change.
int Expect(lua_State *L, steady_clock::time_point deadline)
{
    TScriptInput &input = ContextOf(L).Input;
    for (;;) {
        const TScriptInput::TSnapshot snapshot = input.Snapshot();
        const int base = lua_gettop(L);
        lua_pushvalue(L, lua_upvalueindex(1));
        lua_pushlstring(L, snapshot.Bytes.data(), snapshot.Bytes.size());
        lua_pushvalue(L, 1);
        if (lua_pcall(L, 2, LUA_MULTRET, 0) != LUA_OK)
            return ErrorPushed;
        const int found = lua_gettop(L) - base;
        if (found >= 2 && !lua_isnil(L, base + 1)) {
            const auto start = static_cast<std::size_t>(lua_tointeger(L, base + 1));
            const auto end = static_cast<std::size_t>(lua_tointeger(L, base + 2));
            input.Take(snapshot, end);
            if (found == 2) {
                // No captures: string.match gives the whole match.
                lua_settop(L, base);
                lua_pushlstring(L, snapshot.Bytes.data() + start - 1, end + 1 - start);
                return 1;
            }
            lua_remove(L, base + 1);
            lua_remove(L, base + 1);
            return found - 2;
        }
        lua_settop(L, base);
        if (const std::optional<int> results = AwaitChange(L, input, snapshot.Version, deadline))
            return *results;
    }
}

int PortExpect(lua_State *L)
{
    luaL_checkstring(L, 1);
    const lua_Integer timeout = luaL_checkinteger(L, 2);
    lua_settop(L, 1);
    return Finish(L, Expect(L, DeadlineAfter(timeout)));
}

int Read(lua_State *L, steady_clock::time_point deadline)
{
    TScriptInput &input = ContextOf(L).Input;
    for (;;) {
        const TScriptInput::TSnapshot snapshot = input.Snapshot();
        if (!snapshot.Bytes.empty()) {
            input.Take(snapshot, snapshot.Bytes.size());
            lua_pushlstring(L, snapshot.Bytes.data(), snapshot.Bytes.size());
            return 1;
        }
        if (const std::optional<int> results = AwaitChange(L, input, snapshot.Version, deadline))
            return *results;
    }
}

int PortRead(lua_State *L)
{
    return Finish(L, Read(L, DeadlineAfter(luaL_checkinteger(L, 1))));
}

int PortSleep(lua_State *L)
{
    const steady_clock::time_point deadline = DeadlineAfter(luaL_checkinteger(L, 1));
    const bool stopped = ContextOf(L).Input.Sleep(deadline) == TScriptInput::TWait::Stopped;
    return Finish(L, stopped ? Stopped : 0);
}

int PortDtr(lua_State *L)
{
    luaL_checkany(L, 1);
    if (const auto &hook = ContextOf(L).Hooks.SetDtr)
        hook(lua_toboolean(L, 1));
    return 0;
}

int PortRts(lua_State *L)
{
    luaL_checkany(L, 1);
    if (const auto &hook = ContextOf(L).Hooks.SetRts)
        hook(lua_toboolean(L, 1));
    return 0;
}

} // namespace

int PortLog(lua_State *L)
{
    const int count = lua_gettop(L);
    luaL_Buffer line;
    luaL_buffinit(L, &line);
    for (int i = 1; i <= count; ++i) {
        if (i > 1)
            luaL_addchar(&line, '\t');
        luaL_tolstring(L, i, nullptr);
        luaL_addvalue(&line);
    }
    luaL_pushresult(&line);
    std::size_t size = 0;
    const char *text = lua_tolstring(L, -1, &size);
    CallHook(ContextOf(L).Hooks.Log, text, size);
    return 0;
}

void OpenPortLibrary(lua_State *L)
{
    const luaL_Reg functions[] = {
        { "send", PortSend },
        { "sendhex", PortSendHex },
        { "read", PortRead },
        { "sleep", PortSleep },
        { "dtr", PortDtr },
        { "rts", PortRts },
        { "log", PortLog },
        { nullptr, nullptr },
    };
    luaL_newlib(L, functions);
    // expect keeps string.find as it was when the script started, whatever the script does to the string table.
    lua_getglobal(L, "string");
    lua_getfield(L, -1, "find");
    lua_remove(L, -2);
    lua_pushcclosure(L, PortExpect, 1);
    lua_setfield(L, -2, "expect");
    lua_setglobal(L, "port");
}
