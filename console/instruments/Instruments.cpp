// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/instruments/Instruments.h"

#include "console/instruments/MeasurementForm.h"
#include "console/instruments/SpectrumForm.h"
#include "console/instruments/XYForm.h"
#include "ui/ToolWindowPlacement.h"

TInstruments::TInstruments(TPlot &plot, QWidget *parent)
    : FPlot(plot)
    , FParent(parent)
{
}

TInstruments::~TInstruments()
{
    delete FMeasurements.data();
    delete FXY.data();
    delete FSpectrum.data();
}

void TInstruments::SetMeasurementsOn(bool on)
{
    FMeasurementsOn = on;
    if (!on) {
        if (FMeasurements)
            FMeasurements->hide();
        return;
    }
    if (!FMeasurements) {
        FMeasurements = new TMeasurementForm(FPlot, FParent);
        FMeasurements->OnClosed = [this] { FMeasurementsOn = false; };
    }
    ShowBeside(FMeasurements, FParent);
}

void TInstruments::ShowXY()
{
    if (!FXY)
        FXY = new TXYForm(FPlot, FParent);
    ShowBeside(FXY, FParent);
}

void TInstruments::ShowSpectrum()
{
    if (!FSpectrum)
        FSpectrum = new TSpectrumForm(FPlot, FParent);
    ShowBeside(FSpectrum, FParent);
}

TMeasurementForm *TInstruments::Measurements() const
{
    return FMeasurements;
}

TXYForm *TInstruments::XY() const
{
    return FXY;
}

TSpectrumForm *TInstruments::Spectrum() const
{
    return FSpectrum;
}
