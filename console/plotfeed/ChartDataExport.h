// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

class QWidget;
class TPlot;

// The chart's "导出数据 (CSV)…": every stored point of every channel to a CSV file (TPlotCsvExport), a row a line or
// frame, each column headed by the legend name of its channel: the name whose values it holds.

enum class TChartExportResult { Exported, Cancelled, Failed };

// Writes the file in pieces under a progress dialog whose "取消" stops the export and leaves no file. The chart must
// not change meanwhile (the caller holds the plot feed). A failure is reported in a message box.
TChartExportResult ExportChartData(const TPlot &plot, const QString &path, QWidget *parent);

// Asks for the file name in a save dialog; an empty name when the user cancels. Tests replace the dialog with
// SetChartExportFileChooser (nullptr restores it) and get the previous chooser back.
QString ChooseChartExportFile(QWidget *parent);
using TChartExportFileChooser = std::function<QString(QWidget *parent)>;
TChartExportFileChooser SetChartExportFileChooser(TChartExportFileChooser chooser);
