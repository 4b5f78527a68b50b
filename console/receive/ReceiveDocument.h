// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "console/receive/ReceiveText.h"
#include "console/receive/ReceiveView.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TReceiveLog;

// What a receive pane shows, without the widget: its text (TReceiveText) decoded from GBK line by line, the
// selection, and the whole text as one string for a screen reader with the conversions between character offsets in
// it and positions. Every decoded character comes from DecodedLine, the one place where bytes become text.
//
// A GBK character that a line cut splits (its lead byte ends one line, its second byte starts the next) is shown
// whole at the start of the line that holds its second byte; the line before shows without the lead byte. A lone
// lead byte at the end of the open line shows as U+FFFD until its second byte arrives. The bytes themselves stay as
// received.
//
// Positions count decoded characters: a line index of this text (0 = its first line) and a character index in the
// line. The accessible text joins the lines with '\n'; its offsets are character offsets in it.
// Used on the user-interface thread only.
class TReceiveDocument
{
public:
    struct TPosition {
        uint64_t Line = 0;
        int Column = 0;
        auto operator<=>(const TPosition &) const = default;
    };
    // The selected columns of one line: [Start, End).
    struct TColumns {
        int Start = 0;
        int End = 0;
        bool operator==(const TColumns &) const = default;
    };

    // Starts empty, at the log's current end.
    explicit TReceiveDocument(std::shared_ptr<TReceiveLog> log);

    // Moves to another log, empty; the selection is dropped.
    void Attach(std::shared_ptr<TReceiveLog> log);
    // Empties this text (other texts on the same log keep theirs); the selection is dropped.
    void Clear();

    TReceiveText &Text() { return FText; }
    const TReceiveText &Text() const { return FText; }

    // How the text is shown; a change drops the selection. In the hex view a line is a chunk, and the absolute line
    // numbers below are chunk numbers of the log.
    void SetView(TReceiveView view);
    TReceiveView View() const { return FView; }

    uint64_t LineCount() const { return EndLine() - FirstLine(); }
    // The absolute numbers of the first line shown and of the line after the last.
    uint64_t FirstLine() const;
    uint64_t EndLine() const;

    // The text as shown, for saving: the bytes exactly as received in the plain view; otherwise every line as shown
    // (the received bytes of a text line keep their encoding) followed by CR LF.
    void ForEachShownPiece(const std::function<void(std::string_view)> &sink) const;

    // Line `index` as shown, decoded, every character as received (lone CR or LF included).
    QString LineText(uint64_t index) const;
    // Absolute line `line` as this text shows it.
    QString DecodedLine(uint64_t line) const;
    // The absolute line that may show differently now than when the log ended at line `endLine`: the line that was
    // last then, which may have been open and grown since, or may have ended in a lone lead byte that a later line
    // now shows whole.
    std::optional<uint64_t> LineChangedSince(uint64_t endLine) const;

    // Selection. Positions given are clamped to the text: a line past the end means the end of the last line, a
    // column past the end of its line means the line's end.
    void Select(TPosition anchor, TPosition caret);
    // Selects the whole text; returns false (and changes nothing) when the text is empty.
    bool SelectAll();
    bool HasSelection() const { return FAnchor != FCaret; }
    TPosition Anchor() const;
    TPosition SelectionStart() const;
    TPosition SelectionEnd() const;
    QString SelectedText() const;
    // The selected columns of line `index` whose text has `length` characters, or nothing when none is selected. A
    // line that the selection runs past ends one column after its text, so that its line break shows selected.
    std::optional<TColumns> SelectedColumns(uint64_t index, int length) const;

    // The whole text decoded, lines joined by '\n'. Kept up to date from the log as it grows.
    const QString &AccessibleText() const;
    // The offset of a position in the accessible text; a line past the end gives the text's length.
    int OffsetOf(TPosition position) const;
    // The position of an offset, clamped to the text.
    TPosition PositionOfOffset(int offset) const;

    // The word around a column of a line's text: the run of letters, digits and '_' that holds it, or the character
    // alone when it is none of those; empty at or past the end.
    static TColumns WordAt(const QString &text, int column);

    // The form a line is laid out in: control characters become blanks (one for one, so positions stay the same),
    // a tab stays a tab.
    static QString DisplayForm(QString text);

private:
    struct TAccessibleCache {
        uint64_t FirstLine = 0;
        uint64_t UpTo = 0; // absolute line after the last one taken in
        QString Text;
        std::vector<int> LineStarts;
    };

    void Reset();
    // Line `line` of the log decoded from GBK.
    QString DecodedTextLine(uint64_t line) const;
    TPosition Clamp(TPosition position) const;
    void UpdateAccessibleCache() const;

    TReceiveText FText;
    TReceiveView FView;
    TPosition FAnchor; // absolute lines
    TPosition FCaret;
    mutable std::unique_ptr<TAccessibleCache> FAccessible;
};
