// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "console/instruments/RefreshPacer.h"

#include <QWidget>
#include <cstdint>
#include <vector>

class QComboBox;
class QSpinBox;
class TPlot;

// The window "XY 图": one channel of the chart ("X") against another ("Y"), the values of the same line or frame
// paired (a line that lacks either value gives no pair). Until the user picks "Y", it is the first channel other than
// "X" (the chart's only channel while there is one), the newest "点数" pairs (10 to 1,000,000, 1,000 at first) drawn
// joined in their order on a chart of its own, whose axes fit the pairs until the user zooms, pans or pauses. While
// shown it looks at the chart every RefreshMilliseconds (less often when a refresh is slow, see TRefreshPacer) and
// draws again when the channels have new points.
class TXYForm : public QWidget
{
    Q_OBJECT

public:
    static constexpr int RefreshMilliseconds = 100;
    static constexpr int MinPairs = 10;
    static constexpr int MaxPairs = 1'000'000;
    static constexpr int DefaultPairs = 1000;

    TXYForm(TPlot &source, QWidget *parent);

    // Looks at the source chart now.
    void Refresh();

    QComboBox *XChannel() const { return FXChannel; }
    QComboBox *YChannel() const { return FYChannel; }
    QSpinBox *Pairs() const { return FPairs; }
    TPlot &Plot() const { return *FPlot; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    TPlot &FSource;
    QComboBox *FXChannel;
    QComboBox *FYChannel;
    QSpinBox *FPairs;
    TPlot *FPlot;
    TRefreshPacer FPacer;
    // What the drawn pairs were taken from; nothing is read again while it stays the same.
    std::vector<int64_t> FDrawnFrom;
    std::vector<double> FXs, FYs;
    bool FYChosen = false; // the user picked "Y"
};
