// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PictureRender.h"
#include "chart/PlotTypes.h"

#include <QPointF>
#include <QRectF>
#include <QString>

class QPrinter;
class QWidget;

// How the chart is put on paper. Margins are in inches from the paper's edges.
struct TChartPrintSettings {
    double MarginLeft = 1.0;
    double MarginTop = 1.0;
    double MarginRight = 1.0;
    double MarginBottom = 1.0;
    QString DocumentName = QStringLiteral("Untitled");
    TPlotPrintOrientation Orientation = ppoLandscape;
    QString PrinterName; // blank: the printer chosen before (at first the system's default)
    bool ShowDialog = true;
};

// Where the chart's top-left corner lands and by how much it is scaled, in the printer's device pixels measured from
// the printable area's top-left corner.
struct TChartPrintPlacement {
    QPointF Origin;
    double Scale = 0;
};

// One scale factor for both directions, the larger that fits the chart between the margins: the smaller of
// (printable width - left and right margins) / chart width and (printable height - top and bottom margins) / chart
// height. The corner sits at the left and top margins, less the printable area's offset from the paper's edge.
// Throws EPlotError ("Error Printing : ...") when the chart has no size or the margins leave no room.
TChartPrintPlacement ChartPrintPlacement(
    const QRectF &printableArea, double dpiX, double dpiY, const QSize &chartSize, const TChartPrintSettings &settings);

// The size the chart is drawn at for printing: the room between the margins in pixels of a 96-dpi screen (at least
// one pixel each way), so that the printout fills the page and is laid out for it whatever size the chart has on
// screen, while its fonts and lines keep their screen proportions.
QSize ChartPageSize(const QRectF &printableArea, double dpiX, double dpiY, const TChartPrintSettings &settings);
// The same for the printer's page, its printable area as PrintChartPage uses it.
QSize ChartPageSize(QPrinter &printer, const TChartPrintSettings &settings);

// Prepares the printer for the chart: landscape or portrait, the job title, the named printer when one is given;
// then, with ShowDialog, the print dialog over `dialogParent`. Returns false when the user cancels the dialog.
bool ChartPrintSetup(QPrinter &printer, const TChartPrintSettings &settings, QWidget *dialogParent);

// Prints the chart on one page: `render` draws it once at `chartSize` on the page's painter, which is translated and
// scaled to the placement above (so the chart draws in its screen pixels; fonts should be sized in pixels, since the
// painter's device is the printer). Throws EPlotError with the text "Error Printing : " followed by the reason when
// there is no usable printer, the job cannot start or fails, or the drawing fails (the job is then abandoned).
void PrintChartPage(
    QPrinter &printer, const QSize &chartSize, const TRenderChart &render, const TChartPrintSettings &settings);
