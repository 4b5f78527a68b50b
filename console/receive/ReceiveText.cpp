// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/receive/ReceiveText.h"

#include "console/receive/ReceiveLog.h"

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
    FFirstLine = FLog->EndLine();
    FFirstOffset = FLog->EndOffset();
    FLog->AddReader(this);
}

uint64_t TReceiveText::LineCount() const
{
    return FLog->EndLine() - FFirstLine;
}

std::string_view TReceiveText::Line(uint64_t index) const
{
    return FLog->Line(FFirstLine + index);
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
    FFirstLine = FLog->EndLine();
    FFirstOffset = FLog->EndOffset();
    FLog->ReleaseUnread();
}
