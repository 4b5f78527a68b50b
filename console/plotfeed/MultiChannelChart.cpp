// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/plotfeed/MultiChannelChart.h"

#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotMasterManager.h"
#include "console/plotfeed/PlotFeed.h"

namespace
{

// Bright colours that stand out on the black background and from each other; the first is the chart's own red.
const QColor Palette[MultiChannelCount] = { QColor(255, 0, 0), QColor(0, 255, 0), QColor(255, 255, 0),
    QColor(0, 255, 255), QColor(255, 0, 255), QColor(255, 160, 0), QColor(64, 160, 255), QColor(255, 255, 255),
    QColor(255, 128, 192), QColor(160, 255, 128), QColor(176, 128, 255), QColor(255, 220, 128), QColor(0, 192, 160),
    QColor(255, 112, 96), QColor(192, 192, 192), QColor(200, 255, 0) };

// Together the added channels keep as many points as the first one, so a full set of channels at full rate costs at
// most twice the memory of one.
constexpr int ExtraChannelPoints = TPlotFeed::MaxPoints / (MultiChannelCount - 1);

} // namespace

QColor MultiChannelColor(int channel)
{
    return Palette[channel % MultiChannelCount];
}

QString MultiChannelTitle(int channel)
{
    return QStringLiteral("数据") + QString::number(channel + 1);
}

TPlotChannel &MultiChannelAt(TPlot &plot, int channel)
{
    auto &channels = plot.Master().Channels();
    while (channels.Count() <= channel) {
        const int index = channels.Count();
        TPlotChannel *added = channels.Add<TPlotChannel>();
        added->SetTitleText(MultiChannelTitle(index));
        added->SetColor(MultiChannelColor(index));
        added->SetRingBufferSize(ExtraChannelPoints);
    }
    return *plot.Channel(channel);
}
