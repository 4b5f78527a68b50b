// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotMasterManager.h"

#include "chart/PlotChannelCustom.h"
#include "chart/PlotDataCursor.h"
#include "chart/PlotDataView.h"
#include "chart/PlotLabel.h"
#include "chart/PlotLayoutManager.h"
#include "chart/PlotLegend.h"
#include "chart/PlotToolBar.h"
#include "chart/PlotXAxis.h"
#include "chart/PlotYAxis.h"

TPlotMasterManager::TPlotMasterManager(TPlotClock &clock, std::function<void()> requestRepaint, bool insidePlot)
    : FClock(clock)
    , FRequestRepaint(std::move(requestRepaint))
    , FInsidePlot(insidePlot)
    , FToolBars(*this, "Toolbar")
    , FLegends(*this, "Legend")
    , FXAxes(*this, "X-Axis")
    , FYAxes(*this, "Y-Axis")
    , FChannels(*this, "Channel")
    , FDataViews(*this, "Data View")
    , FDataCursors(*this, "Cursor")
    , FLabels(*this, "Label")
    , FLayout(std::make_unique<TPlotLayoutManager>(*this))
{
}

TPlotMasterManager::~TPlotMasterManager()
{
    FDestroying = true;
    ClearAll();
}

TPlotObjectHooks TPlotMasterManager::Hooks()
{
    TPlotObjectHooks hooks;
    hooks.OnChange = [this](TPlotObject *object) { Changed(object); };
    hooks.OnViewChange = [this](TPlotObject *object) { ViewChanged(object); };
    hooks.OnInsert = [this](TPlotObject *object) { Inserted(object); };
    hooks.OnRemove = [this](TPlotObject *object) { Removed(object); };
    hooks.OnRename = [this](TPlotObject *object, const QString &oldName) { Renamed(object, oldName); };
    return hooks;
}

std::vector<TPlotManagerBase *> TPlotMasterManager::Managers() const
{
    auto *self = const_cast<TPlotMasterManager *>(this);
    return { &self->FToolBars, &self->FLegends, &self->FXAxes, &self->FYAxes, &self->FChannels, &self->FDataViews,
        &self->FDataCursors, &self->FLabels };
}

std::vector<TPlotObject *> TPlotMasterManager::Objects() const
{
    std::vector<TPlotObject *> objects;
    for (TPlotManagerBase *manager : Managers())
        for (int i = 0; i < manager->Count(); ++i)
            objects.push_back(manager->Object(i));
    return objects;
}

std::vector<TPlotAxis *> TPlotMasterManager::Axes() const
{
    std::vector<TPlotAxis *> axes;
    for (int i = 0; i < FXAxes.Count(); ++i)
        axes.push_back(FXAxes.Item(i));
    for (int i = 0; i < FYAxes.Count(); ++i)
        axes.push_back(FYAxes.Item(i));
    return axes;
}

void TPlotMasterManager::ClearAll()
{
    for (TPlotManagerBase *manager : Managers())
        manager->Clear();
}

void TPlotMasterManager::ClearAllData()
{
    for (int i = 0; i < FChannels.Count(); ++i)
        FChannels.Item(i)->Clear();
    for (TPlotAxis *axis : Axes())
        axis->ClearFirstValueSeen();
}

void TPlotMasterManager::Changed(TPlotObject *)
{
    if (!FDestroying && FRequestRepaint)
        FRequestRepaint();
}

void TPlotMasterManager::ViewChanged(TPlotObject *object)
{
    if (!FRequestViewRepaint)
        Changed(object);
    else if (!FDestroying)
        FRequestViewRepaint();
}

void TPlotMasterManager::Inserted(TPlotObject *object)
{
    Changed(object);
}

void TPlotMasterManager::Removed(TPlotObject *object)
{
    if (FDestroying)
        return;
    auto *axis = dynamic_cast<TPlotAxis *>(object);
    for (TPlotObject *other : Objects()) {
        if (other == object)
            continue;
        if (axis)
            other->AxisRemoved(axis);
        other->ObjectRemoved(object);
    }
    Changed(object);
}

void TPlotMasterManager::Renamed(TPlotObject *object, const QString &oldName)
{
    auto *axis = dynamic_cast<TPlotAxis *>(object);
    if (!axis || FDestroying)
        return;
    for (TPlotObject *other : Objects())
        if (other != object)
            other->AxisRenamed(axis, oldName);
}

std::pair<bool, int> TPlotMasterManager::AxisPlace(TPlotAxis *axis) const
{
    int index = FXAxes.IndexOf(axis);
    if (index >= 0)
        return { true, index };
    return { false, FYAxes.IndexOf(axis) };
}

void TPlotMasterManager::AxisMinChanged(TPlotAxis *axis, double oldMin)
{
    if (FLoading || (!OnXAxisMinChange && !OnYAxisMinChange))
        return;
    auto [isX, index] = AxisPlace(axis);
    auto &handler = isX ? OnXAxisMinChange : OnYAxisMinChange;
    if (handler && index >= 0)
        handler(index, oldMin);
}

void TPlotMasterManager::AxisSpanChanged(TPlotAxis *axis, double oldSpan)
{
    if (FLoading || (!OnXAxisSpanChange && !OnYAxisSpanChange))
        return;
    auto [isX, index] = AxisPlace(axis);
    auto &handler = isX ? OnXAxisSpanChange : OnYAxisSpanChange;
    if (handler && index >= 0)
        handler(index, oldSpan);
}

void TPlotMasterManager::AxisMinSpanChanged(TPlotAxis *axis, double oldMin, double oldSpan)
{
    if (FLoading || (!OnXAxisMinSpanChange && !OnYAxisMinSpanChange))
        return;
    auto [isX, index] = AxisPlace(axis);
    auto &handler = isX ? OnXAxisMinSpanChange : OnYAxisMinSpanChange;
    if (handler && index >= 0)
        handler(index, oldMin, oldSpan);
}
