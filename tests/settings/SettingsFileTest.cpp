// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsFile.h"

#include "core/ConvertError.h"
#include "settings/PortSettings.h"
#include "tests/support/FileSizeLimit.h"

#include <QLocale>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

void PrintTo(const TPortSettings &s, std::ostream *out)
{
    *out << "{" << s.CommName << ", " << s.BaudRate << ", " << s.ByteSize << ", " << s.Parity << ", " << s.ParityCheck
         << ", " << s.StopBits << "}";
}

namespace
{

// The section header as the file holds it: the section name in GBK between brackets.
const std::string Header = "[\xCF\xB5\xCD\xB3\xB2\xCE\xCA\xFD]\r\n";

const TPortSettingsChoice StartChoice { "COM1", "9600", "8", "无", "否", "1" };

class SettingsFileTest : public ::testing::Test
{
protected:
    std::string Contents() const
    {
        std::ifstream in(Path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    void Put(const std::string &bytes) const { std::ofstream(Path, std::ios::binary) << bytes; }

    QTemporaryDir Folder;
    std::string Path = Folder.filePath("setfile.ini").toStdString();
};

TEST_F(SettingsFileTest, ReadingWithoutAFileGivesTheDefaultsAndCreatesNothing)
{
    TPortSettings settings = ReadPortSettings(Path);
    EXPECT_EQ(settings, (TPortSettings { "COM1", 9600, 8, "none", false, 1 }));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path)));
}

TEST_F(SettingsFileTest, EachKeyFallsBackToItsOwnDefault)
{
    struct Case {
        const char *Key;
        const char *Stored;
        TPortSettings Expected;
    } cases[] = {
        { "baudrate", "abc", {} },
        { "baudrate", "0x2580", {} }, // hexadecimal 2580 is 9600
        { "baudrate", "$2580", {} },
        { "baudrate", "2147483648", {} }, // out of range
        { "baudrate", "19200", { .BaudRate = 19200 } },
        { "bytesize", "9", { .ByteSize = 9 } },
        { "paritycheck", "true", {} },
        { "paritycheck", "5", { .ParityCheck = true } },
        { "paritycheck", "$10", { .ParityCheck = true } },
        { "parity", "even", { .Parity = "even" } },
        { "stopbits", "1.5", { .StopBits = 1.5 } },
        { "stopbits", "x", {} },
        { "stopbits", "", {} },
        { "commname", "", { .CommName = "" } }, // empty is a value, not a missing key
        { "COMMNAME", "/dev/ttyUSB0", { .CommName = "/dev/ttyUSB0" } },
    };
    for (const Case &c : cases) {
        Put(Header + c.Key + "=" + c.Stored + "\r\n");
        EXPECT_EQ(ReadPortSettings(Path), c.Expected) << c.Key << "=" << c.Stored;
    }
}

TEST_F(SettingsFileTest, SavesWriteOneSectionWithSixKeysAndKeepTheRestOfTheFile)
{
    SavePortSettings(Path, StartChoice);
    EXPECT_EQ(Contents(),
        Header + "commname=COM1\r\nbaudrate=9600\r\nbytesize=8\r\nparity=none\r\nparitycheck=0\r\nstopbits=1\r\n");

    // Texts are trimmed of control bytes and blanks before they are converted.
    SavePortSettings(Path, { " COM3\t", " 115200 ", "7\r\n", "偶校验 ", "是", " 1.5" });
    std::string second
        = Header + "commname=COM3\r\nbaudrate=115200\r\nbytesize=7\r\nparity=Even\r\nparitycheck=1\r\nstopbits=1.5\r\n";
    EXPECT_EQ(Contents(), second);
    EXPECT_EQ(ReadPortSettings(Path), (TPortSettings { "COM3", 115200, 7, "Even", true, 1.5 }));

    std::string around = "; written by hand\r\n[other]\r\nx=1\r\n";
    Put(around + second + "[last]\r\ny=2\r\n");
    SavePortSettings(Path, { "COM2", "300", "5", "空格", "否", "2" });
    EXPECT_EQ(Contents(),
        around + Header
            + "commname=COM2\r\nbaudrate=300\r\nbytesize=5\r\nparity=Space\r\nparitycheck=0\r\nstopbits=2\r\n"
            + "[last]\r\ny=2\r\n");
}

TEST_F(SettingsFileTest, ParityLabelsMapToTheirWords)
{
    for (auto [label, word] : { std::pair { "偶校验", "Even" }, { "奇校验", "Odd" }, { "标记", "Mark" },
             { "空格", "Space" }, { "无", "none" }, { "其他", "none" } })
        EXPECT_EQ(ParityWord(label), word) << label;
}

TEST_F(SettingsFileTest, StopBitsSurviveALocaleWithADecimalComma)
{
    QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    SavePortSettings(Path, { "COM1", "9600", "8", "无", "否", "1.5" });
    EXPECT_NE(Contents().find("stopbits=1.5\r\n"), std::string::npos);
    EXPECT_EQ(ReadPortSettings(Path).StopBits, 1.5);
    Put(Header + "stopbits=2,5\r\n");
    EXPECT_EQ(ReadPortSettings(Path).StopBits, 2.5);
    QLocale::setDefault(previous);
}

TEST_F(SettingsFileTest, AConversionFailureStopsTheSaveAtItsKey)
{
    SavePortSettings(Path, StartChoice);
    try {
        SavePortSettings(Path, { "COM4", "4800", "6", "奇校验", "是", "x" });
        FAIL() << "no error";
    } catch (const EConvertError &error) {
        EXPECT_STREQ(error.what(), "'x' is not a valid floating point value");
    }
    EXPECT_EQ(Contents(),
        Header + "commname=COM4\r\nbaudrate=4800\r\nbytesize=6\r\nparity=Odd\r\nparitycheck=1\r\nstopbits=1\r\n");
}

TEST_F(SettingsFileTest, ARefusedWriteKeepsTheEarlierKeysAndWritesNoLaterOne)
{
    std::string firstThree = Header + "commname=COM1\r\nbaudrate=9600\r\nbytesize=8\r\n";
    try {
        TFileSizeLimit limit(firstThree.size());
        SavePortSettings(Path, StartChoice);
        FAIL() << "no error";
    } catch (const ESettingsWriteError &error) {
        EXPECT_EQ(error.what(), "Unable to write to " + Path);
    }
    EXPECT_EQ(Contents(), firstThree);
}

TEST_F(SettingsFileTest, AValueThatWouldAddLinesIsRefused)
{
    SettingsFile file(Path);
    file.WriteKeyText("系统参数", "commname", "COM1");
    EXPECT_THROW(file.WriteKeyText("系统参数", "commname", "COM2\r\nbaudrate=1"), ESettingsWriteError);
    EXPECT_EQ(file.ReadKeyText("系统参数", "commname", ""), "COM1");
    EXPECT_EQ(file.ReadKeyInteger("系统参数", "baudrate", 7), 7);
}

} // namespace
