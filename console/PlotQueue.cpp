#include "console/PlotQueue.h"

void TPlotQueue::AppendChunk(std::string_view chunk)
{
    FBytes.append(chunk);
    FBytes.append("\r\n");
}

std::size_t TPlotQueue::FirstLineEnd() const
{
    std::size_t end = FBytes.find("\r\n", FHead);
    return end == std::string::npos ? FBytes.size() : end;
}

std::string_view TPlotQueue::FirstLine() const
{
    return std::string_view(FBytes).substr(FHead, FirstLineEnd() - FHead);
}

void TPlotQueue::RemoveFirstLine()
{
    if (Empty())
        return;
    std::size_t end = FirstLineEnd();
    FHead = end == FBytes.size() ? end : end + 2;
    // Drop the taken bytes once they are the larger half, so each byte is moved at most once on average.
    if (FHead == FBytes.size()) {
        FBytes.clear();
        FHead = 0;
    } else if (FHead > 4096 && FHead * 2 > FBytes.size()) {
        FBytes.erase(0, FHead);
        FHead = 0;
    }
}
