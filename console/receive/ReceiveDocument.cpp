// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/receive/ReceiveDocument.h"

#include "console/receive/ReceiveLog.h"
#include "core/AnsiText.h"

#include <algorithm>
#include <climits>

namespace
{

QString Decode(std::string_view bytes)
{
    bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii)
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    // A line is decoded whole: CR and LF can never be part of a GBK character, so decoding line by line gives what
    // decoding the whole text at once would.
    return QString::fromStdString(AnsiToUtf8(bytes));
}

} // namespace

TReceiveDocument::TReceiveDocument(std::shared_ptr<TReceiveLog> log)
    : FText(std::move(log))
{
    Reset();
}

void TReceiveDocument::Attach(std::shared_ptr<TReceiveLog> log)
{
    FText.Attach(std::move(log));
    Reset();
}

void TReceiveDocument::Clear()
{
    FText.Clear();
    Reset();
}

void TReceiveDocument::Reset()
{
    FAccessible.reset();
    FAnchor = FCaret = TPosition { FirstLine(), 0 };
}

void TReceiveDocument::SetView(TReceiveView view)
{
    if (view == FView)
        return;
    FView = view;
    Reset();
}

uint64_t TReceiveDocument::FirstLine() const
{
    if (!FView.Hex)
        return FText.FirstLine();
    // In the hex view a pane shows the chunks that came since its start.
    return FText.Log()->FirstChunkFrom(FText.FirstOffset());
}

uint64_t TReceiveDocument::EndLine() const
{
    return FView.Hex ? FText.Log()->EndChunk() : FText.FirstLine() + FText.LineCount();
}

QString TReceiveDocument::DecodedLine(uint64_t line) const
{
    const TReceiveLog &log = *FText.Log();
    if (FView.Hex) {
        std::string text = HexPairs(log.ChunkBytes(line));
        if (FView.Timestamps)
            text.insert(0, TimestampPrefix(log.ChunkArrival(line)));
        return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    }
    if (FView.Timestamps)
        return QString::fromLatin1(TimestampPrefix(log.LineArrival(line))) + DecodedTextLine(line);
    return DecodedTextLine(line);
}

void TReceiveDocument::ForEachShownPiece(const std::function<void(std::string_view)> &sink) const
{
    if (FView.Plain()) {
        FText.ForEachPiece(sink);
        return;
    }
    const TReceiveLog &log = *FText.Log();
    for (uint64_t line = FirstLine(); line < EndLine(); ++line) {
        std::string bytes;
        if (FView.Hex) {
            bytes = HexPairs(log.ChunkBytes(line));
            if (FView.Timestamps)
                bytes.insert(0, TimestampPrefix(log.ChunkArrival(line)));
        } else {
            bytes = TimestampPrefix(log.LineArrival(line));
            bytes.append(FText.ShownLine(line)); // the received bytes themselves, not their decoded form
        }
        bytes.append("\r\n");
        sink(bytes);
    }
}

QString TReceiveDocument::DecodedTextLine(uint64_t line) const
{
    const TReceiveLog &log = *FText.Log();
    std::string_view bytes = FText.ShownLine(line);
    // A GBK character split by a chunk boundary is shown whole, at the start of the line that holds its second byte.
    if (log.EndsInSplitCharacter(line) && line + 1 < log.EndLine())
        bytes.remove_suffix(1);
    if (line > FText.FirstLine() && log.EndsInSplitCharacter(line - 1)) {
        std::string joined(1, log.Line(line - 1).back());
        joined.append(bytes);
        return Decode(joined);
    }
    return Decode(bytes);
}

QString TReceiveDocument::LineText(uint64_t index) const
{
    return DecodedLine(FirstLine() + index);
}

std::optional<uint64_t> TReceiveDocument::LineChangedSince(uint64_t endLine) const
{
    if (FView.Hex)
        return std::nullopt;
    // The last line may have been open (it grows until it ends) or may have lost a split character to the next line.
    if (endLine > FText.FirstLine() && endLine <= FText.Log()->EndLine())
        return endLine - 1;
    return std::nullopt;
}

TReceiveDocument::TColumns TReceiveDocument::WordAt(const QString &text, int column)
{
    const int length = static_cast<int>(text.size());
    if (column < 0 || column >= length)
        return TColumns { std::clamp(column, 0, length), std::clamp(column, 0, length) };
    auto isWord = [&](int i) { return text[i].isLetterOrNumber() || text[i] == u'_'; };
    if (!isWord(column))
        return TColumns { column, column + 1 };
    int start = column;
    while (start > 0 && isWord(start - 1))
        --start;
    int end = column + 1;
    while (end < length && isWord(end))
        ++end;
    return TColumns { start, end };
}

QString TReceiveDocument::DisplayForm(QString text)
{
    for (QChar &c : text) {
        if ((c.unicode() < 0x20 && c != u'\t') || c.unicode() == 0x7F)
            c = u' ';
    }
    return text;
}

