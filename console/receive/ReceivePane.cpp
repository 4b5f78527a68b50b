// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/receive/ReceivePane.h"

#include "console/receive/ReceiveLog.h"
#include "console/receive/ReceivePaneAccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <QWheelEvent>
#include <algorithm>
#include <climits>

namespace
{

constexpr int Margin = 2;

// A line's height on screen; never 0, so that walking lines to fill the pane always ends.
qreal HeightOf(const QTextLayout &layout)
{
    return std::max<qreal>(layout.boundingRect().height(), 1);
}

} // namespace

TReceivePane::TReceivePane(QWidget *parent)
    : QAbstractScrollArea(parent)
    , FDocument(std::make_shared<TReceiveLog>())
{
    InstallReceivePaneAccessibleFactory();
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    verticalScrollBar()->setRange(0, 0);
    verticalScrollBar()->setSingleStep(1);
    // The scroll bar changes with every refresh while data arrives. Its container paints its own background, so that
    // the scroll bar is repainted on its own and not the frame and group box behind it as well.
    verticalScrollBar()->parentWidget()->setAutoFillBackground(true);
    FRefreshTimer.setSingleShot(true);
    connect(&FRefreshTimer, &QTimer::timeout, this, &TReceivePane::Refresh);
    // Any other change of the scroll position starts at the top of a line.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (!FSettingRow)
            FTopRow = 0;
    });
    FDragScrollTimer.setInterval(50);
    connect(&FDragScrollTimer, &QTimer::timeout, this, &TReceivePane::DragScrollTimer);
    FDocument.Text().OnAppended = [this] { LogAppended(); };
}

TReceivePane::~TReceivePane() = default;

void TReceivePane::SetLog(std::shared_ptr<TReceiveLog> log)
{
    FDocument.Attach(std::move(log));
    FDocument.Text().OnAppended = [this] { LogAppended(); };
    ResetView();
}

void TReceivePane::Clear()
{
    FDocument.Clear();
    ResetView();
}

void TReceivePane::SetView(TReceiveView view)
{
    if (view == FDocument.View())
        return;
    const bool following = FollowingEnd();
    FDocument.SetView(view);
    FLayouts.clear();
    FVisible.clear();
    FShownEndLine = FDocument.EndLine();
    FSelecting = false;
    FTopRow = 0;
    UpdateScrollRange();
    if (following)
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::TextUpdated);
        QAccessible::updateAccessibility(&event);
    }
}

void TReceivePane::ResetView()
{
    FLayouts.clear();
    FVisible.clear();
    FShownEndLine = FDocument.EndLine();
    FSelecting = false;
    FTopRow = 0;
    FDirty = false;
    FRefreshTimer.stop();
    verticalScrollBar()->setRange(0, 0);
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::TextUpdated);
        QAccessible::updateAccessibility(&event);
    }
}

void TReceivePane::LogAppended()
{
    FDirty = true;
    if (FRefreshTimer.isActive() || !isVisible())
        return; // a hidden pane catches up when it is shown
    qint64 since = FSinceRefresh.isValid() ? FSinceRefresh.elapsed() : RefreshIntervalMs;
    FRefreshTimer.start(since >= RefreshIntervalMs ? 0 : static_cast<int>(RefreshIntervalMs - since));
}

void TReceivePane::Refresh()
{
    // The line that was last may show one byte less now that the next chunk holds the rest of its last character.
    if (std::optional<uint64_t> changed = FDocument.LineChangedSince(FShownEndLine))
        FLayouts.erase(*changed);
    FShownEndLine = FDocument.EndLine();
    FDirty = false;
    FSinceRefresh.start();
    ++FRefreshCount;
    UpdateScrollRange();
    viewport()->update();
}

void TReceivePane::RefreshNow()
{
    FRefreshTimer.stop();
    Refresh();
}

bool TReceivePane::FollowingEnd() const
{
    return verticalScrollBar()->value() >= verticalScrollBar()->maximum();
}

qreal TReceivePane::TextWidth() const
{
    return std::max(viewport()->width() - 2 * Margin, 16);
}

