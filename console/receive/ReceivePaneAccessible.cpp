// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/receive/ReceivePaneAccessible.h"

#include "console/receive/ReceivePane.h"

#include <QScrollBar>

TReceivePaneAccessible::TReceivePaneAccessible(TReceivePane *pane)
    : QAccessibleWidget(pane, QAccessible::EditableText)
{
}

TReceivePane *TReceivePaneAccessible::Pane() const
{
    return static_cast<TReceivePane *>(widget());
}

const TReceiveDocument &TReceivePaneAccessible::Document() const
{
    return Pane()->Document();
}

void *TReceivePaneAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString TReceivePaneAccessible::text(QAccessible::Text type) const
{
    if (type == QAccessible::Value)
        return Document().AccessibleText();
    return QAccessibleWidget::text(type);
}

QAccessible::State TReceivePaneAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

void TReceivePaneAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !Document().HasSelection())
        return;
    *startOffset = Document().OffsetOf(Document().SelectionStart());
    *endOffset = Document().OffsetOf(Document().SelectionEnd());
}

int TReceivePaneAccessible::selectionCount() const
{
    return Document().HasSelection() ? 1 : 0;
}

void TReceivePaneAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void TReceivePaneAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex != 0)
        return;
    TReceiveDocument::TPosition caret = Document().SelectionEnd();
    Pane()->Select(caret, caret);
}

void TReceivePaneAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex != 0)
        return;
    Pane()->Select(Document().PositionOfOffset(startOffset), Document().PositionOfOffset(endOffset));
}

int TReceivePaneAccessible::cursorPosition() const
{
    return Document().OffsetOf(Document().SelectionEnd());
}

void TReceivePaneAccessible::setCursorPosition(int position)
{
    TReceiveDocument::TPosition at = Document().PositionOfOffset(position);
    Pane()->Select(at, at);
}

QString TReceivePaneAccessible::text(int startOffset, int endOffset) const
{
    const QString &all = Document().AccessibleText();
    startOffset = std::clamp(startOffset, 0, static_cast<int>(all.size()));
    endOffset = std::clamp(endOffset, startOffset, static_cast<int>(all.size()));
    return all.mid(startOffset, endOffset - startOffset);
}

int TReceivePaneAccessible::characterCount() const
{
    return static_cast<int>(Document().AccessibleText().size());
}

QRect TReceivePaneAccessible::characterRect(int offset) const
{
    QRect local = Pane()->CharacterRect(Document().PositionOfOffset(offset));
    if (local.isNull())
        return {};
    return QRect(Pane()->viewport()->mapToGlobal(local.topLeft()), local.size());
}

int TReceivePaneAccessible::offsetAtPoint(const QPoint &point) const
{
    QPoint local = Pane()->viewport()->mapFromGlobal(point);
    if (!Pane()->viewport()->rect().contains(local))
        return -1;
    return Document().OffsetOf(Pane()->PositionAt(local));
}

void TReceivePaneAccessible::scrollToSubstring(int startIndex, int)
{
    Pane()->ScrollToLine(Document().PositionOfOffset(startIndex).Line);
}

QString TReceivePaneAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    *startOffset = offset;
    *endOffset = offset;
    return {};
}

void InstallReceivePaneAccessibleFactory()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory([](const QString &className, QObject *object) -> QAccessibleInterface * {
        if (className == QLatin1String("TReceivePane") && object && object->isWidgetType())
            return new TReceivePaneAccessible(static_cast<TReceivePane *>(object));
        return nullptr;
    });
}
