// SPDX-License-Identifier: GPL-3.0-or-later
#include "scripting/ScriptContext.h"

#include <lua.hpp>

namespace
{

// Its address is the stop error: a light userdata no script can make.
const char StopErrorKey = 0;

} // namespace

TScriptContext &ContextOf(lua_State *L)
{
    return **static_cast<TScriptContext **>(lua_getextraspace(L));
}

void SetContext(lua_State *L, TScriptContext *context)
{
    *static_cast<TScriptContext **>(lua_getextraspace(L)) = context;
}

void RaiseStop(lua_State *L)
{
    lua_pushlightuserdata(L, const_cast<char *>(&StopErrorKey));
    lua_error(L);
    __builtin_unreachable();
}

bool IsStopError(lua_State *L, int index)
{
    return lua_islightuserdata(L, index) && lua_touserdata(L, index) == &StopErrorKey;
}
