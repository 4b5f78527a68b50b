// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

struct lua_State;

// Sets the global table port in a state whose context is set:
//   port.send(text)           the bytes of text, exactly; nothing back, or false and "串口未打开" when the port is
//                             not open
//   port.sendhex("AA 55")     the bytes the hex pairs stand for (an error for bad hex); gives back what send does
//   port.expect(pattern, ms)  waits up to ms for a Lua pattern to match the bytes received and not yet taken; gives
//                             what string.match gives and takes the bytes up to the end of the match, or nil at the
//                             timeout (taking nothing)
//   port.read(ms)             waits up to ms for received bytes and takes all there are, or nil at the timeout
//   port.sleep(ms)
//   port.dtr(on), port.rts(on)
//   port.log(...)             its arguments as text, separated by tabs, to the output pane (a long line cut)
// A timeout is a number of milliseconds; one beyond a year waits a year. Every wait ends at once when the script is
// stopped. When bytes were dropped unread because more than TScriptInput::MaxPending waited, the next read or expect
// says how many in the output pane first. A pattern error names the script's line.
void OpenPortLibrary(lua_State *L);

// The function behind port.log and print.
int PortLog(lua_State *L);
