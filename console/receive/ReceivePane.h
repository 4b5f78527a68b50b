// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "console/receive/ReceiveDocument.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

class QMenu;
class QTextLayout;
class TReceiveLog;

// A read-only receive pane: shows the received text of a (shared) receive log, decoded from GBK, with word wrap and
// a vertical scroll bar. It follows the end while the scroll bar is at its bottom. What it shows (decoded lines,
// selection, the accessible text) is its TReceiveDocument; the pane lays out, draws and takes the mouse and keys.
//
// Built for a fast device: the bytes stay in the log (the pane holds no copy), only the lines on screen are decoded
// and laid out, and the view catches up with the log at most RefreshIntervalMs after an append and never more often
// than that, however many chunks arrive. The scroll bar counts lines of the log; a line that wraps is scrolled
// through as one step. Text can be selected with the mouse and copied (Ctrl+C, context menu), and the accessibility
// text interface gives a screen reader the whole text.
class TReceivePane : public QAbstractScrollArea
{
    Q_OBJECT
public:
    static constexpr int RefreshIntervalMs = 40;

    explicit TReceivePane(QWidget *parent = nullptr);
    ~TReceivePane() override;

    // Shows the given log from its current end on (the pane is empty afterwards). Each pane starts with a log of its
    // own; the main and the floating pane share one.
    void SetLog(std::shared_ptr<TReceiveLog> log);
    const std::shared_ptr<TReceiveLog> &Log() const { return FDocument.Text().Log(); }
    const TReceiveText &Text() const { return FDocument.Text(); }
    const TReceiveDocument &Document() const { return FDocument; }

    // Empties this pane; other panes on the same log keep their text.
    void Clear();

    // Switches between the text, hex and timestamped views at once: only the lines on screen are laid out again.
    void SetView(TReceiveView view);
    TReceiveView View() const { return FDocument.View(); }

    // Called with the context menu after its own items ("复制", "全选") and before it opens, to add more.
    std::function<void(QMenu *)> ExtendContextMenu;

    uint64_t LineCount() const { return FDocument.LineCount(); }
    // Line `index` decoded, every character as received (lone CR or LF included).
    QString LineText(uint64_t index) const { return FDocument.LineText(index); }
    // The whole text decoded, lines joined by '\n'.
    QString PlainText() const { return FDocument.AccessibleText(); }
    // The lines as displayed: each line wrapped at the pane's width into its pieces, in order.
    QStringList DisplayedLines() const;

    // Selection, in decoded characters: a position is a line index of this pane and a character index in it.
    using TPosition = TReceiveDocument::TPosition;
    void Select(TPosition anchor, TPosition caret);
    void SelectAll();
    bool HasSelection() const { return FDocument.HasSelection(); }
    QString SelectedText() const { return FDocument.SelectedText(); }
    void Copy() const;

    // Brings the view up to date at once (normally done by the refresh timer).
    void RefreshNow();
    int RefreshCount() const { return FRefreshCount; }
    bool RefreshPending() const { return FDirty; }
    bool FollowingEnd() const;

    // Where a character is drawn, in viewport pixels (empty when its line is not on screen), and the character at a
    // viewport point.
    QRect CharacterRect(TPosition position) const;
    TPosition PositionAt(const QPoint &viewportPoint) const;
    void ScrollToLine(uint64_t index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct TVisibleLine {
        uint64_t Line; // absolute line of the log
        qreal Top;
        std::shared_ptr<QTextLayout> Layout;
    };

    void LogAppended();
    void Refresh();
    void ResetView();
    void UpdateScrollRange();
    void LayoutVisible() const;
    std::shared_ptr<QTextLayout> LayoutOf(uint64_t absoluteLine) const;
    qreal TextWidth() const;
    void SelectionChanged();
    // While a drag selection is past the top or bottom edge: scrolls one line a tick and extends the selection.
    void DragScrollTimer();
    // Scrolls by rows of wrapped text (negative: up), so that a line taller than a few rows moves a few rows at a time.
    void ScrollRows(int rows);

    TReceiveDocument FDocument;
    QTimer FRefreshTimer;
    QElapsedTimer FSinceRefresh;
    bool FDirty = false;
    uint64_t FShownEndLine = 0; // the log's end line at the last refresh
    int FRefreshCount = 0;
    bool FSelecting = false;
    int FTopRow = 0; // the first row of the top line that is shown (away from the end only)
    bool FSettingRow = false;
    QTimer FDragScrollTimer;
    QPoint FDragPoint; // the mouse in viewport pixels during a drag selection
    QElapsedTimer FSinceDoubleClick; // a press soon after a double click at its place selects the line
    QPoint FDoubleClickPoint;
    mutable std::unordered_map<uint64_t, std::shared_ptr<QTextLayout>> FLayouts;
    mutable std::vector<TVisibleLine> FVisible;
};
