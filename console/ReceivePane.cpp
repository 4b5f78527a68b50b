#include "console/ReceivePane.h"

#include "console/ReceiveLog.h"
#include "console/ReceivePaneAccessible.h"
#include "core/AnsiText.h"

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
#include <algorithm>
#include <climits>

namespace
{

constexpr int Margin = 2;

QString Decode(std::string_view bytes)
{
    bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii)
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    // A line is decoded whole: CR and LF can never be part of a GBK character, so decoding line by line gives what
    // decoding the whole text at once would.
    return QString::fromStdString(AnsiToUtf8(bytes));
}

// A line's height on screen; never 0, so that walking lines to fill the pane always ends.
qreal HeightOf(const QTextLayout &layout)
{
    return std::max<qreal>(layout.boundingRect().height(), 1);
}

// Control characters are laid out as blanks (one for one, so positions stay the same); a tab stays a tab.
QString DisplayForm(QString text)
{
    for (QChar &c : text) {
        if ((c.unicode() < 0x20 && c != u'\t') || c.unicode() == 0x7F)
            c = u' ';
    }
    return text;
}

} // namespace

TReceivePane::TReceivePane(QWidget *parent)
    : QAbstractScrollArea(parent)
    , FText(std::make_shared<TReceiveLog>())
{
    InstallReceivePaneAccessibleFactory();
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    verticalScrollBar()->setRange(0, 0);
    verticalScrollBar()->setSingleStep(1);
    FRefreshTimer.setSingleShot(true);
    connect(&FRefreshTimer, &QTimer::timeout, this, &TReceivePane::Refresh);
    FText.OnAppended = [this] { LogAppended(); };
}

TReceivePane::~TReceivePane() = default;

void TReceivePane::SetLog(std::shared_ptr<TReceiveLog> log)
{
    FText.Attach(std::move(log));
    FText.OnAppended = [this] { LogAppended(); };
    ResetView();
}

void TReceivePane::Clear()
{
    FText.Clear();
    ResetView();
}

