// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/MainFormGeometry.h"

#include "settings/ExtensionSettings.h"

#include <algorithm>

TMainFormRegions MainFormRegions(QSize client, int topBarHeight, int dataPanelHeight)
{
    const int width = client.width();
    const int height = client.height();
    return TMainFormRegions { QRect(0, 0, width, topBarHeight),
        QRect(0, topBarHeight, width, std::max(height - topBarHeight - dataPanelHeight, 0)),
        QRect(0, height - dataPanelHeight, width, dataPanelHeight) };
}

QSize StartingMainFormSize(QSize stored, QSize available)
{
    QSize size = stored.expandedTo(MainFormStartSize);
    if (!available.isEmpty())
        size = size.boundedTo(available.expandedTo(MainFormStartSize));
    return size;
}

TMainFormSize LoadMainFormSize(const std::string &settingsPath)
{
    using namespace ExtensionSettings;
    TMainFormSize size;
    size.Size = QSize(ReadInteger(settingsPath, WindowWidthKey, MainFormStartSize.width()),
        ReadInteger(settingsPath, WindowHeightKey, MainFormStartSize.height()));
    size.Maximized = ReadFlag(settingsPath, WindowMaximizedKey, false);
    return size;
}

bool SaveMainFormSize(const std::string &settingsPath, const TMainFormSize &size)
{
    using namespace ExtensionSettings;
    return WriteInteger(settingsPath, WindowWidthKey, size.Size.width())
        && WriteInteger(settingsPath, WindowHeightKey, size.Size.height())
        && WriteFlag(settingsPath, WindowMaximizedKey, size.Maximized);
}
