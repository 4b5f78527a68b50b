// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/receive/ReceiveView.h"

#include <QDateTime>

std::string HexPairs(std::string_view bytes)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        if (!text.empty())
            text.push_back(' ');
        text.push_back(Digits[b >> 4]);
        text.push_back(Digits[b & 15]);
    }
    return text;
}

std::string TimestampPrefix(int64_t msSinceEpoch)
{
    QString time = QDateTime::fromMSecsSinceEpoch(msSinceEpoch).toString(QStringLiteral("hh:mm:ss.zzz"));
    return "[" + time.toStdString() + "] ";
}
