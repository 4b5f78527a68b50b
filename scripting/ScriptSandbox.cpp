// SPDX-License-Identifier: GPL-3.0-or-later
#include "scripting/ScriptSandbox.h"

#include "scripting/PortLibrary.h"
#include "scripting/ScriptContext.h"

#include <algorithm>
#include <filesystem>
#include <lua.hpp>

namespace
{

// The path as the file system names it, so that "a/../b" or a link cannot pass for a chosen file or hide one.
std::string NormalPath(const std::string &path)
{
    std::error_code error;
    std::filesystem::path normal = std::filesystem::weakly_canonical(std::filesystem::absolute(path, error), error);
    return error ? std::string() : normal.string();
}

bool IsChosenFile(const TScriptContext &context, const char *path)
{
    const std::string wanted = NormalPath(path);
    return !wanted.empty()
        && std::any_of(context.AllowedFiles.begin(), context.AllowedFiles.end(),
            [&](const std::string &chosen) { return NormalPath(chosen) == wanted; });
}

// io.open for the files the user chose; any other path gives nil and a message, as a file that cannot be opened
// does. Upvalue 1 is the io library's own open.
int IoOpen(lua_State *L)
{
    const char *path = luaL_checkstring(L, 1);
    if (!IsChosenFile(ContextOf(L), path)) {
        lua_pushnil(L);
        lua_pushfstring(L, "%s: 只能打开在对话框中选择的文件", path);
        return 2;
    }
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
    return lua_gettop(L);
}

// The base library's load with the mode forced to text: a binary chunk could break the state's memory safety.
// Upvalue 1 is the original load.
int TextLoad(lua_State *L)
{
    // An environment given as nil is not the same as none given.
    const bool hasEnvironment = lua_gettop(L) >= 4;
    lua_settop(L, 4);
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_pushvalue(L, 1);
    lua_pushvalue(L, 2);
    lua_pushliteral(L, "t");
    if (hasEnvironment)
        lua_pushvalue(L, 4);
    lua_call(L, hasEnvironment ? 4 : 3, LUA_MULTRET);
    return lua_gettop(L) - 4;
}

// A message handler of xpcall, with the script's handler as upvalue 1. Lua runs a handler for an error raised by the
// stop check with the check off, so a handler that loops could never be stopped: the stop passes it by.
int StoppableHandler(lua_State *L)
{
    if (IsStopError(L, 1) || ContextOf(L).Input.StopRequested()) {
        lua_settop(L, 1);
        return 1;
    }
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, 1);
    return 1;
}

// xpcall with the handler wrapped in StoppableHandler. Upvalue 1 is the original xpcall.
int StoppableXpcall(lua_State *L)
{
    luaL_checktype(L, 2, LUA_TFUNCTION);
    lua_pushvalue(L, 2);
    lua_pushcclosure(L, StoppableHandler, 1);
    lua_replace(L, 2);
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
    return lua_gettop(L);
}

// setmetatable refusing a metatable with __gc: Lua runs finalizers with the stop check off (and at the end of every
// run), so one that loops would hold the script for ever. Upvalue 1 is the original setmetatable.
int SetMetatableWithoutFinalizer(lua_State *L)
{
    lua_settop(L, 2);
    lua_pushliteral(L, "__gc");
    if (lua_type(L, 2) == LUA_TTABLE && lua_rawget(L, 2) != LUA_TNIL)
        return luaL_error(L, "脚本不能使用 __gc（终结器无法停止）");
    lua_settop(L, 2);
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, 2, 1);
    return 1;
}

void OpenLibrary(lua_State *L, const char *name, lua_CFunction open)
{
    luaL_requiref(L, name, open, 1);
    lua_pop(L, 1);
}

// Sets table field name of the table on top to the same field of the table at index from.
void CopyField(lua_State *L, int from, const char *name)
{
    lua_getfield(L, from, name);
    lua_setfield(L, -2, name);
}

} // namespace

void OpenScriptSandbox(lua_State *L)
{
    OpenLibrary(L, LUA_GNAME, luaopen_base);
    OpenLibrary(L, LUA_STRLIBNAME, luaopen_string);
    OpenLibrary(L, LUA_MATHLIBNAME, luaopen_math);
    OpenLibrary(L, LUA_TABLIBNAME, luaopen_table);

    lua_pushnil(L);
    lua_setglobal(L, "dofile");
    lua_pushnil(L);
    lua_setglobal(L, "loadfile");
    lua_getglobal(L, "load");
    lua_pushcclosure(L, TextLoad, 1);
    lua_setglobal(L, "load");
    lua_pushcfunction(L, PortLog);
    lua_setglobal(L, "print");
    lua_getglobal(L, "xpcall");
    lua_pushcclosure(L, StoppableXpcall, 1);
    lua_setglobal(L, "xpcall");
    lua_getglobal(L, "setmetatable");
    lua_pushcclosure(L, SetMetatableWithoutFinalizer, 1);
    lua_setglobal(L, "setmetatable");

    // The full os and io libraries stay out of reach (not global, and no package library to find them): the script
    // gets new tables with the harmless part.
    luaL_requiref(L, LUA_OSLIBNAME, luaopen_os, 0);
    const int os = lua_gettop(L);
    lua_createtable(L, 0, 4);
    for (const char *name : { "time", "clock", "date", "difftime" })
        CopyField(L, os, name);
    lua_setglobal(L, LUA_OSLIBNAME);
    lua_pop(L, 1);

    luaL_requiref(L, LUA_IOLIBNAME, luaopen_io, 0);
    lua_createtable(L, 0, 1);
    lua_getfield(L, -2, "open");
    lua_pushcclosure(L, IoOpen, 1);
    lua_setfield(L, -2, "open");
    lua_setglobal(L, LUA_IOLIBNAME);
    lua_pop(L, 1);

    OpenPortLibrary(L);
}
