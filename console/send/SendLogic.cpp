// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/send/SendLogic.h"

#include "console/history/HistoryFile.h"
#include "core/AnsiText.h"
#include "core/MessageBox.h"

#include <algorithm>

std::string SendBoxBytes(std::string_view utf8Text)
{
    std::string text;
    text.reserve(utf8Text.size() + utf8Text.size() / 16);
    for (std::size_t i = 0; i < utf8Text.size(); ++i) {
        char c = utf8Text[i];
        if (c == '\n' && (i == 0 || utf8Text[i - 1] != '\r'))
            text.push_back('\r');
        text.push_back(c);
    }
    return Utf8ToAnsi(text);
}

THexText SendBoxContent(std::string_view utf8Text, bool hex)
{
    if (hex)
        return ParseHexText(utf8Text);
    return { .Bytes = SendBoxBytes(utf8Text) };
}

bool CheckSendBoxContent(const THexText &content)
{
    if (content.Good())
        return true;
    ShowMessageBox(HexErrorText(content.BadPosition), "提示", mbIconStop);
    return false;
}

TSendResult SendText(std::string_view bytes, const TSendFunction &send, std::string_view trailer)
{
    if (bytes.empty())
        return TSendResult::NothingToSend;
    bool queued = false;
    for (std::size_t pos = 0; pos < bytes.size(); pos += MaxSendRequest) {
        std::size_t count = std::min(MaxSendRequest, bytes.size() - pos);
        queued = send(bytes.data() + pos, static_cast<unsigned>(count));
    }
    if (!trailer.empty())
        queued = send(trailer.data(), static_cast<unsigned>(trailer.size()));
    return queued ? TSendResult::Sent : TSendResult::SendFailed;
}

void ReportSendResult(TSendResult result)
{
    switch (result) {
    case TSendResult::Sent:
        break;
    case TSendResult::NothingToSend:
        ShowMessageBox("无数据可发送，请先输入要发送的数据", "提示", mbIconExclamation);
        break;
    case TSendResult::SendFailed:
        ShowMessageBox("数据发送错误，请检查串口是否打开", "提示", mbIconStop);
        break;
    }
}

TSendResult SendAndReport(std::string_view bytes, const TSendFunction &send, std::string_view trailer)
{
    TSendResult result = SendText(bytes, send, trailer);
    ReportSendResult(result);
    return result;
}

void SendSaveAndReport(std::string_view bytes, const TSendFunction &send, const std::string &historyPath,
    std::string_view trailer, std::optional<std::string_view> historyEntry)
{
    if (bytes.empty()) {
        ReportSendResult(TSendResult::NothingToSend);
        return;
    }
    SendAndReport(bytes, send, trailer);
    if (THistoryFile::AppendEntry(historyPath, historyEntry.value_or(bytes)))
        ShowMessageBox("数据保存成功", " 示", mbIconInformation);
    else
        ShowMessageBox("数据保存错误", " 示", mbIconStop);
}

TTimedSendAction TimedSendButtonAction(bool sendBoxEmpty, std::string_view caption)
{
    if (sendBoxEmpty) {
        ReportSendResult(TSendResult::NothingToSend);
        return TTimedSendAction::NothingToSend;
    }
    return caption == TimedSendCaption ? TTimedSendAction::ChooseInterval : TTimedSendAction::Stop;
}
