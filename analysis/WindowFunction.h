// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

// The window functions a spectrum is taken through. Hann is the everyday choice; the rectangular window (none) keeps
// the sharpest peak of a sine at a bin's frequency and leaks most beside it; Hamming sits between them; the four-term
// Blackman-Harris window keeps leakage lowest (about -92 dB) at the widest peak.
enum class TWindowKind { Hann, Rectangular, Hamming, BlackmanHarris };

// The coefficients of the periodic window of `length` points (the form whose transform has its zeros on the bins).
std::vector<double> WindowCoefficients(TWindowKind kind, int length);
