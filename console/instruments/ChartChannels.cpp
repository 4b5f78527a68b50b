// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/instruments/ChartChannels.h"

#include "chart/Plot.h"
#include "chart/PlotChannelCustom.h"
#include "chart/PlotMasterManager.h"

#include <QComboBox>
#include <QPixmap>
#include <QSignalBlocker>

const TPlotChannelCustom *ChartChannel(const TPlot &plot, int index)
{
    const auto &channels = plot.Master().Channels();
    return index >= 0 && index < channels.Count() ? channels.Item(index) : nullptr;
}

void SyncChannelChoice(QComboBox &box, const TPlot &plot, int fallback)
{
    const auto &channels = plot.Master().Channels();
    bool same = box.count() == channels.Count();
    for (int i = 0; same && i < channels.Count(); ++i)
        same = box.itemText(i) == channels.Item(i)->TitleText()
            && box.itemData(i).value<QColor>() == channels.Item(i)->Color();
    if (same)
        return;
    const int chosen = box.currentIndex();
    // The window reads the new choice itself once the box is in line; the box's own signals would call it back midway.
    const QSignalBlocker quiet(&box);
    box.clear();
    for (int i = 0; i < channels.Count(); ++i) {
        const TPlotChannelCustom *channel = channels.Item(i);
        QPixmap swatch(12, 12);
        swatch.fill(channel->Color());
        box.addItem(QIcon(swatch), channel->TitleText(), channel->Color());
    }
    const int count = box.count();
    box.setCurrentIndex(chosen >= 0 && chosen < count ? chosen : std::min(fallback, count - 1));
}
