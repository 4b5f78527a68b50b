// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/instruments/SpectrumRun.h"

#include "chart/PlotChannelCustom.h"
#include "console/instruments/ChannelSamples.h"

#include <cmath>

TSpectrumPicture TSpectrumRun::Compute(const TPlotChannelCustom &channel, const TSpectrumChoice &choice)
{
    TSpectrumPicture picture;
    if (!NewestValues(channel, choice.Points, FSamples, FTimes) || FSamples.size() < 2) {
        picture.Problem = QStringLiteral("点数不足");
        return picture;
    }
    picture.Used = int(FSamples.size());
    if (choice.SampleRate > 0) {
        picture.SampleRate = choice.SampleRate;
    } else {
        const TAutoSampleRate rate = AutoSampleRate(FTimes);
        picture.SampleRate = rate.Rate;
        picture.UnevenIntervals = rate.Uneven;
    }
    if (!(picture.SampleRate > 0)) {
        picture.Problem = QStringLiteral("无法由时间求出采样率");
        return picture;
    }
    if (!FSpectrum || FSpectrum->Size() != choice.Points)
        FSpectrum = std::make_unique<TSpectrum>(choice.Points);
    FSpectrum->Compute(FSamples, choice.Window, FMagnitudes);
    picture.BinWidth = picture.SampleRate / choice.Points;
    picture.Peak = FindSpectrumPeak(FMagnitudes, picture.BinWidth);
    picture.Values.resize(FMagnitudes.size());
    for (std::size_t k = 0; k < FMagnitudes.size(); ++k)
        picture.Values[k] = choice.Decibels ? MagnitudeDecibels(FMagnitudes[k]) : FMagnitudes[k];
    return picture;
}

std::optional<double> ParseSampleRate(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed == QStringLiteral("自动"))
        return 0.0;
    bool ok = false;
    const double rate = trimmed.toDouble(&ok);
    if (!ok || !std::isfinite(rate) || rate <= 0)
        return std::nullopt;
    return rate;
}

QString SpectrumPeakText(const TSpectrumPicture &picture, bool decibels)
{
    if (!picture.Problem.isEmpty())
        return picture.Problem;
    if (picture.Peak.Bin < 0)
        return QStringLiteral("峰值：—");
    const QString magnitude = decibels
        ? QString::number(MagnitudeDecibels(picture.Peak.Magnitude), 'f', 1) + QStringLiteral(" dB")
        : QString::number(picture.Peak.Magnitude, 'g', 5);
    return QStringLiteral("峰值：") + QString::number(picture.Peak.Frequency, 'g', 5) + QStringLiteral(" Hz，")
        + magnitude;
}

QString SpectrumRateNote(const TSpectrumPicture &picture)
{
    if (!picture.UnevenIntervals || !picture.Problem.isEmpty())
        return QString();
    return QStringLiteral("采样间隔不均匀，采样率取间隔的中位数：") + QString::number(picture.SampleRate, 'g', 5)
        + QStringLiteral(" Hz");
}
