// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/receive/ReceiveText.h"

#include "console/receive/ReceiveLog.h"

#include <algorithm>
#include <stdexcept>

TReceiveText::TReceiveText(std::shared_ptr<TReceiveLog> log)
{
    Attach(std::move(log));
}

TReceiveText::~TReceiveText()
{
    if (FLog)
        FLog->RemoveReader(this);
}

void TReceiveText::Attach(std::shared_ptr<TReceiveLog> log)
{
    if (!log)
        throw std::invalid_argument("receive text needs a log");
    if (FLog)
        FLog->RemoveReader(this);
    FLog = std::move(log);
    FLog->AddReader(this);
    StartAtEnd();
}

uint64_t TReceiveText::LineCount() const
{
    // Right after a clearing the open line may be the first line with none of its bytes shown yet.
    return ByteCount() == 0 ? 0 : FLog->EndLine() - FFirstLine;
}

std::string_view TReceiveText::Line(uint64_t index) const
{
    return ShownLine(FFirstLine + index);
}

std::string_view TReceiveText::ShownLine(uint64_t line) const
{
    std::string_view text = FLog->Line(line);
    if (line == FFirstLine && FFirstOffset > FFirstLineStart)
        text.remove_prefix(
            std::min<std::size_t>(text.size(), static_cast<std::size_t>(FFirstOffset - FFirstLineStart)));
    return text;
}

uint64_t TReceiveText::ByteCount() const
{
    return FLog->EndOffset() - FFirstOffset;
}

void TReceiveText::ForEachPiece(const std::function<void(std::string_view)> &sink) const
{
    FLog->ForEachPiece(FFirstOffset, sink);
}

std::string TReceiveText::Bytes() const
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(ByteCount()));
    ForEachPiece([&](std::string_view piece) { bytes.append(piece); });
    return bytes;
}

void TReceiveText::Clear()
{
    StartAtEnd();
    FLog->ReleaseUnread();
}

void TReceiveText::StartAtEnd()
{
    FFirstLine = FLog->OpenLine();
    FFirstLineStart = FLog->LineStart(FFirstLine);
    FFirstOffset = FLog->EndOffset();
}