void TReceivePane::ResetView()
{
    FLayouts.clear();
    FVisible.clear();
    FAccessible.reset();
    FAnchor = FCaret = TPosition { FText.FirstLine(), 0 };
    FShownEndLine = FText.Log()->EndLine();
    FSelecting = false;
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
    const TReceiveLog &log = *FText.Log();
    if (FShownEndLine > FText.FirstLine() && FShownEndLine <= log.EndLine()
        && log.EndsInSplitCharacter(FShownEndLine - 1))
        FLayouts.erase(FShownEndLine - 1);
    FShownEndLine = log.EndLine();
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

QString TReceivePane::DecodedLine(uint64_t absoluteLine) const
{
    const TReceiveLog &log = *FText.Log();
    std::string_view bytes = log.Line(absoluteLine);
    // A GBK character split by a chunk boundary is shown whole, at the start of the line that holds its second byte.
    if (log.EndsInSplitCharacter(absoluteLine) && absoluteLine + 1 < log.EndLine())
        bytes.remove_suffix(1);
    if (absoluteLine > FText.FirstLine() && log.EndsInSplitCharacter(absoluteLine - 1)) {
        std::string joined(1, log.Line(absoluteLine - 1).back());
        joined.append(bytes);
        return Decode(joined);
    }
    return Decode(bytes);
}

QString TReceivePane::LineText(uint64_t index) const
{
    return DecodedLine(FText.FirstLine() + index);
}

std::shared_ptr<QTextLayout> TReceivePane::LayoutOf(uint64_t absoluteLine) const
{
    auto found = FLayouts.find(absoluteLine);
    if (found != FLayouts.end())
        return found->second;
    if (FLayouts.size() > 512)
        FLayouts.clear(); // lines come back into view rarely; a fresh set is cheap
    auto layout = std::make_shared<QTextLayout>(DisplayForm(DecodedLine(absoluteLine)), font());
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
    const uint64_t count = FText.LineCount();
    const uint64_t first = FText.FirstLine();
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
    const uint64_t count = FText.LineCount();
    if (count == 0)
        return;
    const uint64_t first = FText.FirstLine();
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
    const TPosition from = std::min(FAnchor, FCaret);
    const TPosition to = std::max(FAnchor, FCaret);
    for (const TVisibleLine &line : FVisible) {
        QList<QTextLayout::FormatRange> selections;
        if (from != to && line.Line >= from.Line && line.Line <= to.Line) {
            int start = line.Line == from.Line ? from.Column : 0;
            int end = line.Line == to.Line ? to.Column : static_cast<int>(line.Layout->text().size()) + 1;
            QTextLayout::FormatRange range;
            range.start = start;
            range.length = std::max(0, end - start);
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
    const uint64_t first = FText.FirstLine();
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
    const uint64_t absolute = FText.FirstLine() + position.Line;
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
    const uint64_t first = FText.FirstLine();
    const uint64_t count = FText.LineCount();
    auto clamp = [&](TPosition p) {
        if (count == 0)
            return TPosition { first, 0 };
        if (p.Line >= count)
            return TPosition { first + count - 1, static_cast<int>(LineText(count - 1).size()) };
        return TPosition { first + p.Line, std::clamp(p.Column, 0, static_cast<int>(LineText(p.Line).size())) };
    };
    FAnchor = clamp(anchor);
    FCaret = clamp(caret);
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleTextSelectionEvent event(this, OffsetOf(SelectionStart()), OffsetOf(SelectionEnd()));
        QAccessible::updateAccessibility(&event);
    }
}

void TReceivePane::SelectAll()
{
    const uint64_t count = FText.LineCount();
    if (count == 0)
        return;
    Select(TPosition { 0, 0 }, TPosition { count - 1, INT_MAX });
}

bool TReceivePane::HasSelection() const
{
    return FAnchor != FCaret;
}

TReceivePane::TPosition TReceivePane::SelectionStart() const
{
    TPosition p = std::min(FAnchor, FCaret);
    return TPosition { p.Line - FText.FirstLine(), p.Column };
}

TReceivePane::TPosition TReceivePane::SelectionEnd() const
{
    TPosition p = std::max(FAnchor, FCaret);
    return TPosition { p.Line - FText.FirstLine(), p.Column };
}

QString TReceivePane::SelectedText() const
{
    if (!HasSelection() || FText.LineCount() == 0)
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

void TReceivePane::Copy() const
{
    if (HasSelection())
        QApplication::clipboard()->setText(SelectedText());
}

QString TReceivePane::PlainText() const
{
    return AccessibleText();
}

QStringList TReceivePane::DisplayedLines() const
{
    FLayouts.clear(); // laid out afresh at the present width and with every split character joined
    QStringList rows;
    const uint64_t first = FText.FirstLine();
    for (uint64_t index = 0; index < FText.LineCount(); ++index) {
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
    if (event->modifiers() & Qt::ShiftModifier)
        Select(TPosition { FAnchor.Line - FText.FirstLine(), FAnchor.Column }, at);
    else
        Select(at, at);
    FSelecting = true;
}

void TReceivePane::mouseMoveEvent(QMouseEvent *event)
{
    if (!FSelecting || !(event->buttons() & Qt::LeftButton)) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    TPosition anchor { FAnchor.Line - FText.FirstLine(), FAnchor.Column };
    Select(anchor, PositionAt(event->position().toPoint()));
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
    QMenu menu(this);
    QAction *copy = menu.addAction(QStringLiteral("复制(&C)"), this, &TReceivePane::Copy);
    copy->setEnabled(HasSelection());
    QAction *all = menu.addAction(QStringLiteral("全选(&A)"), this, &TReceivePane::SelectAll);
    all->setEnabled(FText.LineCount() > 0);
    menu.exec(event->globalPos());
}

void TReceivePane::UpdateAccessibleCache() const
{
    if (!FAccessible || FAccessible->FirstLine != FText.FirstLine()) {
        FAccessible = std::make_unique<TAccessibleCache>();
        FAccessible->FirstLine = FText.FirstLine();
        FAccessible->UpTo = FText.FirstLine();
    }
    const uint64_t end = FText.Log()->EndLine();
    TAccessibleCache &cache = *FAccessible;
    if (end > cache.UpTo && cache.UpTo > cache.FirstLine && FText.Log()->EndsInSplitCharacter(cache.UpTo - 1)) {
        // Decode the last line again: its split character now shows at the start of the next one.
        cache.Text.truncate(cache.LineStarts.back() > 0 ? cache.LineStarts.back() - 1 : 0);
        cache.LineStarts.pop_back();
        --cache.UpTo;
    }
    for (uint64_t line = FAccessible->UpTo; line < end; ++line) {
        if (line != FAccessible->FirstLine)
            FAccessible->Text += u'\n';
        FAccessible->LineStarts.push_back(static_cast<int>(FAccessible->Text.size()));
        FAccessible->Text += DecodedLine(line);
    }
    FAccessible->UpTo = end;
}

const QString &TReceivePane::AccessibleText() const
{
    UpdateAccessibleCache();
    return FAccessible->Text;
}

int TReceivePane::OffsetOf(TPosition position) const
{
    UpdateAccessibleCache();
    if (FAccessible->LineStarts.empty())
        return 0;
    if (position.Line >= FAccessible->LineStarts.size())
        return static_cast<int>(FAccessible->Text.size());
    return FAccessible->LineStarts[position.Line] + position.Column;
}

TReceivePane::TPosition TReceivePane::PositionOfOffset(int offset) const
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
