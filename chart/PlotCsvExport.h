// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSaveFile>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

class TPlotChannelCustom;

// Writes the stored points of channels as a CSV file, a piece at a time so that a caller can show progress and stop.
//
// The file starts with a UTF-8 byte order mark and the header "time_s,<name 1>,...,<name N>"; then one row per X
// value ("time"), the channels' points merged in X order: a row holds the smallest X still waiting and, for each
// channel whose next point has that X, its Y; the other cells are empty. Where every received line or frame has a
// time of its own, shared by all its values, a row is exactly one line or frame. A channel with two points at the same
// X gives two rows. Times are rounded to microseconds. Numbers are written in their shortest form that reads back as
// the same double, with '.' as the decimal separator; lines end in CR LF.
//
// The rows go to a temporary file beside the target, which Commit() renames over it; until then, and after Cancel()
// or a failure, no file of that name is made or changed. The channels must not change while the export runs.
class TPlotCsvExport
{
public:
    TPlotCsvExport(std::vector<const TPlotChannelCustom *> channels, std::vector<QString> names, const QString &path);

    // Creates the temporary file and writes the header; false when it cannot be created (ErrorString says why).
    bool Open();
    // Writes rows until at least `points` more points are written or none is left. False on a write failure.
    bool WriteSome(int64_t points);
    bool Done() const { return FWritten == FTotal; }
    // Renames the finished file into place; false on a failure (the target is then left as it was).
    bool Commit();
    // Drops the temporary file.
    void Cancel();

    int64_t Written() const { return FWritten; }
    int64_t Total() const { return FTotal; }
    QString ErrorString() const { return FFile.errorString(); }

private:
    bool Flush();

    std::vector<const TPlotChannelCustom *> FChannels;
    std::vector<QString> FNames;
    std::vector<int> FNext; // per channel, the index of its next point
    std::vector<int> FCounts;
    int64_t FTotal = 0;
    int64_t FWritten = 0;
    QSaveFile FFile;
    std::string FBuffer;
};
