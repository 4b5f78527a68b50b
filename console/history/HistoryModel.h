// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "console/history/HistoryList.h"

#include <QAbstractListModel>

// The send history as the history window's list shows it: one row per entry, in list order. Rows are decoded from
// GBK only when the view asks for them, which a list view with uniform item sizes does for the rows on screen, so a
// history of millions of entries costs its bytes and nothing per row.
class THistoryModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // Replaces every row (the view's selection is cleared).
    void SetList(THistoryList list);
    const THistoryList &List() const { return FList; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    THistoryList FList;
};
