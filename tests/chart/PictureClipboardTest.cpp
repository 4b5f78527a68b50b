// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/ChartClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QtEndian>
#include <gtest/gtest.h>

namespace
{

void DrawBlocks(QPainter &p, const QSize &size)
{
    p.fillRect(QRect(QPoint(0, 0), size), Qt::black);
    p.fillRect(QRect(10, 10, 20, 10), Qt::red);
}

TEST(PictureClipboard, MetafileFormatCarriesImageAndMetafile)
{
    CopyChartToClipboard(QSize(64, 40), DrawBlocks, pefMetaFile);
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    ASSERT_TRUE(data->hasImage());
    const QImage image = qvariant_cast<QImage>(data->imageData());
    ASSERT_EQ(image.size(), QSize(64, 40));
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(15, 15), qRgb(255, 0, 0));
    for (const char *type : { ClipboardMetafileType, ClipboardMetafileTypeLegacy }) {
        const QByteArray emf = data->data(QString::fromLatin1(type));
        ASSERT_GE(emf.size(), 108) << type;
        EXPECT_EQ(qFromLittleEndian<uint32_t>(emf.constData() + 40), 0x464D4520u) << type;
        EXPECT_EQ(qFromLittleEndian<uint32_t>(emf.constData() + 48), static_cast<uint32_t>(emf.size())) << type;
    }
}

TEST(PictureClipboard, BitmapAndJpegFormats)
{
    std::unique_ptr<QMimeData> bitmap(ChartClipboardData(QSize(30, 30), DrawBlocks, pefBitmap));
    EXPECT_TRUE(bitmap->hasImage());
    EXPECT_FALSE(bitmap->hasFormat(ClipboardMetafileType));

    std::unique_ptr<QMimeData> jpeg(ChartClipboardData(QSize(30, 30), DrawBlocks, pefJPEG));
    EXPECT_TRUE(jpeg->hasImage());
    EXPECT_TRUE(jpeg->data("image/jpeg").startsWith("\xFF\xD8"));
}

} // namespace
