// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <optional>

// The constant transparency of one window: a switch and an alpha value from 0 (invisible) to 255 (opaque). The alpha
// is kept while the switch is off, for when it is turned on again. Every change that alters what the window should
// look like is handed to the apply function at once: the alpha to show, or nothing for an opaque window without
// transparency.
class TWindowTransparency
{
public:
    using TApply = std::function<void(std::optional<int> alpha)>;

    explicit TWindowTransparency(TApply apply);

    bool Enabled() const { return FEnabled; }
    int Alpha() const { return FAlpha; }

    // Both do nothing when the value is unchanged. The alpha is clamped to 0..255.
    void SetEnabled(bool enabled);
    void SetAlpha(int alpha);

private:
    TApply FApply;
    bool FEnabled = false;
    int FAlpha = 255;
};
