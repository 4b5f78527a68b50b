// SPDX-License-Identifier: GPL-3.0-or-later
#include "scripting/PortLibrary.h"

#include "core/HexText.h"
#include "scripting/ScriptContext.h"

#include <algorithm>
#include <chrono>
#include <lua.hpp>
#include <optional>
#include <string>

namespace
{

using std::chrono::steady_clock;

// Results of the helpers that do the C++ work: a count of results pushed, or one of these.
constexpr int Stopped = -1;
constexpr int ErrorPushed = -2; // the error object is on the stack

// The longest wait a port call takes: a longer timeout (up to a number too big for a clock) waits this long, which is
// as good as for ever, and still ends at once when the script is stopped.
constexpr double LongestWaitMs = 365.0 * 24 * 3600 * 1000;

// The timeout argument at index: a number of milliseconds, cut to [0, LongestWaitMs].
steady_clock::time_point DeadlineAfter(lua_State *L, int index)
{
    const double ms = luaL_checknumber(L, index);
    const double clamped = ms > 0 ? std::min(ms, LongestWaitMs) : 0.0; // NaN waits not at all
    return steady_clock::now()
        + std::chrono::duration_cast<steady_clock::duration>(std::chrono::duration<double, std::milli>(clamped));
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

// How long a script waits before it offers something again to a hook that had too much on its way.
constexpr auto BusyRetryAfter = std::chrono::milliseconds(5);

// Offers argument to hook until it is taken, waiting while the hook is busy. What the hook last replied (Taken for a
// missing hook), or nothing when a stop request ended the wait. Every offer is also a stop point: a loop of costly
// calls (printing a megabyte) runs few Lua instructions, so the instruction-count check alone would come late.
template <typename THook, typename TArgument>
std::optional<THookReply> Offer(lua_State *L, const THook &hook, const TArgument &argument)
{
    if (ContextOf(L).Input.StopRequested())
        return std::nullopt;
    if (!hook)
        return THookReply::Taken;
    for (;;) {
        const THookReply reply = hook(argument);
        if (reply != THookReply::Busy)
            return reply;
        if (ContextOf(L).Input.Sleep(steady_clock::now() + BusyRetryAfter) == TScriptInput::TWait::Stopped)
            return std::nullopt;
    }
}

// A line to the output pane, cut to MaxLogBytes; Stopped or 0.
int Log(lua_State *L, std::string_view text)
{
    const std::string line = CutText(text, MaxLogBytes);
    return Offer(L, ContextOf(L).Hooks.Log, std::string_view(line)) ? 0 : Stopped;
}

// Hands bytes to the Send hook. Nothing pushed when they went (port.send gives nothing back then), false and the
// reason when the port is not open, Stopped when a stop request ended the wait.
int Send(lua_State *L, const char *data, std::size_t size)
{
    const std::optional<THookReply> reply = Offer(L, ContextOf(L).Hooks.Send, std::string_view(data, size));
    if (!reply)
        return Stopped;
    if (*reply != THookReply::PortClosed)
        return 0;
    lua_pushboolean(L, false);
    lua_pushliteral(L, "串口未打开");
    return 2;
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

// Tells the output pane of received bytes dropped unread since it was last told; Stopped or 0.
int TellDropped(lua_State *L, const TScriptInput::TSnapshot &snapshot)
{
    TScriptContext &context = ContextOf(L);
    if (snapshot.Dropped <= context.DroppedTold)
        return 0;
    const uint64_t dropped = snapshot.Dropped - context.DroppedTold;
    context.DroppedTold = snapshot.Dropped;
    return Log(L,
        "脚本未及时读取，已丢弃 " + std::to_string(dropped) + " 字节接收数据（最多保留 "
            + std::to_string(TScriptInput::MaxPending) + " 字节）");
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
        if (TellDropped(L, snapshot) == Stopped)
            return Stopped;
        const int base = lua_gettop(L);
        lua_pushvalue(L, lua_upvalueindex(1));
        lua_pushlstring(L, snapshot.Bytes.data(), snapshot.Bytes.size());
        lua_pushvalue(L, 1);
        if (lua_pcall(L, 2, LUA_MULTRET, 0) != LUA_OK) {
            // A bad pattern: string.find's message names no line, so it gets the caller's, as luaL_error gives it.
            if (lua_type(L, -1) == LUA_TSTRING) {
                luaL_where(L, 1);
                lua_insert(L, -2);
                lua_concat(L, 2);
            }
            return ErrorPushed;
        }
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
    const steady_clock::time_point deadline = DeadlineAfter(L, 2);
    lua_settop(L, 1);
    return Finish(L, Expect(L, deadline));
}

int Read(lua_State *L, steady_clock::time_point deadline)
{
    TScriptInput &input = ContextOf(L).Input;
    for (;;) {
        const TScriptInput::TSnapshot snapshot = input.Snapshot();
        if (TellDropped(L, snapshot) == Stopped)
            return Stopped;
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
    return Finish(L, Read(L, DeadlineAfter(L, 1)));
}

int PortSleep(lua_State *L)
{
    const steady_clock::time_point deadline = DeadlineAfter(L, 1);
    const bool stopped = ContextOf(L).Input.Sleep(deadline) == TScriptInput::TWait::Stopped;
    return Finish(L, stopped ? Stopped : 0);
}

int SetLine(lua_State *L, const std::function<THookReply(bool)> &hook, bool on)
{
    return Offer(L, hook, on) ? 0 : Stopped;
}

int PortDtr(lua_State *L)
{
    luaL_checkany(L, 1);
    return Finish(L, SetLine(L, ContextOf(L).Hooks.SetDtr, lua_toboolean(L, 1)));
}

int PortRts(lua_State *L)
{
    luaL_checkany(L, 1);
    return Finish(L, SetLine(L, ContextOf(L).Hooks.SetRts, lua_toboolean(L, 1)));
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
    return Finish(L, Log(L, std::string_view(text, size)));
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
