// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "scripting/ScriptHooks.h"
#include "scripting/ScriptInput.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct lua_State;

// What the Lua functions of a running script reach through its state (kept in the state's extra space). Lives on the
// script's thread for the whole run.
//
// Lua raises errors with longjmp, which skips C++ destructors: the functions that take this context raise an error only
// from a frame that holds no C++ object (no lock, no string), doing their C++ work in helpers that return first.
struct TScriptContext {
    TScriptInput &Input;
    const TScriptHooks &Hooks;
    std::vector<std::string> AllowedFiles; // io.open opens these and no other file
    std::size_t MemoryUsed = 0;
    std::size_t MemoryLimit = 256u << 20;
    uint64_t DroppedTold = 0; // received bytes dropped unread that the output pane has been told of
};

TScriptContext &ContextOf(lua_State *L);
void SetContext(lua_State *L, TScriptContext *context);

// Ends the script: raised by the stop check and by a wait that a stop request woke. Never returns.
[[noreturn]] void RaiseStop(lua_State *L);
// Whether an error object is the one RaiseStop raises.
bool IsStopError(lua_State *L, int index);

// text, or when it is longer than limit bytes its start (cut where a UTF-8 character begins) and how long it was.
std::string CutText(std::string_view text, std::size_t limit);
