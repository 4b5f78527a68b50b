// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotContextMenuBuilder.h"

#include <QMenu>

namespace
{

void AddItems(QMenu &menu, const std::vector<TPlotMenuItem> &items, QObject *receiver,
    const std::function<void(const TPlotMenuItem &)> &run)
{
    for (const TPlotMenuItem &item : items) {
        if (item.SeparatorBefore && !menu.isEmpty())
            menu.addSeparator();
        if (item.Command == pmcSubmenu) {
            AddItems(*menu.addMenu(item.Caption), item.Items, receiver, run);
            continue;
        }
        QAction *action = menu.addAction(item.Caption);
        action->setEnabled(item.Enabled);
        action->setCheckable(item.Checkable);
        action->setChecked(item.Checked);
        QObject::connect(action, &QAction::triggered, receiver, [run, item]() { run(item); });
    }
}

} // namespace

QMenu *BuildPlotContextMenu(const std::vector<TPlotMenuItem> &items, QWidget *parent, QObject *receiver,
    const std::function<void(const TPlotMenuItem &)> &run)
{
    if (items.empty())
        return nullptr;
    auto *menu = new QMenu(parent);
    AddItems(*menu, items, receiver, run);
    return menu;
}
