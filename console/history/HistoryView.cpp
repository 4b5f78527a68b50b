// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/history/HistoryView.h"

#include "console/history/HistoryListAccessible.h"

#include <QAccessible>

THistoryView::THistoryView(QWidget *parent)
    : QListView(parent)
{
    InstallHistoryListAccessibleFactory();
}

THistoryView::TShownRows THistoryView::ShownRows()
{
    executeDelayedItemsLayout();
    const QModelIndex first = indexAt(QPoint(0, 0));
    if (!first.isValid())
        return {};
    const QModelIndex last = indexAt(QPoint(0, viewport()->height() - 1));
    const int lastRow = last.isValid() ? last.row() : model()->rowCount(rootIndex()) - 1;
    return { first.row(), lastRow - first.row() + 1 };
}

void THistoryView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QAbstractItemView::currentChanged(current, previous);
    if (hasFocus())
        TellAccessibility(current, QAccessible::Focus);
}

void THistoryView::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QAbstractItemView::selectionChanged(selected, deselected);
    TellAccessibility(selected.indexes().value(0), QAccessible::SelectionAdd);
    TellAccessibility(deselected.indexes().value(0), QAccessible::SelectionRemove);
}

void THistoryView::TellAccessibility(const QModelIndex &index, QAccessible::Event event)
{
    if (!QAccessible::isActive() || !index.isValid())
        return;
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(this);
    QAccessibleTableInterface *table = list ? list->tableInterface() : nullptr;
    if (QAccessibleInterface *row = table ? table->cellAt(index.row(), 0) : nullptr) {
        QAccessibleEvent news(row, event);
        QAccessible::updateAccessibility(&news);
    }
}
