#include "console/SendLogic.h"

#include "console/HistoryFile.h"
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

TSendResult SendText(std::string_view bytes, const TSendFunction &send)
{
    if (bytes.empty())
        return TSendResult::NothingToSend;
    for (std::size_t pos = 0; pos < bytes.size(); pos += MaxSendRequest) {
        std::size_t count = std::min(MaxSendRequest, bytes.size() - pos);
        send(bytes.data() + pos, static_cast<unsigned>(count));
    }
    bool queued = send(SendTrailer.data(), static_cast<unsigned>(SendTrailer.size()));
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

TSendResult SendAndReport(std::string_view bytes, const TSendFunction &send)
{
    TSendResult result = SendText(bytes, send);
    ReportSendResult(result);
    return result;
}

void SendSaveAndReport(std::string_view bytes, const TSendFunction &send, const std::string &historyPath)
{
    if (bytes.empty()) {
        ReportSendResult(TSendResult::NothingToSend);
        return;
    }
    SendAndReport(bytes, send);
    if (THistoryFile::AppendEntry(historyPath, bytes))
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
