// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QPaintDevice>
#include <QSize>
#include <QString>
#include <memory>

class TEmfPaintEngine;

// A paint device that records what a QPainter draws on it as an enhanced metafile of `size` pixels at 96 dots per
// inch. Each painting (QPainter begin to end) makes a new metafile; Data() returns the last finished one.
class TEmfPaintDevice : public QPaintDevice
{
public:
    explicit TEmfPaintDevice(QSize size, const QString &title = QStringLiteral("Untitled"));
    ~TEmfPaintDevice() override;

    QPaintEngine *paintEngine() const override;
    QByteArray Data() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize FSize;
    std::unique_ptr<TEmfPaintEngine> FEngine;
};
