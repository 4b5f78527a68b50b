#include "console/HistoryView.h"

#include "console/HistoryListAccessible.h"

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
