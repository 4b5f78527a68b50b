// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/instruments/ChannelSamples.h"

#include "analysis/TimePairing.h"
#include "chart/PlotChannelCustom.h"
#include "chart/PlotDataNullList.h"
#include "chart/PlotDataSearch.h"

#include <algorithm>

namespace
{

constexpr uint16_t Skipped = PlotPointFlags::Null | PlotPointFlags::Empty;

// Calls visit(x, y, flags) for every point first ... last; the standard store is read from its arrays.
template <class TVisit> void VisitAll(const TPlotDataCustomList &data, int first, int last, TVisit &&visit)
{
    if (first > last)
        return;
    if (const auto *store = dynamic_cast<const TPlotDataNullList *>(&data)) {
        store->ForEach(first, last, visit);
        return;
    }
    for (int i = first; i <= last; ++i)
        visit(data.X(i), data.Y(i), data.Flags(i));
}

// Calls visit(x, y) for the usable points first ... last.
template <class TVisit> void VisitPoints(const TPlotDataCustomList &data, int first, int last, TVisit &&visit)
{
    VisitAll(data, first, last, [&](double x, double y, uint16_t flags) {
        if (!(flags & Skipped))
            visit(x, y);
    });
}

// Calls visit(index, y) for the usable points first ... last.
template <class TVisit> void VisitPointsWithIndex(const TPlotDataCustomList &data, int first, int last, TVisit &&visit)
{
    int index = first;
    VisitAll(data, first, last, [&](double, double y, uint16_t flags) {
        if (!(flags & Skipped))
            visit(index, y);
        ++index;
    });
}

} // namespace

TSignalMeasurements TChannelMeter::Measure(const TPlotChannelCustom &channel, double xMin, double xMax)
{
    const TPlotDataCustomList &data = channel.Data();
    const int first = FirstAtOrAfter(data, xMin);
    const int last = FirstAfter(data, xMax) - 1;
    TSignalMeter meter;
    FYs.clear();
    FIndexes.clear();
    const auto *store = dynamic_cast<const TPlotDataNullList *>(&data);
    if (store && first <= last && !store->MayCarryFlags(first, last, Skipped)) {
        // Every point counts: the values are copied out a block at a time and measured as an array.
        FYs.resize(std::size_t(last - first + 1));
        store->CopyY(first, last, FYs.data());
        meter.AddLevels(FYs);
        meter.AddCrossings(FYs, [&](std::size_t i) { return store->X(first + int(i)); });
        return meter.Result();
    }
    // Some points are passed over: each value gathered keeps its store index for its time.
    VisitPointsWithIndex(data, first, last, [&](int index, double y) {
        FYs.push_back(y);
        FIndexes.push_back(index);
    });
    meter.AddLevels(FYs);
    meter.AddCrossings(FYs, [&](std::size_t i) { return data.X(FIndexes[i]); });
    return meter.Result();
}

bool NewestValues(const TPlotChannelCustom &channel, int count, std::vector<double> &ys, std::vector<double> &xs)
{
    ys.clear();
    xs.clear();
    const TPlotDataCustomList &data = channel.Data();
    // Walked back from the newest point until `count` usable points are found.
    int first = data.Count();
    int usable = 0;
    while (first > 0 && usable < count)
        if (!(data.Flags(--first) & Skipped))
            ++usable;
    if (usable == 0)
        return false;
    ys.reserve(std::size_t(usable));
    xs.reserve(std::size_t(usable));
    VisitPoints(data, first, data.Count() - 1, [&](double x, double y) {
        xs.push_back(x);
        ys.push_back(y);
    });
    return true;
}

void NewestPairs(const TPlotChannelCustom &x, const TPlotChannelCustom &y, int count, std::vector<double> &xs,
    std::vector<double> &ys)
{
    const TPlotDataCustomList &a = x.Data(), &b = y.Data();
    std::vector<std::pair<int, int>> pairs;
    PairNewestByTime(
        a.Count(), [&](int i) { return a.X(i); }, b.Count(), [&](int i) { return b.X(i); }, count, pairs);
    xs.clear();
    ys.clear();
    xs.reserve(pairs.size());
    ys.reserve(pairs.size());
    for (const auto &[i, j] : pairs)
        if (!(a.Flags(i) & Skipped) && !(b.Flags(j) & Skipped)) {
            xs.push_back(a.Y(i));
            ys.push_back(b.Y(j));
        }
}