std::shared_ptr<QTextLayout> TReceivePane::LayoutOf(uint64_t absoluteLine) const
{
    auto found = FLayouts.find(absoluteLine);
    if (found != FLayouts.end())
        return found->second;
    if (FLayouts.size() > 512)
        FLayouts.clear(); // lines come back into view rarely; a fresh set is cheap
    auto layout
        = std::make_shared<QTextLayout>(TReceiveDocument::DisplayForm(FDocument.DecodedLine(absoluteLine)), font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    const qreal width = TextWidth();
    qreal y = 0;
    layout->beginLayout();
    for (;;) {
        QTextLine line = layout->createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout->endLayout();
    FLayouts.emplace(absoluteLine, layout);
    return layout;
}

void TReceivePane::UpdateScrollRange()
{
    const uint64_t count = FDocument.LineCount();
    const uint64_t first = FDocument.FirstLine();
    const qreal height = viewport()->height();
    uint64_t top = count;
    qreal used = 0;
    while (top > 0) {
        qreal lineHeight = HeightOf(*LayoutOf(first + top - 1));
        if (used + lineHeight > height)
            break;
        used += lineHeight;
        --top;
    }
    if (count > 0 && top == count)
        top = count - 1; // the last line alone is higher than the pane
    QScrollBar *bar = verticalScrollBar();
    bool follow = bar->value() >= bar->maximum();
    int maximum = static_cast<int>(std::min<uint64_t>(top, INT_MAX));
    int lineHeight = std::max(1, fontMetrics().lineSpacing());
    bar->setPageStep(std::max(1, static_cast<int>(height) / lineHeight));
    bar->setRange(0, maximum);
    if (follow)
        bar->setValue(maximum);
}

void TReceivePane::LayoutVisible() const
{
    FVisible.clear();
    const uint64_t count = FDocument.LineCount();
    if (count == 0)
        return;
    const uint64_t first = FDocument.FirstLine();
    const qreal height = viewport()->height();
    const QScrollBar *bar = verticalScrollBar();
    if (bar->value() >= bar->maximum()) {
        // At the end: the last line's bottom on the pane's bottom edge.
        qreal bottom = height;
        uint64_t index = count;
        while (index > 0 && bottom > 0) {
            --index;
            auto layout = LayoutOf(first + index);
            bottom -= HeightOf(*layout);
            FVisible.insert(FVisible.begin(), TVisibleLine { first + index, bottom, layout });
        }
        if (index == 0 && bottom > 0) {
            for (TVisibleLine &line : FVisible)
                line.Top -= bottom; // everything fits: start at the top
        }
    } else {
        qreal top = 0;
        for (uint64_t index = static_cast<uint64_t>(bar->value()); index < count && top < height; ++index) {
            auto layout = LayoutOf(first + index);
            if (index == static_cast<uint64_t>(bar->value()) && FTopRow > 0 && FTopRow < layout->lineCount())
                top = -layout->lineAt(FTopRow).y();
            FVisible.push_back(TVisibleLine { first + index, top, layout });
            top += HeightOf(*layout);
        }
    }
}

void TReceivePane::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    LayoutVisible();
    const uint64_t first = FDocument.FirstLine();
    for (const TVisibleLine &line : FVisible) {
        QList<QTextLayout::FormatRange> selections;
        const int length = static_cast<int>(line.Layout->text().size());
        if (std::optional<TReceiveDocument::TColumns> columns = FDocument.SelectedColumns(line.Line - first, length)) {
            QTextLayout::FormatRange range;
            range.start = columns->Start;
            range.length = columns->End - columns->Start;
            range.format.setBackground(palette().brush(QPalette::Highlight));
            range.format.setForeground(palette().brush(QPalette::HighlightedText));
            selections.append(range);
        }
        line.Layout->draw(&painter, QPointF(Margin, line.Top), selections);
    }
}

void TReceivePane::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    FLayouts.clear();
    UpdateScrollRange();
}

void TReceivePane::showEvent(QShowEvent *event)
{
    QAbstractScrollArea::showEvent(event);
    if (FDirty)
        Refresh();
}

void TReceivePane::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        FLayouts.clear();
        UpdateScrollRange();
        viewport()->update();
    }
}

void TReceivePane::scrollContentsBy(int, int)
{
    viewport()->update();
}

