// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/plotfeed/TriggerSettings.h"

#include "settings/ExtensionSettings.h"
#include "settings/ParseNumber.h"

#include <algorithm>
#include <cmath>

namespace
{

const char *EdgeName(TTriggerEdge edge)
{
    return edge == TTriggerEdge::Falling ? "falling" : "rising";
}

const char *ModeName(TTriggerMode mode)
{
    switch (mode) {
    case TTriggerMode::Normal:
        return "normal";
    case TTriggerMode::Single:
        return "single";
    case TTriggerMode::Auto:
        break;
    }
    return "auto";
}

double ReadNumber(const std::string &path, const char *key, double defaultValue)
{
    const std::string text = ExtensionSettings::ReadText(path, key, "");
    std::optional<double> value = TryParseNumber(text, ".");
    return value && std::isfinite(*value) ? *value : defaultValue;
}

} // namespace

TPlotTriggerSettings LoadTriggerSettings(const std::string &settingsPath)
{
    using namespace ExtensionSettings;
    TPlotTriggerSettings settings;
    settings.Enabled = ReadFlag(settingsPath, TriggerOnKey, false);
    settings.Source = std::max(0, ReadInteger(settingsPath, TriggerSourceKey, 0));
    settings.Level = ReadNumber(settingsPath, TriggerLevelKey, 0.0);
    settings.Edge = ReadText(settingsPath, TriggerEdgeKey, "") == EdgeName(TTriggerEdge::Falling)
        ? TTriggerEdge::Falling
        : TTriggerEdge::Rising;
    const std::string mode = ReadText(settingsPath, TriggerModeKey, "");
    for (TTriggerMode candidate : { TTriggerMode::Normal, TTriggerMode::Single })
        if (mode == ModeName(candidate))
            settings.Mode = candidate;
    settings.Position = std::clamp(ReadNumber(settingsPath, TriggerPositionKey, 10.0), 0.0, 100.0);
    return settings;
}

bool SaveTriggerSettings(const std::string &settingsPath, const TPlotTriggerSettings &settings)
{
    using namespace ExtensionSettings;
    // Each write stops at the first refusal: a file that refuses one write refuses the next.
    return WriteFlag(settingsPath, TriggerOnKey, settings.Enabled)
        && WriteInteger(settingsPath, TriggerSourceKey, settings.Source)
        && WriteText(settingsPath, TriggerLevelKey, FormatNumber(settings.Level))
        && WriteText(settingsPath, TriggerEdgeKey, EdgeName(settings.Edge))
        && WriteText(settingsPath, TriggerModeKey, ModeName(settings.Mode))
        && WriteText(settingsPath, TriggerPositionKey, FormatNumber(settings.Position));
}
