// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/ChartClipboard.h"

#include "chart/PictureFile.h"
#include "chart/PictureWriters.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <memory>

QMimeData *ChartClipboardData(const QSize &size, const TRenderChart &render, TPlotExportFormat format)
{
    auto data = std::make_unique<QMimeData>();
    const QImage image = RenderChartImage(size, render);
    data->setImageData(image);
    if (format == pefMetaFile) {
        const QByteArray metafile = RenderChartMetafile(size, render);
        data->setData(ClipboardMetafileType, metafile);
        data->setData(ClipboardMetafileTypeLegacy, metafile);
    } else if (format == pefJPEG) {
        data->setData(QStringLiteral("image/jpeg"), EncodeJpeg(image, 100));
    }
    return data.release();
}

void CopyChartToClipboard(const QSize &size, const TRenderChart &render, TPlotExportFormat format)
{
    QGuiApplication::clipboard()->setMimeData(ChartClipboardData(size, render, format));
}