TReceivePane::TPosition TReceivePane::PositionAt(const QPoint &point) const
{
    LayoutVisible();
    if (FVisible.empty())
        return TPosition { 0, 0 };
    const uint64_t first = FDocument.FirstLine();
    for (const TVisibleLine &line : FVisible) {
        const QTextLayout &layout = *line.Layout;
        qreal y = point.y() - line.Top;
        if (y >= layout.boundingRect().height())
            continue;
        if (y < 0)
            return TPosition { line.Line - first, 0 };
        for (int i = 0; i < layout.lineCount(); ++i) {
            QTextLine row = layout.lineAt(i);
            if (y < row.y() + row.height() || i == layout.lineCount() - 1)
                return TPosition { line.Line - first, row.xToCursor(point.x() - Margin) };
        }
    }
    const TVisibleLine &last = FVisible.back();
    return TPosition { last.Line - first, static_cast<int>(last.Layout->text().size()) };
}

QRect TReceivePane::CharacterRect(TPosition position) const
{
    LayoutVisible();
    const uint64_t absolute = FDocument.FirstLine() + position.Line;
    for (const TVisibleLine &line : FVisible) {
        if (line.Line != absolute)
            continue;
        QTextLine row = line.Layout->lineForTextPosition(position.Column);
        if (!row.isValid())
            return {};
        qreal x = row.cursorToX(position.Column);
        qreal next = row.cursorToX(position.Column + 1);
        return QRect(QPoint(static_cast<int>(Margin + x), static_cast<int>(line.Top + row.y())),
            QSize(std::max(1, static_cast<int>(next - x)), static_cast<int>(row.height())));
    }
    return {};
}

void TReceivePane::ScrollToLine(uint64_t index)
{
    QScrollBar *bar = verticalScrollBar();
    bar->setValue(static_cast<int>(std::min<uint64_t>(index, static_cast<uint64_t>(bar->maximum()))));
}

void TReceivePane::Select(TPosition anchor, TPosition caret)
{
    FDocument.Select(anchor, caret);
    SelectionChanged();
}

void TReceivePane::SelectAll()
{
    if (FDocument.SelectAll())
        SelectionChanged();
}

void TReceivePane::SelectionChanged()
{
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleTextSelectionEvent event(
            this, FDocument.OffsetOf(FDocument.SelectionStart()), FDocument.OffsetOf(FDocument.SelectionEnd()));
        QAccessible::updateAccessibility(&event);
    }
}

void TReceivePane::Copy() const
{
    if (HasSelection())
        QApplication::clipboard()->setText(SelectedText());
}

QStringList TReceivePane::DisplayedLines() const
{
    FLayouts.clear(); // laid out afresh at the present width and with every split character joined
    QStringList rows;
    const uint64_t first = FDocument.FirstLine();
    for (uint64_t index = 0; index < FDocument.LineCount(); ++index) {
        auto layout = LayoutOf(first + index);
        const QString &text = layout->text();
        for (int i = 0; i < layout->lineCount(); ++i) {
            QTextLine row = layout->lineAt(i);
            rows.append(text.mid(row.textStart(), row.textLength()));
        }
        if (FLayouts.size() > 256)
            FLayouts.clear(); // keep a long print run from holding every layout
    }
    return rows;
}

void TReceivePane::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    TPosition at = PositionAt(event->position().toPoint());
    if (FSinceDoubleClick.isValid() && FSinceDoubleClick.elapsed() < QApplication::doubleClickInterval()
        && (event->position().toPoint() - FDoubleClickPoint).manhattanLength() < QApplication::startDragDistance()) {
        // The third click: the whole line.
        FSinceDoubleClick.invalidate();
        Select(TPosition { at.Line, 0 }, TPosition { at.Line, INT_MAX });
        return;
    }
    if (event->modifiers() & Qt::ShiftModifier)
        Select(FDocument.Anchor(), at);
    else
        Select(at, at);
    FSelecting = true;
    FDragPoint = event->position().toPoint();
}

void TReceivePane::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    TPosition at = PositionAt(event->position().toPoint());
    if (at.Line < FDocument.LineCount()) {
        TReceiveDocument::TColumns word = TReceiveDocument::WordAt(LineText(at.Line), at.Column);
        Select(TPosition { at.Line, word.Start }, TPosition { at.Line, word.End });
    }
    FSelecting = false;
    FSinceDoubleClick.start();
    FDoubleClickPoint = event->position().toPoint();
}

