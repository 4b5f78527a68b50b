// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PictureFile.h"

#include "chart/PictureWriters.h"
#include "chart/PlotError.h"
#include "platform/EmfPaintDevice.h"

#include <QPainter>

QImage RenderChartImage(const QSize &size, const TRenderChart &render)
{
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        throw EPlotError("The picture is empty");
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(Qt::white);
    QPainter painter(&image);
    render(painter, size);
    return image;
}

QByteArray RenderChartMetafile(const QSize &size, const TRenderChart &render, const QString &title)
{
    TEmfPaintDevice device(size, title);
    QPainter painter(&device);
    render(painter, size);
    painter.end();
    return device.Data();
}

bool SaveChartPicture(const QString &fileName, const QSize &size, const TRenderChart &render)
{
    QByteArray bytes;
    switch (PictureFormatOfFileName(fileName)) {
    case TPictureFormat::None:
        return false;
    case TPictureFormat::Bmp:
        bytes = EncodeBmp(RenderChartImage(size, render));
        break;
    case TPictureFormat::Emf:
        bytes = RenderChartMetafile(size, render);
        break;
    case TPictureFormat::Jpeg:
        bytes = EncodeJpeg(RenderChartImage(size, render), 100);
        break;
    case TPictureFormat::Png:
        bytes = EncodePng(RenderChartImage(size, render), 9);
        break;
    }
    WritePictureFile(fileName, bytes);
    return true;
}
