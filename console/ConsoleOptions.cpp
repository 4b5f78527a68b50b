#include "console/ConsoleOptions.h"

#include "settings/ExtensionSettings.h"

TConsoleOptions LoadConsoleOptions(const std::string &path)
{
    using namespace ExtensionSettings;
    TConsoleOptions options;
    options.HexSend = ReadFlag(path, HexSendKey, options.HexSend);
    options.Ending = SendEndingFromInteger(ReadInteger(path, SendEndingKey, static_cast<int>(options.Ending)));
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
    return written;
}
