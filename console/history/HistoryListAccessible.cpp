// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/history/HistoryListAccessible.h"

#include "console/history/HistoryView.h"

#include <QAbstractItemModel>
#include <QItemSelectionModel>
#include <QListView>
#include <QPointer>
#include <utility>

namespace
{

// One row of the history list: an entry's text, its place on screen and its selection.
class THistoryRowAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    THistoryRowAccessible(QListView *view, int row)
        : FView(view)
        , FRow(row)
    {
    }

    bool isValid() const override { return FView && FView->model() && FRow < FView->model()->rowCount(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return FView ? FView->window()->windowHandle() : nullptr; }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface *>(this);
        return nullptr;
    }

    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(FView.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

    QString text(QAccessible::Text type) const override
    {
        if (!isValid() || (type != QAccessible::Name && type != QAccessible::Value))
            return {};
        return Index().data(Qt::DisplayRole).toString();
    }
    void setText(QAccessible::Text, const QString &) override { }
    QRect rect() const override
    {
        if (!isValid())
            return {};
        QRect local = FView->visualRect(Index());
        return QRect(FView->viewport()->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.selectable = true;
        state.focusable = true;
        state.selected = isSelected();
        state.focused = FView->hasFocus() && FView->currentIndex() == Index();
        if (!FView->viewport()->rect().intersects(FView->visualRect(Index())))
            state.offscreen = true;
        return state;
    }

    bool isSelected() const override
    {
        return isValid() && FView->selectionModel() && FView->selectionModel()->isSelected(Index());
    }
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return 0; }
    int rowIndex() const override { return FRow; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

private:
    QModelIndex Index() const { return FView->model()->index(FRow, 0, FView->rootIndex()); }

    QPointer<QListView> FView;
    int FRow;
};

} // namespace

THistoryListAccessible::THistoryListAccessible(THistoryView *view)
    : QAccessibleWidget(view, QAccessible::List)
{
}

void THistoryListAccessible::WatchModel() const
{
    QAbstractItemModel *model = View()->model();
    if (model == FWatchedModel)
        return;
    // The view tells an active accessibility client of model changes through modelChange; these signals also
    // reach a client inside the program, which does not make accessibility active.
    FModelWatch = std::make_unique<QObject>(); // the old context goes, and its connections with it
    FWatchedModel = model;
    if (!model)
        return;
    auto *self = const_cast<THistoryListAccessible *>(this);
    const auto forget = [self] { self->ForgetRows(); };
    QObject::connect(model, &QAbstractItemModel::modelReset, FModelWatch.get(), forget);
    QObject::connect(model, &QAbstractItemModel::rowsInserted, FModelWatch.get(), forget);
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, FModelWatch.get(), forget);
    QObject::connect(model, &QAbstractItemModel::rowsMoved, FModelWatch.get(), forget);
    QObject::connect(model, &QAbstractItemModel::layoutChanged, FModelWatch.get(), forget);
}

THistoryListAccessible::~THistoryListAccessible()
{
    ForgetRows();
}

THistoryView *THistoryListAccessible::View() const
{
    return static_cast<THistoryView *>(widget());
}

void THistoryListAccessible::ForgetRows()
{
    const QHash<int, QAccessible::Id> rows = std::exchange(FRows, {});
    for (QAccessible::Id id : rows)
        QAccessible::deleteAccessibleInterface(id);
}

void *THistoryListAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

int THistoryListAccessible::rowCount() const
{
    const QAbstractItemModel *model = View()->model();
    return model ? model->rowCount(View()->rootIndex()) : 0;
}

int THistoryListAccessible::columnCount() const
{
    return rowCount() > 0 ? 1 : 0;
}

int THistoryListAccessible::childCount() const
{
    return View()->ShownRows().Count;
}

QAccessibleInterface *THistoryListAccessible::child(int index) const
{
    const THistoryView::TShownRows shown = View()->ShownRows();
    if (index < 0 || index >= shown.Count)
        return nullptr;
    return cellAt(shown.First + index, 0);
}

int THistoryListAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    const QAccessibleTableCellInterface *cell
        = child ? const_cast<QAccessibleInterface *>(child)->tableCellInterface() : nullptr;
    if (!cell || cell->table() != this)
        return -1;
    const THistoryView::TShownRows shown = View()->ShownRows();
    const int index = cell->rowIndex() - shown.First;
    return index >= 0 && index < shown.Count ? index : -1;
}

QAccessibleInterface *THistoryListAccessible::childAt(int x, int y) const
{
    const QModelIndex index = View()->indexAt(View()->viewport()->mapFromGlobal(QPoint(x, y)));
    return index.isValid() ? cellAt(index.row(), 0) : nullptr;
}

QAccessibleInterface *THistoryListAccessible::cellAt(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column != 0)
        return nullptr;
    WatchModel();
    if (auto known = FRows.constFind(row); known != FRows.constEnd())
        if (QAccessibleInterface *cell = QAccessible::accessibleInterface(*known))
            return cell;
    auto *cell = new THistoryRowAccessible(View(), row);
    FRows.insert(row, QAccessible::registerAccessibleInterface(cell));
    return cell;
}

QList<int> THistoryListAccessible::selectedRows() const
{
    QList<int> rows;
    if (const QItemSelectionModel *selection = View()->selectionModel())
        for (const QModelIndex &index : selection->selectedRows())
            rows.push_back(index.row());
    return rows;
}

int THistoryListAccessible::selectedRowCount() const
{
    return static_cast<int>(selectedRows().size());
}

int THistoryListAccessible::selectedCellCount() const
{
    return selectedRowCount();
}

QList<QAccessibleInterface *> THistoryListAccessible::selectedCells() const
{
    QList<QAccessibleInterface *> cells;
    for (int row : selectedRows())
        if (QAccessibleInterface *cell = cellAt(row, 0))
            cells.push_back(cell);
    return cells;
}

bool THistoryListAccessible::isRowSelected(int row) const
{
    const QItemSelectionModel *selection = View()->selectionModel();
    return selection && row >= 0 && row < rowCount() && selection->isRowSelected(row, View()->rootIndex());
}

bool THistoryListAccessible::selectRow(int row)
{
    if (row < 0 || row >= rowCount() || !View()->selectionModel())
        return false;
    // One entry at a time, as with the mouse: the chosen row also becomes the current one.
    View()->setCurrentIndex(View()->model()->index(row, 0, View()->rootIndex()));
    return true;
}

bool THistoryListAccessible::unselectRow(int row)
{
    QItemSelectionModel *selection = View()->selectionModel();
    if (!selection || !isRowSelected(row))
        return false;
    selection->select(View()->model()->index(row, 0, View()->rootIndex()), QItemSelectionModel::Deselect);
    return true;
}

void THistoryListAccessible::modelChange(QAccessibleTableModelChangeEvent *)
{
    ForgetRows();
}

void InstallHistoryListAccessibleFactory()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory([](const QString &className, QObject *object) -> QAccessibleInterface * {
        if (className == QLatin1String("THistoryView") && object && object->isWidgetType())
            return new THistoryListAccessible(static_cast<THistoryView *>(object));
        return nullptr;
    });
}
