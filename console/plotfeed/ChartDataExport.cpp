// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/plotfeed/ChartDataExport.h"

#include "chart/Plot.h"
#include "chart/PlotChannelCustom.h"
#include "chart/PlotCsvExport.h"
#include "chart/PlotMasterManager.h"
#include "core/MessageBox.h"
#include "ui/DialogFolder.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QProgressDialog>

namespace
{

// Points written between two looks at the dialog: a few tens of milliseconds of work.
constexpr int64_t PointsPerPiece = 200'000;
constexpr int ProgressSteps = 1000;

// A channel's column is headed by its legend name; the chart's lone unnamed channel ("数据") is column "数据1", as
// the column of the first value of a line is in every mode.
QString ColumnName(const TPlotChannelCustom &channel, int channels)
{
    const QString title = channel.TitleText();
    return channels == 1 && title == QStringLiteral("数据") ? QStringLiteral("数据1") : title;
}

TChartExportFileChooser &Chooser()
{
    static TChartExportFileChooser chooser;
    return chooser;
}

} // namespace

TChartExportResult ExportChartData(const TPlot &plot, const QString &path, QWidget *parent)
{
    const auto &list = plot.Master().Channels();
    std::vector<const TPlotChannelCustom *> channels;
    std::vector<QString> names;
    for (int i = 0; i < list.Count(); ++i) {
        channels.push_back(list.Item(i));
        names.push_back(ColumnName(*list.Item(i), list.Count()));
    }
    TPlotCsvExport writer(std::move(channels), std::move(names), path);

    QProgressDialog progress(QStringLiteral("正在导出数据…"), QStringLiteral("取消"), 0, ProgressSteps, parent);
    progress.setObjectName(QStringLiteral("ExportProgress"));
    progress.setWindowTitle(QStringLiteral("导出数据"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    progress.setAutoReset(false);

    bool ok = writer.Open();
    while (ok && !writer.Done()) {
        ok = writer.WriteSome(PointsPerPiece);
        progress.setValue(int(writer.Written() * ProgressSteps / std::max<int64_t>(writer.Total(), 1)));
        QCoreApplication::processEvents();
        if (progress.wasCanceled()) {
            writer.Cancel();
            return TChartExportResult::Cancelled;
        }
    }
    if (ok)
        ok = writer.Commit();
    if (!ok) {
        const QString reason = writer.ErrorString();
        writer.Cancel();
        // The progress window stays above its parent: it goes first, so that the box does not open beneath it.
        progress.hide();
        ShowMessageBox(("导出数据失败：" + reason).toStdString(), "提示", 16);
        return TChartExportResult::Failed;
    }
    return TChartExportResult::Exported;
}

QString ChooseChartExportFile(QWidget *parent)
{
    if (Chooser())
        return Chooser()(parent);
    QFileDialog dialog(parent, QStringLiteral("导出数据 (CSV)"));
    dialog.setObjectName(QStringLiteral("ExportDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(QStringLiteral("CSV (*.csv)"));
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.selectFile(DialogPath(QStringLiteral("data.csv")));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    RememberDialogFile(dialog.selectedFiles().first());
    return dialog.selectedFiles().first();
}

TChartExportFileChooser SetChartExportFileChooser(TChartExportFileChooser chooser)
{
    return std::exchange(Chooser(), std::move(chooser));
}
