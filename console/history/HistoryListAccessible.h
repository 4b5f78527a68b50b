// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <memory>

class QAbstractItemModel;
class THistoryView;

// The history list as assistive technology sees it. A history can hold millions of entries, and a client that walks
// the window tree (a screen reader, a test tool) asks for every child of every node: a child per entry would hand
// millions of rows across the accessibility bus at once and stall the program for minutes. So the list's children are
// the rows on screen only (they follow the scrolling), and every row stays reachable through the table interface:
// rowCount() is the number of entries and cellAt(row, 0) makes that row's interface when it is asked for.
class THistoryListAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit THistoryListAccessible(THistoryView *view);
    ~THistoryListAccessible() override;

    void *interface_cast(QAccessible::InterfaceType type) override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QString columnDescription(int) const override { return {}; }
    QString rowDescription(int) const override { return {}; }
    int columnCount() const override;
    int rowCount() const override;
    int selectedCellCount() const override;
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override;
    QList<QAccessibleInterface *> selectedCells() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override;
    bool unselectColumn(int) override { return false; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    void modelChange(QAccessibleTableModelChangeEvent *event) override;

private:
    THistoryView *View() const;
    // Drops the row interfaces made so far: their rows may now hold other entries or none.
    void ForgetRows();
    // Follows the changes of the view's model of the moment, so that no row interface outlives its row.
    void WatchModel() const;

    // The interfaces of the rows asked for so far, by row; Qt's registry owns them.
    mutable QHash<int, QAccessible::Id> FRows;
    // The context of the connections to the watched model: they end with it or with this interface.
    mutable std::unique_ptr<QObject> FModelWatch;
    mutable QPointer<QAbstractItemModel> FWatchedModel;
};

// Makes Qt use THistoryListAccessible for every THistoryView; safe to call more than once.
void InstallHistoryListAccessibleFactory();
