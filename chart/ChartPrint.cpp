// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/ChartPrint.h"

#include "chart/PlotError.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>

namespace
{

const std::string ErrorPrefix = "Error Printing : ";

// The chart's pixels are those of a screen at this resolution.
constexpr double ScreenDpi = 96.0;

[[noreturn]] void Fail(const std::string &reason)
{
    throw EPlotError(ErrorPrefix + reason);
}

// The printer's page as the printable area only: the margins are the printer's own unprintable borders, so the
// painter's origin is the printable corner and the page rectangle is what can be printed.
void UsePrintableArea(QPrinter &printer)
{
    QPageLayout layout = printer.pageLayout();
    layout.setMode(QPageLayout::StandardMode);
    layout.setMargins(layout.minimumMargins());
    printer.setPageLayout(layout);
    printer.setFullPage(false);
}

// The printable area in device pixels, measured from the paper's top-left corner.
QRectF PrintableArea(QPrinter &printer)
{
    UsePrintableArea(printer);
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    return printer.pageRect(QPrinter::DevicePixel).translated(-paper.topLeft());
}

} // namespace

TChartPrintPlacement ChartPrintPlacement(
    const QRectF &printableArea, double dpiX, double dpiY, const QSize &chartSize, const TChartPrintSettings &settings)
{
    if (chartSize.width() <= 0 || chartSize.height() <= 0)
        Fail("The chart has no size");
    const double roomX = printableArea.width() - (settings.MarginLeft + settings.MarginRight) * dpiX;
    const double roomY = printableArea.height() - (settings.MarginTop + settings.MarginBottom) * dpiY;
    TChartPrintPlacement placement;
    placement.Scale = std::min(roomX / chartSize.width(), roomY / chartSize.height());
    // Margins wider than the page would mirror the chart or shrink it to nothing.
    if (!(placement.Scale > 0))
        Fail("The margins leave no room on the page");
    placement.Origin
        = QPointF(settings.MarginLeft * dpiX - printableArea.left(), settings.MarginTop * dpiY - printableArea.top());
    return placement;
}

QSize ChartPageSize(const QRectF &printableArea, double dpiX, double dpiY, const TChartPrintSettings &settings)
{
    const double roomX = printableArea.width() / dpiX - (settings.MarginLeft + settings.MarginRight);
    const double roomY = printableArea.height() / dpiY - (settings.MarginTop + settings.MarginBottom);
    return QSize(std::max(1, static_cast<int>(roomX * ScreenDpi)), std::max(1, static_cast<int>(roomY * ScreenDpi)));
}

QSize ChartPageSize(QPrinter &printer, const TChartPrintSettings &settings)
{
    return ChartPageSize(PrintableArea(printer), printer.logicalDpiX(), printer.logicalDpiY(), settings);
}

bool ChartPrintSetup(QPrinter &printer, const TChartPrintSettings &settings, QWidget *dialogParent)
{
    printer.setPageOrientation(settings.Orientation == ppoLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setDocName(settings.DocumentName);
    if (!settings.PrinterName.trimmed().isEmpty())
        printer.setPrinterName(settings.PrinterName);
    if (!settings.ShowDialog)
        return true;
    QPrintDialog dialog(&printer, dialogParent);
    return dialog.exec() == QDialog::Accepted;
}

void PrintChartPage(
    QPrinter &printer, const QSize &chartSize, const TRenderChart &render, const TChartPrintSettings &settings)
{
    if (printer.outputFormat() == QPrinter::NativeFormat) {
        if (printer.printerName().isEmpty() && QPrinterInfo::defaultPrinter().isNull())
            Fail("There is no default printer currently selected");
        if (!printer.isValid())
            Fail("Printer selected is not valid");
    }
    const TChartPrintPlacement placement = ChartPrintPlacement(
        PrintableArea(printer), printer.logicalDpiX(), printer.logicalDpiY(), chartSize, settings);

    QPainter painter;
    if (!painter.begin(&printer))
        Fail("The print job could not be started");
    painter.translate(placement.Origin);
    painter.scale(placement.Scale, placement.Scale);
    try {
        render(painter, chartSize);
    } catch (const std::exception &e) {
        // The page is abandoned: nothing of a half-drawn chart reaches the printer.
        printer.abort();
        painter.end();
        const std::string reason = e.what();
        if (reason.rfind(ErrorPrefix, 0) == 0)
            throw;
        Fail(reason);
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        Fail("The print job failed");
}
