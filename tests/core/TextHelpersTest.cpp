// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/AnsiText.h"
#include "core/DateTime.h"
#include "core/ErrorText.h"
#include "core/LineAppend.h"
#include "core/MessageBox.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

namespace
{

TEST(LineAppend, FollowsTheCrLfRule)
{
    std::string text;
    AppendLine(text, "12345\r\n"); // a chunk that ends in a line break leaves an empty line after it
    EXPECT_EQ(text, "12345\r\n\r\n");
    AppendLine(text, "678");
    EXPECT_EQ(text, "12345\r\n\r\n678\r\n");

    std::string open = "abc"; // text not ending in CR LF: the separator goes first
    AppendLine(open, "def");
    EXPECT_EQ(open, "abc\r\ndef");
}

TEST(ErrorBoxText, AppendsAPeriodAboveThePeriodsCode)
{
    EXPECT_EQ(ErrorBoxText("'' is not a valid integer value"), "'' is not a valid integer value.");
    EXPECT_EQ(ErrorBoxText("Done."), "Done.");
    EXPECT_EQ(ErrorBoxText("ends in blank "), "ends in blank ");
    EXPECT_EQ(ErrorBoxText("(paren)"), "(paren)");
    EXPECT_EQ(ErrorBoxText("dash-"), "dash-"); // '-' is below '.'
    EXPECT_EQ(ErrorBoxText("slash/"), "slash/.");
    EXPECT_EQ(ErrorBoxText("Cannot open file \"x\""), "Cannot open file \"x\"");
    EXPECT_EQ(ErrorBoxText("中文"), "中文.");
    EXPECT_EQ(ErrorBoxText(""), "");
}

TEST(MessageBox, GoesThroughTheInstalledHandler)
{
    std::vector<TMessageBoxRequest> shown;
    auto previous = SetMessageBoxHandler([&](const TMessageBoxRequest &r) {
        shown.push_back(r);
        return idYes;
    });
    EXPECT_EQ(ShowMessageBox("删除?", "提示", mbYesNoQuestion), idYes);
    ShowErrorBox("'x' is not a valid integer value");
    SetMessageBoxHandler(previous);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].Text, "'x' is not a valid integer value.");
    EXPECT_EQ(shown[1].Caption, "Kelvara");
    EXPECT_EQ(shown[1].Flags, mbIconStop);
}

TEST(AnsiText, RoundTripsChineseAndKeepsBadBytesVisible)
{
    const std::string gbk = "\xCF\xB5\xCD\xB3\xB2\xCE\xCA\xFD"; // 系统参数
    EXPECT_EQ(AnsiToUtf8(gbk), "系统参数");
    EXPECT_EQ(Utf8ToAnsi("系统参数"), gbk);
    EXPECT_EQ(AnsiToUtf8(std::string("A\0B", 3)), std::string("A\0B", 3));
    EXPECT_EQ(AnsiToUtf8("\xFF"), "\xEF\xBF\xBD");
}

TEST(AnsiText, StreamDecoderCarriesASplitCharacter)
{
    TAnsiStreamDecoder decoder;
    std::string out = decoder.Decode("ab\xCF");
    out += decoder.Decode("\xB5z");
    EXPECT_EQ(out, "ab系z");
    EXPECT_EQ(decoder.Decode("\xCD"), "");
    EXPECT_EQ(decoder.Flush(), "\xEF\xBF\xBD");
}

TEST(DateTime, CountsDaysSince1899AndFormatsHhnnss)
{
    setenv("TZ", "UTC", 1);
    tzset();
    using namespace std::chrono;
    // 2000-01-01 09:30:05.250 UTC is day 36526 plus the time of day.
    sys_days day = year_month_day { year { 2000 }, January, std::chrono::day { 1 } };
    auto instant
        = time_point_cast<system_clock::duration>(day + hours(9) + minutes(30) + seconds(5) + milliseconds(250));
    double expected = 36526.0 + (9 * 3600 + 30 * 60 + 5.25) / 86400.0;
    EXPECT_NEAR(ToDateTime(instant), expected, 1e-9);
    EXPECT_EQ(FormatHhnnss(instant), "093005");
}

} // namespace
