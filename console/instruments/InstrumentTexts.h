// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/SignalMeter.h"

#include <QString>
#include <QStringList>
#include <optional>

// The texts the instrument windows show for their figures.

// "—" for a figure that has no meaning; otherwise the value to six significant digits.
QString FigureText(std::optional<double> value);
// "—", or the frequency to five significant digits with its unit ("5.0012 Hz").
QString FrequencyText(std::optional<double> frequency);

// The measurement columns: "最小", "最大", "峰峰值", "平均", "有效值", "频率", "点数".
QStringList MeasurementCaptions();
// A channel's figures in the order of MeasurementCaptions(). The count is shown whatever it is.
QStringList MeasurementTexts(const TSignalMeasurements &m);
