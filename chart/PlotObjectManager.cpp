// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotObjectManager.h"

#include "chart/PlotError.h"
#include "chart/PlotMasterManager.h"

TPlotManagerBase::TPlotManagerBase(TPlotMasterManager &master, const QString &baseName)
    : FMaster(master)
    , FBaseName(baseName)
{
}

TPlotManagerBase::~TPlotManagerBase() = default;

TPlotObjectHooks TPlotManagerBase::MasterHooks() const
{
    return FMaster.Hooks();
}

TPlotObject *TPlotManagerBase::Object(int index) const
{
    if (index < 0 || index >= Count())
        throw EPlotError::ListIndex(index);
    return FItems[static_cast<std::size_t>(index)].get();
}

int TPlotManagerBase::IndexOf(const TPlotObject *object) const
{
    for (std::size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].get() == object)
            return static_cast<int>(i);
    return -1;
}

TPlotObject *TPlotManagerBase::Find(const QString &name) const
{
    for (const auto &item : FItems)
        if (item->Name().compare(name, Qt::CaseInsensitive) == 0)
            return item.get();
    return nullptr;
}

QString TPlotManagerBase::NextName() const
{
    int highest = 0;
    const QString prefix = FBaseName + u' ';
    for (const auto &item : FItems) {
        if (!item->Name().startsWith(prefix))
            continue;
        bool ok = false;
        int number = item->Name().mid(prefix.size()).toInt(&ok);
        if (ok && number > highest)
            highest = number;
    }
    return prefix + QString::number(highest + 1);
}

void TPlotManagerBase::Insert(std::unique_ptr<TPlotObject> object, const QString &name)
{
    bool named = !name.isEmpty();
    object->FName = named ? name : NextName();
    TPlotObject *raw = object.get();
    FItems.push_back(std::move(object));
    raw->Inserted(named);
}

void TPlotManagerBase::Remove(int index)
{
    TPlotObject *object = Object(index);
    object->FHooks.OnRemove(object);
    FItems.erase(FItems.begin() + index);
}

void TPlotManagerBase::Clear()
{
    while (!FItems.empty())
        Remove(Count() - 1);
}
