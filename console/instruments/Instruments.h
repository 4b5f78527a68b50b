// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>

class QWidget;
class TMeasurementForm;
class TPlot;
class TSpectrumForm;
class TXYForm;

// The chart's instrument windows: "测量" (on or off), "XY 图" and "频谱". Each is made when first asked for, as a
// window of `parent` reading `plot`, and kept (with its choices) until the instruments go.
class TInstruments
{
public:
    TInstruments(TPlot &plot, QWidget *parent);
    ~TInstruments();
    TInstruments(const TInstruments &) = delete;
    TInstruments &operator=(const TInstruments &) = delete;

    // Whether the measurements are on: from the menu until the user switches them off or closes their window.
    bool MeasurementsOn() const { return FMeasurementsOn; }
    void SetMeasurementsOn(bool on);
    void ShowXY();
    void ShowSpectrum();

    // The windows, null until first shown.
    TMeasurementForm *Measurements() const;
    TXYForm *XY() const;
    TSpectrumForm *Spectrum() const;

private:
    TPlot &FPlot;
    QWidget *FParent;
    bool FMeasurementsOn = false;
    QPointer<TMeasurementForm> FMeasurements;
    QPointer<TXYForm> FXY;
    QPointer<TSpectrumForm> FSpectrum;
};
