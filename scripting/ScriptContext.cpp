// SPDX-License-Identifier: GPL-3.0-or-later
#include "scripting/ScriptContext.h"

#include <lua.hpp>
#include <string>

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

std::string CutText(std::string_view text, std::size_t limit)
{
    if (text.size() <= limit)
        return std::string(text);
    std::size_t end = limit;
    // Back to the first byte of a character, so that a cut UTF-8 text stays UTF-8 (a UTF-8 character has at most
    // three bytes after its first).
    while (end + 3 > limit && end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return std::string(text.substr(0, end)) + "…（共 " + std::to_string(text.size()) + " 字节）";
}
