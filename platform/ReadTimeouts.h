// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SerialDevice.h"

#include <chrono>
#include <cstdint>
#include <optional>

// When a read completes by its timeouts. Both device implementations use these rules, so that a read behaves the
// same on a real port, a pty and the simulated line.

using TReadClock = std::chrono::steady_clock;

// A read that holds bytes completes at the latest this long after its first byte, whatever the timeouts: a device
// that never pauses for a whole read interval (a short line every 50 ms against an interval of 100 ms) is then not
// held back until the buffer is full.
constexpr std::chrono::milliseconds ReadFirstByteLimit(100);

// How the five timeouts shape one read, fixed when the read starts.
struct TReadTimeoutPlan {
    // Interval MAXDWORD with both totals 0: the read returns at once with what is there, even nothing.
    bool ReturnAtOnce = false;
    // Interval and multiplier MAXDWORD with a constant below MAXDWORD: the read returns as soon as it holds a byte,
    // or empty when the constant has passed.
    bool ReturnOnFirstByte = false;
    // The longest pause after a byte; 0 means no interval rule.
    std::chrono::milliseconds Interval { 0 };
    // The bound on the whole read (multiplier times size plus constant), if any.
    std::optional<std::chrono::milliseconds> Total;

    bool operator==(const TReadTimeoutPlan &) const = default;
};

TReadTimeoutPlan PlanRead(const TCommTimeouts &timeouts, uint32_t size);

// A pending read as far as its timeouts are concerned. FirstByte and LastByte count only while Count > 0.
struct TPendingReadTimes {
    TReadClock::time_point Start;
    uint32_t Count = 0;
    TReadClock::time_point FirstByte;
    TReadClock::time_point LastByte;
};

// The moment the read completes with the bytes it holds, or none while only more bytes (a full buffer) can end it.
// A full buffer completes a read at once; the caller checks that.
std::optional<TReadClock::time_point> ReadDeadline(const TReadTimeoutPlan &plan, const TPendingReadTimes &read);

// How long a read of `size` bytes that already holds some leaves the device unwatched before it takes what came
// meanwhile: a steady device's small bursts then wait in the terminal's buffer and are taken in one go, not with one
// wake-up each. A fifth of the interval and at most ReadSettleLimit, so that the end of a pause is found at most that
// much late (never early), and at most the time the read would take to fill at the rate its bytes came since it
// started, so that a flood is taken as fast as ever. None while the read is empty (its first byte is taken at once)
// or returns on its first byte.
constexpr std::chrono::milliseconds ReadSettleLimit(20);
std::chrono::milliseconds ReadSettle(
    const TReadTimeoutPlan &plan, const TPendingReadTimes &read, uint32_t size, TReadClock::time_point now);
