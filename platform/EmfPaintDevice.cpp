// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/EmfPaintDevice.h"

#include "platform/EmfPaintEngine.h"

#include <cmath>

TEmfPaintDevice::TEmfPaintDevice(QSize size, const QString &title)
    : FSize(size.expandedTo(QSize(0, 0)))
    , FEngine(std::make_unique<TEmfPaintEngine>(QStringLiteral("Kelvara") + QChar(0) + title))
{
}

TEmfPaintDevice::~TEmfPaintDevice() = default;

QPaintEngine *TEmfPaintDevice::paintEngine() const
{
    return FEngine.get();
}

QByteArray TEmfPaintDevice::Data() const
{
    return FEngine->Data();
}

int TEmfPaintDevice::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return FSize.width();
    case PdmHeight:
        return FSize.height();
    case PdmWidthMM:
        return static_cast<int>(std::lround(FSize.width() * 25.4 / 96.0));
    case PdmHeightMM:
        return static_cast<int>(std::lround(FSize.height() * 25.4 / 96.0));
    case PdmNumColors:
        return INT_MAX;
    case PdmDepth:
        return 24;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return 96;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
    }
    return 0;
}
