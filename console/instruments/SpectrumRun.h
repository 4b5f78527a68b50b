// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/Spectrum.h"

#include <QString>
#include <memory>
#include <optional>
#include <vector>

class TPlotChannelCustom;

// What the spectrum window is set to.
struct TSpectrumChoice {
    int Points = 4096; // the newest points taken, a power of two from 256 to 65,536
    TWindowKind Window = TWindowKind::Hann;
    bool Decibels = true; // the magnitudes in dB (against one unit of the channel's values), else as they are
    double SampleRate = 0; // Hz; 0: from the points' times (one over their median interval, AutoSampleRate)
};

// The transform sizes offered: 256, 512, ... 65,536.
inline constexpr int MinSpectrumPoints = 256;
inline constexpr int MaxSpectrumPoints = 65536;
inline constexpr int DefaultSpectrumPoints = 4096;

// One spectrum of a channel, ready to draw and tell.
struct TSpectrumPicture {
    QString Problem; // why there is no spectrum; empty when there is one
    double SampleRate = 0; // Hz, as used
    bool UnevenIntervals = false; // the rate came from the points' times, whose intervals are uneven
    double BinWidth = 0; // Hz
    int Used = 0; // points taken: the newest Points, or all while the channel holds fewer
    std::vector<double> Values; // a magnitude a bin, 0 ... SampleRate / 2, in dB or linear as chosen
    TSpectrumPeak Peak;
};

// Takes spectra of a channel's newest points; keeps its transform from one call to the next while the size stays.
// User-interface thread only.
class TSpectrumRun
{
public:
    TSpectrumPicture Compute(const TPlotChannelCustom &channel, const TSpectrumChoice &choice);

private:
    std::unique_ptr<TSpectrum> FSpectrum;
    std::vector<double> FSamples;
    std::vector<double> FTimes;
    std::vector<double> FMagnitudes;
};

// The sample rate as typed: "自动" or nothing is 0 (from the times), a positive number is that many Hz; anything
// else is no rate.
std::optional<double> ParseSampleRate(const QString &text);

// "峰值：<frequency> Hz，<magnitude>[ dB]", or the picture's problem.
QString SpectrumPeakText(const TSpectrumPicture &picture, bool decibels);
// A note on a rate taken from uneven intervals; empty otherwise.
QString SpectrumRateNote(const TSpectrumPicture &picture);
