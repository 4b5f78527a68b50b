// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// Which flow control the port uses, chosen in the port settings window and kept in setfile.ini beside the port
// settings. None lets every byte through both ways, 0x11 and 0x13 included; XonXoff lets the device pause what is
// sent with XOFF and resume it with XON (and pauses the device the same way); RtsCts paces both sides with the
// RTS and CTS lines.
enum class TFlowControl { None, XonXoff, RtsCts };

// The word kept in the file: "none", "xonxoff" or "rtscts". Any other word reads as none.
std::string_view FlowControlWord(TFlowControl flow);
TFlowControl FlowControlOfWord(std::string_view word);

// The choice kept in the settings file at path; none when the file or the key is missing. Never fails.
TFlowControl ReadFlowControl(const std::string &path);
// False when the write was refused; the file is then unchanged.
bool WriteFlowControl(const std::string &path, TFlowControl flow);
