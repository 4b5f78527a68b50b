// SPDX-License-Identifier: GPL-3.0-or-later
#include "auxwin/WindowTransparency.h"

#include <algorithm>
#include <utility>

TWindowTransparency::TWindowTransparency(TApply apply)
    : FApply(std::move(apply))
{
}

void TWindowTransparency::SetEnabled(bool enabled)
{
    if (enabled == FEnabled)
        return;
    FEnabled = enabled;
    FApply(FEnabled ? std::optional<int>(FAlpha) : std::nullopt);
}

void TWindowTransparency::SetAlpha(int alpha)
{
    alpha = std::clamp(alpha, 0, 255);
    if (alpha == FAlpha)
        return;
    FAlpha = alpha;
    if (FEnabled)
        FApply(FAlpha);
}
