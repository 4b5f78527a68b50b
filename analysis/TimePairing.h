// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

// How many unpaired points a pairing walk passes over before it gives up.
inline int64_t PairingStepLimit(int maxPairs)
{
    return 4 * int64_t(maxPairs) + 4096;
}

// Pairs the points of two channels that came from the same received item (a line or a frame): every value of an item
// is stored at the item's time and no two items share a time, so a pair is two points with equal X, and an item that
// lacks a value of either channel gives no pair. Both channels are walked from their newest
// points back (X ascending within each); a point with no partner at its time is passed over. Stops at maxPairs pairs,
// at the start of either channel, or after PairingStepLimit(maxPairs) points passed over, so that two channels that
// never share a time cost a bounded walk. xA(i) and xB(i) return the X of point i of each channel. `pairs` receives
// (index in A, index in B), oldest pair first.
template <class TXA, class TXB>
void PairNewestByTime(int countA, TXA &&xA, int countB, TXB &&xB, int maxPairs, std::vector<std::pair<int, int>> &pairs)
{
    pairs.clear();
    int a = countA - 1, b = countB - 1;
    int64_t passed = 0;
    const int64_t limit = PairingStepLimit(maxPairs);
    while (a >= 0 && b >= 0 && int(pairs.size()) < maxPairs && passed <= limit) {
        const double ta = xA(a), tb = xB(b);
        if (ta == tb) {
            pairs.emplace_back(a--, b--);
        } else if (ta > tb) {
            --a;
            ++passed;
        } else {
            --b;
            ++passed;
        }
    }
    std::reverse(pairs.begin(), pairs.end());
}
