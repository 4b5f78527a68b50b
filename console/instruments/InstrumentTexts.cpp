// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/instruments/InstrumentTexts.h"

QString FigureText(std::optional<double> value)
{
    return value ? QString::number(*value, 'g', 6) : QStringLiteral("—");
}

QString FrequencyText(std::optional<double> frequency)
{
    return frequency ? QString::number(*frequency, 'g', 5) + QStringLiteral(" Hz") : QStringLiteral("—");
}

QStringList MeasurementCaptions()
{
    return { QStringLiteral("最小"), QStringLiteral("最大"), QStringLiteral("峰峰值"), QStringLiteral("平均"),
        QStringLiteral("有效值"), QStringLiteral("频率"), QStringLiteral("点数") };
}

QStringList MeasurementTexts(const TSignalMeasurements &m)
{
    return { FigureText(m.Min), FigureText(m.Max), FigureText(m.PeakToPeak), FigureText(m.Mean), FigureText(m.Rms),
        FrequencyText(m.Frequency), QString::number(m.Count) };
}
