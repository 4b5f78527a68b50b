// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotObjectManager.h"

#include <functional>
#include <memory>
#include <vector>

class TPlotAxis;
class TPlotChannelCustom;
class TPlotClock;
class TPlotDataCursor;
class TPlotDataView;
class TPlotLabel;
class TPlotLayoutManager;
class TPlotLayoutObject;
class TPlotLegend;
class TPlotToolBar;
class TPlotXAxis;
class TPlotYAxis;

// Owns one manager per kind of chart object and the layout manager, hands every object its four hooks, passes
// notices between objects (an axis renamed or removed, an object removed), raises the axis events, and turns every
// change into one repaint request. Plain object: usable without a widget.
class TPlotMasterManager
{
public:
    // requestRepaint is called for every change; insidePlot selects the defaults of a chart control.
    TPlotMasterManager(TPlotClock &clock, std::function<void()> requestRepaint, bool insidePlot = true);
    ~TPlotMasterManager();
    TPlotMasterManager(const TPlotMasterManager &) = delete;
    TPlotMasterManager &operator=(const TPlotMasterManager &) = delete;

    TPlotClock &Clock() const { return FClock; }
    bool InsidePlot() const { return FInsidePlot; }

    TPlotObjectManager<TPlotToolBar> &ToolBars() { return FToolBars; }
    TPlotObjectManager<TPlotLegend> &Legends() { return FLegends; }
    TPlotObjectManager<TPlotXAxis> &XAxes() { return FXAxes; }
    TPlotObjectManager<TPlotYAxis> &YAxes() { return FYAxes; }
    TPlotObjectManager<TPlotChannelCustom> &Channels() { return FChannels; }
    TPlotObjectManager<TPlotDataView> &DataViews() { return FDataViews; }
    TPlotObjectManager<TPlotDataCursor> &DataCursors() { return FDataCursors; }
    TPlotObjectManager<TPlotLabel> &Labels() { return FLabels; }
    const TPlotObjectManager<TPlotChannelCustom> &Channels() const { return FChannels; }
    const TPlotObjectManager<TPlotXAxis> &XAxes() const { return FXAxes; }
    const TPlotObjectManager<TPlotYAxis> &YAxes() const { return FYAxes; }
    TPlotLayoutManager &Layout() { return *FLayout; }

    TPlotObjectHooks Hooks();
    // Called instead of requestRepaint for a change that only the data view and the axes show; none by default.
    void SetRequestViewRepaint(std::function<void()> request) { FRequestViewRepaint = std::move(request); }

    // Every object, in the order toolbars, legends, X axes, Y axes, channels, data views, data cursors, labels.
    std::vector<TPlotObject *> Objects() const;
    // X axes, then Y axes.
    std::vector<TPlotAxis *> Axes() const;

    // Removes every object of every kind.
    void ClearAll();
    // Empties every channel; the axes' first values are looked for again.
    void ClearAllData();

    // While loading a description no axis event is raised.
    bool Loading() const { return FLoading; }
    void SetLoading(bool loading) { FLoading = loading; }

    // Axis events, raised with the axis's index in its list and the old values. None is needed by default.
    std::function<void(int index, double oldMin)> OnXAxisMinChange, OnYAxisMinChange;
    std::function<void(int index, double oldSpan)> OnXAxisSpanChange, OnYAxisSpanChange;
    std::function<void(int index, double oldMin, double oldSpan)> OnXAxisMinSpanChange, OnYAxisMinSpanChange;
    void AxisMinChanged(TPlotAxis *axis, double oldMin);
    void AxisSpanChanged(TPlotAxis *axis, double oldSpan);
    void AxisMinSpanChanged(TPlotAxis *axis, double oldMin, double oldSpan);

private:
    void Changed(TPlotObject *object);
    void ViewChanged(TPlotObject *object);
    void Inserted(TPlotObject *object);
    void Removed(TPlotObject *object);
    void Renamed(TPlotObject *object, const QString &oldName);
    std::vector<TPlotManagerBase *> Managers() const;
    // The axis's list and index, for the events; index -1 when it is in neither list.
    std::pair<bool, int> AxisPlace(TPlotAxis *axis) const;

    TPlotClock &FClock;
    std::function<void()> FRequestRepaint;
    std::function<void()> FRequestViewRepaint;
    bool FInsidePlot;
    bool FLoading = false;
    bool FDestroying = false;

    TPlotObjectManager<TPlotToolBar> FToolBars;
    TPlotObjectManager<TPlotLegend> FLegends;
    TPlotObjectManager<TPlotXAxis> FXAxes;
    TPlotObjectManager<TPlotYAxis> FYAxes;
    TPlotObjectManager<TPlotChannelCustom> FChannels;
    TPlotObjectManager<TPlotDataView> FDataViews;
    TPlotObjectManager<TPlotDataCursor> FDataCursors;
    TPlotObjectManager<TPlotLabel> FLabels;
    std::unique_ptr<TPlotLayoutManager> FLayout;
};
