// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>

// Runs the Qt event loop (timers, posted and deferred events) until `condition` holds or `limit` passes; returns
// whether it holds. Limits are generous: they only bound a failing test.
bool WaitUntil(const std::function<bool()> &condition, std::chrono::milliseconds limit = std::chrono::seconds(10));

// Runs the Qt event loop for `span`, for checks that something does not happen.
void PumpFor(std::chrono::milliseconds span);