// Selection ---------------------------------------------------------------------------------------------------------

TReceiveDocument::TPosition TReceiveDocument::Clamp(TPosition p) const
{
    const uint64_t first = FirstLine();
    const uint64_t count = LineCount();
    if (count == 0)
        return TPosition { first, 0 };
    if (p.Line >= count)
        return TPosition { first + count - 1, static_cast<int>(LineText(count - 1).size()) };
    return TPosition { first + p.Line, std::clamp(p.Column, 0, static_cast<int>(LineText(p.Line).size())) };
}

void TReceiveDocument::Select(TPosition anchor, TPosition caret)
{
    FAnchor = Clamp(anchor);
    FCaret = Clamp(caret);
}

bool TReceiveDocument::SelectAll()
{
    const uint64_t count = LineCount();
    if (count == 0)
        return false;
    Select(TPosition { 0, 0 }, TPosition { count - 1, INT_MAX });
    return true;
}

TReceiveDocument::TPosition TReceiveDocument::Anchor() const
{
    return TPosition { FAnchor.Line - FirstLine(), FAnchor.Column };
}

TReceiveDocument::TPosition TReceiveDocument::SelectionStart() const
{
    TPosition p = std::min(FAnchor, FCaret);
    return TPosition { p.Line - FirstLine(), p.Column };
}

TReceiveDocument::TPosition TReceiveDocument::SelectionEnd() const
{
    TPosition p = std::max(FAnchor, FCaret);
    return TPosition { p.Line - FirstLine(), p.Column };
}

QString TReceiveDocument::SelectedText() const
{
    if (!HasSelection() || LineCount() == 0)
        return {};
    const TPosition from = std::min(FAnchor, FCaret);
    const TPosition to = std::max(FAnchor, FCaret);
    QString text;
    for (uint64_t line = from.Line; line <= to.Line; ++line) {
        QString decoded = DecodedLine(line);
        int start = line == from.Line ? from.Column : 0;
        int end = line == to.Line ? to.Column : static_cast<int>(decoded.size());
        text += decoded.mid(start, end - start);
        if (line != to.Line)
            text += u'\n';
    }
    return text;
}

std::optional<TReceiveDocument::TColumns> TReceiveDocument::SelectedColumns(uint64_t index, int length) const
{
    const TPosition from = std::min(FAnchor, FCaret);
    const TPosition to = std::max(FAnchor, FCaret);
    const uint64_t line = FirstLine() + index;
    if (from == to || line < from.Line || line > to.Line)
        return std::nullopt;
    const int start = line == from.Line ? from.Column : 0;
    const int end = line == to.Line ? to.Column : length + 1;
    return TColumns { start, std::max(start, end) };
}

// Accessible text ---------------------------------------------------------------------------------------------------

void TReceiveDocument::UpdateAccessibleCache() const
{
    if (!FAccessible || FAccessible->FirstLine != FirstLine()) {
        FAccessible = std::make_unique<TAccessibleCache>();
        FAccessible->FirstLine = FirstLine();
        FAccessible->UpTo = FirstLine();
    }
    TAccessibleCache &cache = *FAccessible;
    if (LineChangedSince(cache.UpTo)) {
        // Decode the last line again: its split character now shows at the start of the next one.
        cache.Text.truncate(cache.LineStarts.back() > 0 ? cache.LineStarts.back() - 1 : 0);
        cache.LineStarts.pop_back();
        --cache.UpTo;
    }
    const uint64_t end = EndLine();
    for (uint64_t line = cache.UpTo; line < end; ++line) {
        if (line != cache.FirstLine)
            cache.Text += u'\n';
        cache.LineStarts.push_back(static_cast<int>(cache.Text.size()));
        cache.Text += DecodedLine(line);
    }
    cache.UpTo = end;
}

const QString &TReceiveDocument::AccessibleText() const
{
    UpdateAccessibleCache();
    return FAccessible->Text;
}

int TReceiveDocument::OffsetOf(TPosition position) const
{
    UpdateAccessibleCache();
    if (FAccessible->LineStarts.empty())
        return 0;
    if (position.Line >= FAccessible->LineStarts.size())
        return static_cast<int>(FAccessible->Text.size());
    return FAccessible->LineStarts[position.Line] + position.Column;
}

TReceiveDocument::TPosition TReceiveDocument::PositionOfOffset(int offset) const
{
    UpdateAccessibleCache();
    const std::vector<int> &starts = FAccessible->LineStarts;
    if (starts.empty())
        return TPosition {};
    offset = std::clamp(offset, 0, static_cast<int>(FAccessible->Text.size()));
    auto it = std::upper_bound(starts.begin(), starts.end(), offset);
    uint64_t line = static_cast<uint64_t>(it - starts.begin()) - 1;
    return TPosition { line, offset - starts[line] };
}
