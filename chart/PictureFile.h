// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PictureRender.h"

#include <QByteArray>
#include <QImage>
#include <QString>

// The chart drawn into an opaque image of `size` (white where the chart draws nothing).
QImage RenderChartImage(const QSize &size, const TRenderChart &render);

// The chart drawn into an enhanced metafile of `size`.
QByteArray RenderChartMetafile(const QSize &size, const TRenderChart &render, const QString &title = "Untitled");

// Saves the chart as a picture in the format the name's last three characters ask for: "bmp" a bitmap, "emf" an
// enhanced metafile, "jpg" a JPEG of quality 100, "png" a PNG compressed at level 9. Any other ending writes nothing
// and returns false. Throws EPlotError when the picture cannot be made or the file cannot be written; an existing
// file of that name is then left as it was.
bool SaveChartPicture(const QString &fileName, const QSize &size, const TRenderChart &render);
