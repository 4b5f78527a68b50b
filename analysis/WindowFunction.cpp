// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/WindowFunction.h"

#include <cmath>
#include <numbers>

namespace
{

// Cosine-sum windows: w(n) = a0 - a1 cos(p) + a2 cos(2p) - a3 cos(3p), p = 2 pi n / length.
struct TCosineTerms {
    double A0, A1, A2, A3;
};

TCosineTerms Terms(TWindowKind kind)
{
    switch (kind) {
    case TWindowKind::Hann:
        return { 0.5, 0.5, 0, 0 };
    case TWindowKind::Hamming:
        return { 0.54, 0.46, 0, 0 };
    case TWindowKind::BlackmanHarris:
        return { 0.35875, 0.48829, 0.14128, 0.01168 };
    case TWindowKind::Rectangular:
        break;
    }
    return { 1, 0, 0, 0 };
}

} // namespace

std::vector<double> WindowCoefficients(TWindowKind kind, int length)
{
    std::vector<double> window(length > 0 ? std::size_t(length) : 0);
    const TCosineTerms t = Terms(kind);
    for (int n = 0; n < length; ++n) {
        const double p = 2 * std::numbers::pi * n / length;
        window[std::size_t(n)] = t.A0 - t.A1 * std::cos(p) + t.A2 * std::cos(2 * p) - t.A3 * std::cos(3 * p);
    }
    return window;
}
