// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotObject.h"

// An object owned by one of the chart's managers.
class TPlotManagerObject : public TPlotObject
{
public:
    using TPlotObject::TPlotObject;
};
