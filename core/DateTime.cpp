// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/DateTime.h"

#include <cstdio>
#include <ctime>

namespace
{

std::tm LocalTime(std::chrono::system_clock::time_point instant)
{
    std::time_t t = std::chrono::system_clock::to_time_t(instant);
    std::tm local {};
    localtime_r(&t, &local);
    return local;
}

// Days from 1899-12-30 to the given civil date (proleptic Gregorian).
long DaysFromEpoch(int year, unsigned month, unsigned day)
{
    using namespace std::chrono;
    sys_days date
        = year_month_day { std::chrono::year { year }, std::chrono::month { month }, std::chrono::day { day } };
    sys_days epoch = year_month_day { std::chrono::year { 1899 }, December, std::chrono::day { 30 } };
    return (date - epoch).count();
}

} // namespace

TDateTime ToDateTime(std::chrono::system_clock::time_point instant)
{
    std::tm local = LocalTime(instant);
    auto sinceEpoch = instant.time_since_epoch();
    long ms = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() % 1000);
    if (ms < 0)
        ms += 1000;
    double days = static_cast<double>(DaysFromEpoch(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday));
    double msOfDay = ((local.tm_hour * 60.0 + local.tm_min) * 60.0 + local.tm_sec) * 1000.0 + ms;
    return days + msOfDay / (SecondsPerDay * 1000.0);
}

TDateTime Now()
{
    return ToDateTime(std::chrono::system_clock::now());
}

std::string FormatHhnnss(std::chrono::system_clock::time_point instant)
{
    std::tm local = LocalTime(instant);
    char text[16];
    std::snprintf(text, sizeof(text), "%02d%02d%02d", local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}
