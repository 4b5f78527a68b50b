// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotObject.h"

#include "chart/PlotError.h"

TPlotObject::TPlotObject(TPlotMasterManager *owner, const TPlotObjectHooks &hooks)
    : FOwner(owner)
    , FHooks(hooks)
{
    if (!owner)
        throw EPlotError("Owner must be assigned");
    if (!hooks.OnChange)
        throw EPlotError("OnChange event handler can not be null");
    if (!hooks.OnInsert)
        throw EPlotError("OnInsert event handler can not be null");
    if (!hooks.OnRemove)
        throw EPlotError("OnRemove event handler can not be null");
    if (!hooks.OnRename)
        throw EPlotError("AOnRename event handler can not be null");
}

void TPlotObject::SetName(const QString &name)
{
    if (name == FName)
        return;
    QString oldName = FName;
    FName = name;
    FHooks.OnRename(this, oldName);
    NotifyChange();
}

void TPlotObject::SetVisible(bool visible)
{
    SetLayoutProperty(FVisible, visible);
}

void TPlotObject::SetEnabled(bool enabled)
{
    SetProperty(FEnabled, enabled);
}

void TPlotObject::NotifyChange()
{
    FHooks.OnChange(this);
}

void TPlotObject::NotifyViewChange()
{
    if (FHooks.OnViewChange)
        FHooks.OnViewChange(this);
    else
        FHooks.OnChange(this);
}

// The layout is computed afresh at every paint, so a layout notice needs nothing beyond the repaint request.
void TPlotObject::NotifyLayoutChange()
{
    NotifyChange();
}

void TPlotObject::Inserted(bool)
{
    FHooks.OnInsert(this);
}
