// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessible>
#include <QListView>

// The history window's list view. A class of its own so that assistive technology gets THistoryListAccessible for it:
// a list that reports how many rows it has and hands out rows when asked, instead of a child per entry.
class THistoryView : public QListView
{
    Q_OBJECT
public:
    explicit THistoryView(QWidget *parent = nullptr);

    // The rows on screen: the first one and how many (0 when none shows). A layout still pending after a change of
    // the list is done first, so that the answer is that of the list as it now is.
    struct TShownRows {
        int First = 0;
        int Count = 0;
    };
    TShownRows ShownRows();

protected:
    // A list view names the current and the selected row to assistive technology by its number among all rows, as
    // the list's child of that number; this list's children are the rows on screen, so these name the row by its own
    // interface instead.
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;

private:
    void TellAccessibility(const QModelIndex &index, QAccessible::Event event);
};
