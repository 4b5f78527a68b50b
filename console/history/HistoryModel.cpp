// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/history/HistoryModel.h"

#include "core/AnsiText.h"

#include <climits>

void THistoryModel::SetList(THistoryList list)
{
    beginResetModel();
    FList = std::move(list);
    endResetModel();
}

int THistoryModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return static_cast<int>(std::min<std::size_t>(FList.Count(), INT_MAX));
}

QVariant THistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return QString::fromStdString(AnsiToUtf8(FList.Entry(static_cast<std::size_t>(index.row()))));
    return {};
}

Qt::ItemFlags THistoryModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
