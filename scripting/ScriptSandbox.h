// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

struct lua_State;

// Opens what a script may use in a fresh state whose context is set: the base functions without dofile and loadfile
// (load takes only text chunks, print writes to the output pane, xpcall's handler is passed by when the script is
// stopped, setmetatable refuses a metatable with __gc), string, math, table, an os table with only time,
// clock, date and difftime, an io table with only open, which opens only the files the user chose, and the port
// table. No package library, so no require of Lua or C modules; no os.execute, io.popen or debug.
void OpenScriptSandbox(lua_State *L);
