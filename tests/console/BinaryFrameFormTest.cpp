// SPDX-License-Identifier: GPL-3.0-or-later
// The window "二进制帧" with fake hooks and a real settings file: captions, the settings it saves and reads back,
// a header that is not hex, the live counters and the XON/XOFF notice.
#include "console/plotfeed/BinaryFrameForm.h"

#include "settings/ExtensionSettings.h"
#include "tests/console/MessageBoxRecorder.h"
#include "tests/support/FileBytes.h"
#include "tests/support/WaitUntil.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace
{

// What the window did through its hooks, and what they answer.
struct TFakeProgram {
    TDecoderCounts Counts;
    int Resets = 0;
    std::vector<TBinaryFrameSettings> Applied;
    bool XonXoff = false;
    int FlowSwitches = 0;

    TBinaryFrameHooks Hooks()
    {
        TBinaryFrameHooks hooks;
        hooks.Counts = [this] { return Counts; };
        hooks.ResetCounts = [this] {
            ++Resets;
            Counts = {};
        };
        hooks.Apply = [this](const TBinaryFrameSettings &settings) { Applied.push_back(settings); };
        hooks.FlowIsXonXoff = [this] { return XonXoff; };
        hooks.SwitchFlowToNone = [this] {
            ++FlowSwitches;
            XonXoff = false;
        };
        return hooks;
    }
};

struct TFormFixture {
    QTemporaryDir Folder;
    std::string SettingsPath = Folder.filePath("setfile.ini").toStdString();
    TFakeProgram Program;
    TBinaryFrameForm Form { SettingsPath, Program.Hooks() };

    ~TFormFixture() { Form.hide(); }
};

QStringList Items(const QComboBox *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

} // namespace

TEST(BinaryFrameForm, CaptionsAndChoices)
{
    TFormFixture f;
    TBinaryFrameForm &form = f.Form;
    EXPECT_EQ(form.windowTitle(), "二进制帧");
    EXPECT_EQ(form.EnabledBox->text(), "启用二进制帧");
    const std::pair<QLabel *, const char *> labels[]
        = { { form.HeaderLabel, "帧头：" }, { form.ChannelsLabel, "通道数：" }, { form.TypeLabel, "数据类型：" },
              { form.OrderLabel, "字节序：" }, { form.LengthLabel, "帧长：" }, { form.ChecksumLabel, "校验：" },
              { form.ChecksumScopeLabel, "校验范围：" }, { form.ChecksumOrderLabel, "校验字节序：" },
              { form.GoodFramesLabel, "正确帧：" }, { form.ChecksumErrorsLabel, "校验错误：" },
              { form.LengthErrorsLabel, "长度错误：" }, { form.SkippedBytesLabel, "丢弃字节：" } };
    for (const auto &[label, caption] : labels)
        EXPECT_EQ(label->text(), QString::fromUtf8(caption));
    EXPECT_EQ(form.HeaderLabel->buddy(), form.HeaderEdit);
    EXPECT_EQ(form.ChecksumLabel->buddy(), form.ChecksumList);
    EXPECT_EQ(form.ChecksumScopeLabel->buddy(), form.ChecksumScopeList);
    EXPECT_EQ(form.ChecksumOrderLabel->buddy(), form.ChecksumOrderList);
    EXPECT_EQ(form.ClearCountsButton->text(), "清零");
    EXPECT_EQ(form.ChannelsBox->minimum(), 1);
    EXPECT_EQ(form.ChannelsBox->maximum(), 16);
    EXPECT_EQ(Items(form.TypeList).join(' '), "uint8 int8 uint16 int16 uint32 int32 float32 float64");
    EXPECT_EQ(Items(form.OrderList).join(' '), "小端 大端");
    EXPECT_EQ(Items(form.LengthList).join('|'), "固定|帧头后 1 字节长度|帧头后 2 字节长度");
    EXPECT_EQ(Items(form.ChecksumList).join('|'), "无|累加和|异或|CRC-16/MODBUS|CRC-16/CCITT-FALSE|CRC-32");
    EXPECT_EQ(Items(form.ChecksumScopeList).join('|'), "长度和数据|仅数据");
    EXPECT_EQ(Items(form.ChecksumOrderList).join('|'), "同帧|大端|小端");
}

TEST(BinaryFrameForm, ShowsTheFileSavesWhatIsChosenAndDropsWhatIsLeftUnsaved)
{
    TFormFixture f;
    TBinaryFrameForm &form = f.Form;
    const TBinaryFrameSettings kept { true,
        { "\xAA\x55", 3, TSampleType::Float32, TByteOrder::Big, TFrameLength::TwoBytes, TChecksumKind::Crc32,
            TChecksumScope::Data, TChecksumOrder::Big } };
    ASSERT_TRUE(WriteBinaryFrameSettings(f.SettingsPath, kept));
    form.show();
    EXPECT_TRUE(form.EnabledBox->isChecked());
    EXPECT_EQ(form.HeaderEdit->text(), "AA 55");
    EXPECT_EQ(form.ChannelsBox->value(), 3);
    EXPECT_EQ(form.TypeList->currentText(), "float32");
    EXPECT_EQ(form.OrderList->currentText(), "大端");
    EXPECT_EQ(form.LengthList->currentText(), "帧头后 2 字节长度");
    EXPECT_EQ(form.ChecksumList->currentText(), "CRC-32");
    EXPECT_EQ(form.ChecksumScopeList->currentText(), "仅数据");
    EXPECT_EQ(form.ChecksumOrderList->currentText(), "大端");

    // "应用" saves and applies, the window stays.
    form.HeaderEdit->setText("a5 5a 01");
    form.ChannelsBox->setValue(8);
    form.TypeList->setCurrentText("uint8");
    form.OrderList->setCurrentText("小端");
    form.LengthList->setCurrentText("帧头后 1 字节长度");
    form.ChecksumList->setCurrentText("CRC-16/MODBUS");
    form.ChecksumOrderList->setCurrentText("小端");
    form.ApplyButton->click();
    const TBinaryFrameSettings chosen { true,
        { "\xA5\x5A\x01", 8, TSampleType::UInt8, TByteOrder::Little, TFrameLength::Byte, TChecksumKind::Crc16Modbus,
            TChecksumScope::Data, TChecksumOrder::Little } };
    ASSERT_EQ(f.Program.Applied.size(), 1u);
    EXPECT_EQ(f.Program.Applied[0], chosen);
    EXPECT_EQ(ReadBinaryFrameSettings(f.SettingsPath), chosen);
    EXPECT_EQ(ExtensionSettings::ReadText(f.SettingsPath, ExtensionSettings::FrameHeaderKey, ""), "A55A01");
    EXPECT_EQ(form.HeaderEdit->text(), "A5 5A 01") << "the header as it is kept";
    EXPECT_TRUE(form.isVisible());

    // "确定" saves, applies and hides.
    form.EnabledBox->setChecked(false);
    form.OkButton->click();
    EXPECT_FALSE(form.isVisible());
    ASSERT_EQ(f.Program.Applied.size(), 2u);
    EXPECT_FALSE(f.Program.Applied[1].Enabled);
    EXPECT_FALSE(ReadBinaryFrameSettings(f.SettingsPath).Enabled);

    // A choice left by "取消" is neither applied nor shown at the next opening.
    form.show();
    form.ChannelsBox->setValue(2);
    form.ChecksumScopeList->setCurrentText("长度和数据");
    form.HeaderEdit->setText("zz");
    form.CancelButton->click();
    EXPECT_FALSE(form.isVisible());
    form.show();
    EXPECT_EQ(form.ChannelsBox->value(), 8);
    EXPECT_EQ(form.ChecksumScopeList->currentText(), "仅数据");
    EXPECT_EQ(form.HeaderEdit->text(), "A5 5A 01");
    EXPECT_EQ(f.Program.Applied.size(), 2u);

    // Return in the header box confirms as "确定" does.
    form.HeaderEdit->setText("55");
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(form.HeaderEdit, &press);
    EXPECT_FALSE(form.isVisible());
    ASSERT_EQ(f.Program.Applied.size(), 3u);
    EXPECT_EQ(f.Program.Applied[2].Format.Header, "\x55");
}

TEST(BinaryFrameForm, ChecksumScopeAndOrderAreOfferedWhereTheyMatter)
{
    TFormFixture f;
    TBinaryFrameForm &form = f.Form;
    form.show();
    const struct {
        const char *Length;
        const char *Checksum;
        bool Scope, Order;
    } rows[] = {
        { "固定", "CRC-16/CCITT-FALSE", false, true },
        { "帧头后 1 字节长度", "累加和", true, false },
        { "帧头后 2 字节长度", "CRC-32", true, true },
        { "帧头后 1 字节长度", "无", false, false },
        { "固定", "异或", false, false },
        { "帧头后 1 字节长度", "CRC-16/MODBUS", true, true },
    };
    for (const auto &row : rows) {
        form.LengthList->setCurrentText(QString::fromUtf8(row.Length));
        form.ChecksumList->setCurrentText(QString::fromUtf8(row.Checksum));
        EXPECT_EQ(form.ChecksumScopeList->isEnabled(), row.Scope) << row.Length << ", " << row.Checksum;
        EXPECT_EQ(form.ChecksumOrderList->isEnabled(), row.Order) << row.Length << ", " << row.Checksum;
    }

    // A choice kept in the file shows with the lists it needs enabled; one made while a list was off is kept too.
    form.ChecksumOrderList->setCurrentText("大端");
    form.ChecksumList->setCurrentText("无");
    form.OkButton->click();
    EXPECT_EQ(ReadBinaryFrameSettings(f.SettingsPath).Format.ChecksumOrder, TChecksumOrder::Big);
    TBinaryFrameSettings kept;
    kept.Format.Length = TFrameLength::Byte;
    kept.Format.Checksum = TChecksumKind::Sum8;
    kept.Format.ChecksumScope = TChecksumScope::Data;
    ASSERT_TRUE(WriteBinaryFrameSettings(f.SettingsPath, kept));
    form.show();
    EXPECT_TRUE(form.ChecksumScopeList->isEnabled());
    EXPECT_FALSE(form.ChecksumOrderList->isEnabled());
    EXPECT_EQ(form.ChecksumScopeList->currentText(), "仅数据");
}

TEST(BinaryFrameForm, AHeaderThatIsNotHexGetsABoxAndChangesNothing)
{
    for (const char *header : { "AA 5", "0xAA", "AA-55", "帧头", "01 02 03 04 05 06 07 08 09" }) {
        TFormFixture f;
        TMessageBoxRecorder boxes;
        f.Form.show();
        f.Form.EnabledBox->setChecked(true);
        f.Form.HeaderEdit->setText(QString::fromUtf8(header));
        f.Form.OkButton->click();
        EXPECT_EQ(boxes.Texts(), std::vector<std::string> { "帧头须为 0 到 8 个字节的十六进制数，如 AA 55" }) << header;
        EXPECT_TRUE(f.Form.isVisible()) << header;
        EXPECT_TRUE(f.Program.Applied.empty()) << header;
        EXPECT_FALSE(QFile::exists(QString::fromStdString(f.SettingsPath))) << header;
        EXPECT_EQ(f.Form.HeaderEdit->text(), QString::fromUtf8(header)) << "the text stays to be corrected";
    }
}

TEST(BinaryFrameForm, ASettingsFileThatCannotBeWrittenStillAppliesForThisRun)
{
    QTemporaryDir folder;
    TFakeProgram program;
    TBinaryFrameForm form(folder.filePath("missing/setfile.ini").toStdString(), program.Hooks());
    TMessageBoxRecorder boxes;
    form.show();
    form.EnabledBox->setChecked(true);
    form.OkButton->click();
    EXPECT_EQ(boxes.Texts(), std::vector<std::string> { "二进制帧设置保存失败，仅本次运行有效" });
    ASSERT_EQ(program.Applied.size(), 1u);
    EXPECT_TRUE(program.Applied[0].Enabled);
}

TEST(BinaryFrameForm, CountersFollowTheDecoderWhileShownAndClearOnDemand)
{
    TFormFixture f;
    TBinaryFrameForm &form = f.Form;
    f.Program.Counts = { .Taken = 12, .Rejected = 1, .ChecksumErrors = 3, .SkippedBytes = 45 };
    form.show();
    EXPECT_EQ(form.GoodFramesValue->text(), "12");
    EXPECT_EQ(form.ChecksumErrorsValue->text(), "3");
    EXPECT_EQ(form.LengthErrorsValue->text(), "1");
    EXPECT_EQ(form.SkippedBytesValue->text(), "45");

    f.Program.Counts.Taken = 1'000'000;
    f.Program.Counts.ChecksumErrors = 4;
    f.Program.Counts.Rejected = 2;
    EXPECT_TRUE(WaitUntil([&] { return form.GoodFramesValue->text() == "1000000"; }));
    EXPECT_EQ(form.ChecksumErrorsValue->text(), "4");
    EXPECT_EQ(form.LengthErrorsValue->text(), "2");

    form.ClearCountsButton->click();
    EXPECT_EQ(f.Program.Resets, 1);
    EXPECT_EQ(form.GoodFramesValue->text(), "0");
    EXPECT_EQ(form.ChecksumErrorsValue->text(), "0");
    EXPECT_EQ(form.LengthErrorsValue->text(), "0");
    EXPECT_EQ(form.SkippedBytesValue->text(), "0");

    // Hidden, the window reads nothing.
    EXPECT_TRUE(form.CountsTimer->isActive());
    form.hide();
    EXPECT_FALSE(form.CountsTimer->isActive());
}

TEST(BinaryFrameForm, XonXoffFlowControlIsPointedOutAndCanBeSwitchedOff)
{
    TFormFixture f;
    TBinaryFrameForm &form = f.Form;
    form.show();
    EXPECT_TRUE(form.FlowNotice->isHidden()) << "no notice without XON/XOFF";
    EXPECT_TRUE(form.FlowSwitchButton->isHidden());

    // The port's flow control changes while the window shows: the notice follows.
    f.Program.XonXoff = true;
    ASSERT_TRUE(WaitUntil([&] { return form.FlowNotice->isVisible(); }));
    EXPECT_TRUE(form.FlowNotice->text().contains("0x11"));
    EXPECT_TRUE(form.FlowNotice->text().contains("0x13"));
    EXPECT_TRUE(form.FlowSwitchButton->isVisible());
    EXPECT_TRUE(form.FlowSwitchButton->text().contains("无"));

    form.FlowSwitchButton->click();
    EXPECT_EQ(f.Program.FlowSwitches, 1);
    EXPECT_TRUE(form.FlowNotice->isHidden());
    EXPECT_TRUE(form.FlowSwitchButton->isHidden());
}

TEST(BinaryFrameForm, WithoutHooksTheWindowStillSavesAndReadsZero)
{
    QTemporaryDir folder;
    const std::string path = folder.filePath("setfile.ini").toStdString();
    TBinaryFrameForm form(path, {});
    form.show();
    EXPECT_EQ(form.GoodFramesValue->text(), "0");
    EXPECT_TRUE(form.FlowNotice->isHidden());
    form.ClearCountsButton->click();
    form.FlowSwitchButton->click();
    form.EnabledBox->setChecked(true);
    form.OkButton->click();
    EXPECT_TRUE(ReadBinaryFrameSettings(path).Enabled);
}
