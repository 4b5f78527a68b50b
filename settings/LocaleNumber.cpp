// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ParseNumber.h"

#include <QLocale>

std::string LocaleDecimalSeparator()
{
    std::string separator = QLocale().decimalPoint().toStdString();
    return separator.empty() ? std::string(".") : separator;
}

double ParseNumber(std::string_view text)
{
    return ParseNumber(text, LocaleDecimalSeparator());
}
