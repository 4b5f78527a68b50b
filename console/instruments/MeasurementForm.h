// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "console/instruments/ChannelSamples.h"
#include "console/instruments/RefreshPacer.h"

#include <QWidget>
#include <functional>
#include <vector>

class QGridLayout;
class QLabel;
class TPlot;

// The window "测量": for every visible channel of the chart, the figures of the points in the time the data view
// shows ("最小", "最大", "峰峰值", "平均", "有效值", "频率", "点数"), as text labels that a screen reader reads. While
// shown it reads the chart every RefreshMilliseconds (or less often when a refresh is slow, see TRefreshPacer) from a
// timer of its own, never from the feed, so the feed and the chart's frame rate do not wait on it.
class TMeasurementForm : public QWidget
{
    Q_OBJECT

public:
    static constexpr int RefreshMilliseconds = 100;

    TMeasurementForm(TPlot &plot, QWidget *parent);

    // Reads the chart now.
    void Refresh();

    // The rows shown, one a visible channel: its title and its figures in column order.
    int RowCount() const { return int(FRows.size()); }
    QString RowTitle(int row) const;
    QString Text(int row, int column) const;

    // Raised when the user closes the window.
    std::function<void()> OnClosed;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct TRow {
        int Channel = 0;
        QLabel *Swatch = nullptr;
        QLabel *Title = nullptr;
        std::vector<QLabel *> Values;
    };
    // Rebuilds the rows when the visible channels, their titles or colours changed.
    void SyncRows();

    TPlot &FPlot;
    QGridLayout *FGrid;
    TRefreshPacer FPacer;
    std::vector<TRow> FRows;
    TChannelMeter FMeter;
};
