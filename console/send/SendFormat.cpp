// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/send/SendFormat.h"

std::string_view SendEndingBytes(TSendEnding ending)
{
    switch (ending) {
    case TSendEnding::Rs:
        break;
    case TSendEnding::CrLf:
        return "\r\n";
    case TSendEnding::Lf:
        return "\n";
    case TSendEnding::None:
        return {};
    }
    return "[RS]";
}

const char *SendEndingCaption(TSendEnding ending)
{
    switch (ending) {
    case TSendEnding::Rs:
        break;
    case TSendEnding::CrLf:
        return "回车换行 (CR LF)";
    case TSendEnding::Lf:
        return "换行 (LF)";
    case TSendEnding::None:
        return "无";
    }
    return "[RS]";
}

TSendEnding SendEndingFromInteger(int value, TSendEnding fallback)
{
    for (TSendEnding ending : SendEndings)
        if (static_cast<int>(ending) == value)
            return ending;
    return fallback;
}
