// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>
#include <functional>

class QPainter;

// Draws the chart on any canvas: the painter's device is a screen image, a bitmap, a metafile or a printer page, and
// `size` is the chart's size in the painter's coordinates (pixels of a 96-dpi screen). The callback draws what the
// picture should show; the caller has already hidden what must not be in it (the toolbars).
using TRenderChart = std::function<void(QPainter &painter, const QSize &size)>;
