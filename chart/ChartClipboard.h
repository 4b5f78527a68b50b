// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PictureRender.h"
#include "chart/PlotTypes.h"

class QMimeData;

// MIME types under which the clipboard carries the chart as an enhanced metafile.
inline constexpr const char *ClipboardMetafileType = "image/emf";
inline constexpr const char *ClipboardMetafileTypeLegacy = "image/x-emf";

// The clipboard content for a picture of the chart of `size`: always an image (what most programs paste), and beside
// it, for pefMetaFile, the drawing as an enhanced metafile, or, for pefJPEG, a JPEG of quality 100.
QMimeData *ChartClipboardData(const QSize &size, const TRenderChart &render, TPlotExportFormat format);

// Puts that content on the system clipboard.
void CopyChartToClipboard(const QSize &size, const TRenderChart &render, TPlotExportFormat format = pefMetaFile);
