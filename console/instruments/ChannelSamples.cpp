// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/instruments/ChannelSamples.h"

#include "analysis/TimePairing.h"
#include "chart/PlotChannelCustom.h"
#include "chart/PlotDataNullList.h"

#include <algorithm>

namespace
{

constexpr uint16_t Skipped = PlotPointFlags::Null | PlotPointFlags::Empty;

// Calls visit(x, y) for the usable points first ... last; the standard store is read from its arrays.
template <class TVisit> void VisitPoints(const TPlotDataCustomList &data, int first, int last, TVisit &&visit)
{
    if (first > last)
        return;
    if (const auto *store = dynamic_cast<const TPlotDataNullList *>(&data)) {
        store->ForEach(first, last, [&](double x, double y, uint16_t flags) {
            if (!(flags & Skipped))
                visit(x, y);
        });
        return;
    }
    for (int i = first; i <= last; ++i)
        if (!(data.Flags(i) & Skipped))
            visit(data.X(i), data.Y(i));
}

// The first index whose X is not below `x` (Count() when none).
int FirstAtOrAfter(const TPlotDataCustomList &data, double x)
{
    int low = 0, high = data.Count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (data.X(middle) < x)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

// The first index whose X is above `x`.
int FirstAfter(const TPlotDataCustomList &data, double x)
{
    int low = 0, high = data.Count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (data.X(middle) <= x)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
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
    bool passedOver = false;
    if (first <= last) {
        FYs.reserve(std::size_t(last - first + 1));
        int index = first;
        auto gather = [&](double y, uint16_t flags) {
            if (flags & Skipped) {
                // From the first point passed over on, gathered values keep their store index.
                if (!passedOver)
                    for (std::size_t i = 0; i < FYs.size(); ++i)
                        FIndexes.push_back(first + int(i));
                passedOver = true;
            } else {
                meter.AddLevel(y);
                FYs.push_back(y);
                if (passedOver)
                    FIndexes.push_back(index);
            }
            ++index;
        };
        if (store)
            store->ForEach(first, last, [&](double, double y, uint16_t flags) { gather(y, flags); });
        else
            for (int i = first; i <= last; ++i)
                gather(data.Y(i), data.Flags(i));
    }
    meter.AddCrossings(FYs, [&](std::size_t i) { return data.X(passedOver ? FIndexes[i] : first + int(i)); });
    return meter.Result();
}

bool NewestValues(const TPlotChannelCustom &channel, int count, std::vector<double> &ys, double &firstX, double &lastX)
{
    ys.clear();
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
    bool seen = false;
    VisitPoints(data, first, data.Count() - 1, [&](double x, double y) {
        if (!seen)
            firstX = x;
        seen = true;
        lastX = x;
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
