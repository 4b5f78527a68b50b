// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotCsvExport.h"

#include "chart/PlotChannelCustom.h"

#include <charconv>
#include <cmath>

namespace
{

// The buffer goes to the file whenever it holds this much.
constexpr std::size_t FlushSize = std::size_t(1) << 20;

void AppendNumber(std::string &out, double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

} // namespace

TPlotCsvExport::TPlotCsvExport(
    std::vector<const TPlotChannelCustom *> channels, std::vector<QString> names, const QString &path)
    : FChannels(std::move(channels))
    , FNames(std::move(names))
    , FNext(FChannels.size(), 0)
    , FFile(path)
{
    for (const TPlotChannelCustom *channel : FChannels) {
        FCounts.push_back(channel->Count());
        FTotal += channel->Count();
    }
}

bool TPlotCsvExport::Open()
{
    if (!FFile.open(QIODevice::WriteOnly))
        return false;
    FBuffer.reserve(FlushSize + 4096);
    FBuffer = "\xEF\xBB\xBF"
              "time_s";
    for (const QString &name : FNames) {
        FBuffer += ',';
        FBuffer += name.toStdString();
    }
    FBuffer += "\r\n";
    return true;
}

bool TPlotCsvExport::WriteSome(int64_t points)
{
    const std::size_t count = FChannels.size();
    const int64_t stop = FWritten + points;
    while (FWritten < FTotal && FWritten < stop) {
        // The row's time is the smallest waiting X; its channel always gives its point, so every row makes progress
        // whatever the values.
        std::size_t first = count;
        double time = 0;
        for (std::size_t c = 0; c < count; ++c) {
            if (FNext[c] < FCounts[c]) {
                const double x = FChannels[c]->X(FNext[c]);
                if (first == count || x < time) {
                    first = c;
                    time = x;
                }
            }
        }
        // Times to the microsecond: finer digits are only the noise of the clock's double.
        AppendNumber(FBuffer, std::round(time * 1e6) / 1e6);
        for (std::size_t c = 0; c < count; ++c) {
            FBuffer += ',';
            if (FNext[c] < FCounts[c] && (c == first || FChannels[c]->X(FNext[c]) == time)) {
                AppendNumber(FBuffer, FChannels[c]->Y(FNext[c]));
                ++FNext[c];
                ++FWritten;
            }
        }
        FBuffer += "\r\n";
        if (FBuffer.size() >= FlushSize && !Flush())
            return false;
    }
    return Done() ? Flush() : true;
}

bool TPlotCsvExport::Flush()
{
    const auto size = static_cast<qint64>(FBuffer.size());
    const bool written = FFile.write(FBuffer.data(), size) == size;
    FBuffer.clear();
    return written;
}

bool TPlotCsvExport::Commit()
{
    if (!Done() || (!FBuffer.empty() && !Flush()))
        return false;
    return FFile.commit();
}

void TPlotCsvExport::Cancel()
{
    FBuffer.clear();
    FFile.cancelWriting();
    FFile.commit(); // after cancelWriting this only drops the temporary file
}