void TReceivePane::wheelEvent(QWheelEvent *event)
{
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0 || FDocument.LineCount() == 0) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    ScrollRows(-steps * QApplication::wheelScrollLines());
    event->accept();
}

void TReceivePane::ScrollRows(int rows)
{
    QScrollBar *bar = verticalScrollBar();
    const uint64_t first = FDocument.FirstLine();
    const int maximum = bar->maximum();
    auto rowsOf = [&](int index) { return std::max(1, LayoutOf(first + static_cast<uint64_t>(index))->lineCount()); };
    int value = bar->value();
    int row = FTopRow;
    if (value >= maximum) {
        if (rows > 0)
            return;
        // From the end: start at the row that is at the pane's top now.
        LayoutVisible();
        value = maximum;
        row = 0;
        for (const TVisibleLine &line : FVisible) {
            if (line.Top + HeightOf(*line.Layout) <= 0)
                continue;
            value = static_cast<int>(line.Line - first);
            for (row = 0; row + 1 < line.Layout->lineCount() && line.Top + line.Layout->lineAt(row).y() < 0;)
                ++row;
            break;
        }
    }
    while (rows > 0) {
        if (value >= maximum) {
            row = 0;
            break;
        }
        const int count = rowsOf(value);
        if (row + 1 < count) {
            int take = std::min(count - 1 - row, rows);
            row += take;
            rows -= take;
            continue;
        }
        ++value;
        row = 0;
        --rows;
    }
    while (rows < 0) {
        if (row > 0) {
            int take = std::min(row, -rows);
            row -= take;
            rows += take;
            continue;
        }
        if (value == 0)
            break;
        --value;
        row = rowsOf(value) - 1;
        ++rows;
    }
    FSettingRow = true;
    bar->setValue(value);
    FSettingRow = false;
    FTopRow = value >= maximum ? 0 : row;
    viewport()->update();
}

void TReceivePane::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        FSelecting = false;
        FDragScrollTimer.stop();
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void TReceivePane::DragScrollTimer()
{
    if (!FSelecting) {
        FDragScrollTimer.stop();
        return;
    }
    QScrollBar *bar = verticalScrollBar();
    const bool above = FDragPoint.y() < 0;
    bar->setValue(bar->value() + (above ? -1 : 1));
    // The selection follows to the edge the mouse is past.
    QPoint edge(FDragPoint.x(), above ? 0 : viewport()->height() - 1);
    Select(FDocument.Anchor(), PositionAt(edge));
}

void TReceivePane::mouseMoveEvent(QMouseEvent *event)
{
    if (!FSelecting || !(event->buttons() & Qt::LeftButton)) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    FDragPoint = event->position().toPoint();
    Select(FDocument.Anchor(), PositionAt(FDragPoint));
    // Past the top or bottom edge the view keeps scrolling while the button is held, as a text box does.
    if (FDragPoint.y() < 0 || FDragPoint.y() >= viewport()->height()) {
        if (!FDragScrollTimer.isActive())
            FDragScrollTimer.start();
    } else {
        FDragScrollTimer.stop();
    }
}

void TReceivePane::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        Copy();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        SelectAll();
        return;
    }
    QScrollBar *bar = verticalScrollBar();
    if (event->matches(QKeySequence::MoveToStartOfDocument)) {
        bar->setValue(0);
        return;
    }
    if (event->matches(QKeySequence::MoveToEndOfDocument)) {
        bar->setValue(bar->maximum());
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void TReceivePane::contextMenuEvent(QContextMenuEvent *event)
{
    // Made afresh for each opening, with actions of its own, so that a screen reader sees the items of each menu.
    QMenu menu(this);
    QAction *copy = menu.addAction(QStringLiteral("复制"), this, &TReceivePane::Copy);
    copy->setEnabled(HasSelection());
    QAction *all = menu.addAction(QStringLiteral("全选"), this, &TReceivePane::SelectAll);
    all->setEnabled(FDocument.LineCount() > 0);
    if (ExtendContextMenu)
        ExtendContextMenu(&menu);
    menu.exec(event->globalPos());
}
