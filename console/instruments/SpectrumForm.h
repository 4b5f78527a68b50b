// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "console/instruments/RefreshPacer.h"
#include "console/instruments/SpectrumRun.h"

#include <QWidget>
#include <cstdint>
#include <vector>

class QComboBox;
class QLabel;
class TPlot;

// The window "频谱": the magnitude spectrum of one channel of the chart over its newest "点数" points (256 to 65,536,
// powers of two, 4,096 at first), through the chosen "窗函数" ("Hann", "矩形", "Hamming", "Blackman-Harris"), in
// "dB" or "线性", at the "采样率" typed in Hz or "自动" (from the points' times; a note says when their intervals are
// uneven, as with a pause in the data), drawn up to half the rate on a chart of its own, with the peak's frequency and
// magnitude as text. While shown it looks at the chart every
// RefreshMilliseconds (less often when a refresh is slow, see TRefreshPacer) and computes again when the channel has
// new points.
class TSpectrumForm : public QWidget
{
    Q_OBJECT

public:
    static constexpr int RefreshMilliseconds = 100;

    TSpectrumForm(TPlot &source, QWidget *parent);

    // Looks at the source chart now.
    void Refresh();

    QComboBox *Channel() const { return FChannel; }
    QComboBox *Points() const { return FPoints; }
    QComboBox *Window() const { return FWindow; }
    QComboBox *Scale() const { return FScale; }
    QComboBox *SampleRate() const { return FSampleRate; }
    QLabel *Peak() const { return FPeak; }
    QLabel *RateNote() const { return FRateNote; }
    TPlot &Plot() const { return *FPlot; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // The choice the controls hold; false (and the reason in the peak text) when the typed rate is not one.
    bool ReadChoice(TSpectrumChoice &choice);
    void Draw(const TSpectrumPicture &picture, const TSpectrumChoice &choice);

    TPlot &FSource;
    QComboBox *FChannel;
    QComboBox *FPoints;
    QComboBox *FWindow;
    QComboBox *FScale;
    QComboBox *FSampleRate;
    QLabel *FPeak;
    QLabel *FRateNote;
    TPlot *FPlot;
    TRefreshPacer FPacer;
    TSpectrumRun FRun;
    // What the drawn spectrum was taken from; nothing is computed again while it stays the same.
    std::vector<int64_t> FDrawnFrom;
    QString FRateText = QStringLiteral("自动"); // the rate as last entered (Enter, leaving the box, or chosen)
};
