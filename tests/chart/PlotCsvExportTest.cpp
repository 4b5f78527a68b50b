// SPDX-License-Identifier: GPL-3.0-or-later
// The CSV export of stored points: the exact text for a small case, a round trip of awkward values, and files that
// appear only when an export completes.

#include "chart/PlotCsvExport.h"

#include "chart/PlotChannelCustom.h"
#include "chart/PlotManualClock.h"
#include "chart/PlotMasterManager.h"

#include <QDir>
#include <QTemporaryDir>
#include <charconv>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

namespace
{

struct TChannels {
    TPlotManualClock Clock;
    TPlotMasterManager Master { Clock, [] {} };

    TPlotChannelCustom &Add(const std::vector<std::pair<double, double>> &points)
    {
        TPlotChannelCustom &channel = *Master.Channels().Add();
        for (const auto &[x, y] : points)
            channel.AddPoint(x, y);
        return channel;
    }
    std::vector<const TPlotChannelCustom *> All() const
    {
        std::vector<const TPlotChannelCustom *> all;
        for (int i = 0; i < Master.Channels().Count(); ++i)
            all.push_back(Master.Channels().Item(i));
        return all;
    }
};

std::string FileBytes(const QString &path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Exports in pieces of `piece` points and commits.
bool Export(const TChannels &channels, const std::vector<QString> &names, const QString &path, int64_t piece)
{
    TPlotCsvExport writer(channels.All(), names, path);
    if (!writer.Open())
        return false;
    while (!writer.Done())
        if (!writer.WriteSome(piece))
            return false;
    return writer.Commit();
}

// The cells of a CSV text without its BOM and header: one row of optional numbers per line.
std::vector<std::vector<std::optional<double>>> Rows(const std::string &text)
{
    std::vector<std::vector<std::optional<double>>> rows;
    std::istringstream in(text);
    std::string line;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        EXPECT_TRUE(!line.empty() && line.back() == '\r');
        line.pop_back();
        std::vector<std::optional<double>> row;
        std::size_t start = 0;
        for (;;) {
            const std::size_t end = std::min(line.find(',', start), line.size());
            if (end == start) {
                row.emplace_back();
            } else {
                double value = 0;
                const auto result = std::from_chars(line.data() + start, line.data() + end, value);
                EXPECT_EQ(result.ptr, line.data() + end) << line;
                row.emplace_back(value);
            }
            if (end == line.size())
                break;
            start = end + 1;
        }
        rows.push_back(row);
    }
    return rows;
}

} // namespace

TEST(PlotCsvExport, RowsMergeTheChannelsByTimeWithEmptyCellsWhereAChannelHasNoValue)
{
    TChannels channels;
    channels.Add({ { 0.1, 1 }, { 0.2, 2.5 }, { 0.3, -1e-7 } });
    channels.Add({ { 0.2, 12.5 }, { 0.4, 1e20 } });
    channels.Add({ { 0.1, 3 }, { 0.1, 4 } }); // two values at one time: two rows
    QTemporaryDir folder;
    const QString path = folder.filePath("data.csv");
    const std::string expected = "\xEF\xBB\xBFtime_s,数据1,数据2,数据3\r\n"
                                 "0.1,1,,3\r\n"
                                 "0.1,,,4\r\n"
                                 "0.2,2.5,12.5,\r\n"
                                 "0.3,-1e-07,,\r\n"
                                 "0.4,,1e+20,\r\n";
    for (int64_t piece : { 1, 2, 1000 }) {
        ASSERT_TRUE(Export(channels, { "数据1", "数据2", "数据3" }, path, piece)) << piece;
        EXPECT_EQ(FileBytes(path), expected) << "in pieces of " << piece;
    }

    // No channel, or channels without points: the header alone.
    TChannels none;
    none.Add({});
    ASSERT_TRUE(Export(none, { "数据1" }, path, 10));
    EXPECT_EQ(FileBytes(path), "\xEF\xBB\xBFtime_s,数据1\r\n");
}

TEST(PlotCsvExport, ValuesReadBackExactlyAndTimesToTheMicrosecond)
{
    std::mt19937_64 random(15);
    std::uniform_real_distribution<double> spread(-1e6, 1e6);
    std::vector<double> awkward = { 0.1, 1.0 / 3, -2.5e-300, 1.7976931348623157e308, 4.9e-324, -0.0,
        123456789012345678.0, 2147483647, -2147483648.0 };
    TChannels channels;
    std::vector<std::vector<std::pair<double, double>>> sent(4);
    double time = 12.25;
    for (int i = 0; i < 2000; ++i) {
        time += 1.0 / 3000; // times with long expansions
        const double value = i < int(awkward.size()) ? awkward[i] : spread(random);
        sent[i % 4].emplace_back(time, value);
        if (i % 7 == 0)
            sent[(i + 1) % 4].emplace_back(time, -value);
    }
    for (const auto &points : sent)
        channels.Add(points);
    QTemporaryDir folder;
    const QString path = folder.filePath("data.csv");
    ASSERT_TRUE(Export(channels, { "a", "b", "c", "d" }, path, 333));

    std::vector<std::vector<std::pair<double, double>>> read(4);
    for (const auto &row : Rows(FileBytes(path))) {
        ASSERT_EQ(row.size(), 5u);
        ASSERT_TRUE(row[0]);
        for (int c = 0; c < 4; ++c)
            if (row[c + 1])
                read[c].emplace_back(*row[0], *row[c + 1]);
    }
    for (int c = 0; c < 4; ++c) {
        ASSERT_EQ(read[c].size(), sent[c].size()) << "channel " << c;
        for (std::size_t i = 0; i < sent[c].size(); ++i) {
            EXPECT_EQ(read[c][i].first, std::round(sent[c][i].first * 1e6) / 1e6) << "times to the microsecond";
            EXPECT_EQ(read[c][i].second, sent[c][i].second);
            EXPECT_EQ(std::signbit(read[c][i].second), std::signbit(sent[c][i].second));
        }
    }
}

TEST(PlotCsvExport, OnlyACompletedExportLeavesAFile)
{
    TChannels channels;
    std::vector<std::pair<double, double>> points;
    for (int i = 0; i < 100'000; ++i)
        points.emplace_back(i * 0.001, i);
    channels.Add(points);
    QTemporaryDir folder;
    const QString path = folder.filePath("data.csv");
    const QString kept = folder.filePath("kept.csv");
    std::ofstream(kept.toStdString(), std::ios::binary) << "earlier export";

    for (const QString &target : { path, kept }) {
        TPlotCsvExport writer(channels.All(), { "数据1" }, target);
        ASSERT_TRUE(writer.Open());
        ASSERT_TRUE(writer.WriteSome(60'000)); // past the first buffer flush
        EXPECT_EQ(writer.Written(), 60'000);
        writer.Cancel();
    }
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(FileBytes(kept), "earlier export");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList { "kept.csv" }) << "no temporary file is left";

    // A writer dropped half-way behaves as a cancelled one.
    {
        TPlotCsvExport writer(channels.All(), { "数据1" }, path);
        ASSERT_TRUE(writer.Open());
        ASSERT_TRUE(writer.WriteSome(1000));
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList { "kept.csv" });

    // A folder that does not exist: no file, and a reason.
    TPlotCsvExport writer(channels.All(), { "数据1" }, folder.filePath("missing/data.csv"));
    EXPECT_FALSE(writer.Open());
    EXPECT_FALSE(writer.ErrorString().isEmpty());
}
