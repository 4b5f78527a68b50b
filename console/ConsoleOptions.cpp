// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/ConsoleOptions.h"

#include "settings/ExtensionSettings.h"

TConsoleOptions LoadConsoleOptions(const std::string &path)
{
    using namespace ExtensionSettings;
    TConsoleOptions options;
    options.HexSend = ReadFlag(path, HexSendKey, options.HexSend);
    options.Ending = SendEndingFromInteger(ReadInteger(path, SendEndingKey, static_cast<int>(options.Ending)));
    options.HexEnding = SendEndingFromInteger(
        ReadInteger(path, HexSendEndingKey, static_cast<int>(options.HexEnding)), options.HexEnding);
    options.View.Hex = ReadFlag(path, HexViewKey, options.View.Hex);
    options.View.Timestamps = ReadFlag(path, TimestampsKey, options.View.Timestamps);
    options.AutoReconnect = ReadFlag(path, AutoReconnectKey, options.AutoReconnect);
    options.ChunkLines = ReadFlag(path, ChunkLinesKey, options.ChunkLines);
    return options;
}

bool SaveConsoleOptions(const std::string &path, const TConsoleOptions &before, const TConsoleOptions &after)
{
    using namespace ExtensionSettings;
    bool written = true;
    if (after.HexSend != before.HexSend)
        written = WriteFlag(path, HexSendKey, after.HexSend) && written;
    if (after.Ending != before.Ending)
        written = WriteInteger(path, SendEndingKey, static_cast<int>(after.Ending)) && written;
    if (after.HexEnding != before.HexEnding)
        written = WriteInteger(path, HexSendEndingKey, static_cast<int>(after.HexEnding)) && written;
    if (after.View.Hex != before.View.Hex)
        written = WriteFlag(path, HexViewKey, after.View.Hex) && written;
    if (after.View.Timestamps != before.View.Timestamps)
        written = WriteFlag(path, TimestampsKey, after.View.Timestamps) && written;
    if (after.AutoReconnect != before.AutoReconnect)
        written = WriteFlag(path, AutoReconnectKey, after.AutoReconnect) && written;
    if (after.ChunkLines != before.ChunkLines)
        written = WriteFlag(path, ChunkLinesKey, after.ChunkLines) && written;
    return written;
}
