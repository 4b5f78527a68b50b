// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "console/send/SendFormat.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Hands bytes to the serial component for sending (its SendData): true when they were queued, false when nothing was
// queued (port closed, empty request, queue refused). At most MaxSendRequest bytes per call.
using TSendFunction = std::function<bool(const char *data, unsigned count)>;

// Four printable bytes sent after every send text, as a request of their own, unless the user picked another ending.
inline constexpr std::string_view SendTrailer = "[RS]";
// One request carries an unsigned 16-bit byte count.
inline constexpr std::size_t MaxSendRequest = 65535;

inline constexpr const char *TimedSendCaption = "定时发送";
inline constexpr const char *StopSendCaption = "停止发送";

enum class TSendResult {
    Sent,
    NothingToSend, // the send box was empty: nothing went out
    SendFailed, // the trailer could not be queued (port closed)
};

// The send box's text (UTF-8, as the widget holds it) as it goes on the line: every line break as CR LF, in GBK.
std::string SendBoxBytes(std::string_view utf8Text);

// The send box's content as it goes on the line: the text as SendBoxBytes makes it, or with hex send on the bytes its
// hex pairs stand for (BadPosition names the first fault; nothing goes out then).
THexText SendBoxContent(std::string_view utf8Text, bool hex);

// Shows the hex format box when the content is bad; true when it is good.
bool CheckSendBoxContent(const THexText &content);

// Sends the text and then the trailer. A text longer than one request goes out whole, as consecutive requests of at
// most MaxSendRequest bytes, before the trailer. Only the last request's result decides (the trailer's, unless the
// trailer is empty): a closed port fails every request and is reported once.
TSendResult SendText(std::string_view bytes, const TSendFunction &send, std::string_view trailer = SendTrailer);

// Shows the message box for a result; nothing for Sent.
void ReportSendResult(TSendResult result);

// "发送": send and report.
TSendResult SendAndReport(std::string_view bytes, const TSendFunction &send, std::string_view trailer = SendTrailer);

// "发送并保存": send and report as "发送" does, then append the history entry to the history file (which must exist)
// and report that with its own box, whatever the send gave. The entry is the box's text in GBK, which is what was sent
// unless hex send is on.
void SendSaveAndReport(std::string_view bytes, const TSendFunction &send, const std::string &historyPath,
    std::string_view trailer = SendTrailer, std::optional<std::string_view> historyEntry = std::nullopt);

enum class TTimedSendAction {
    NothingToSend, // the nothing-to-send box was shown; the caption stays
    ChooseInterval, // show the interval window and set the caption to StopSendCaption
    Stop, // stop the timer and set the caption to TimedSendCaption
};

// "定时发送"/"停止发送": what the button does, from the send box and the button's caption. Shows the box itself.
TTimedSendAction TimedSendButtonAction(bool sendBoxEmpty, std::string_view caption);
