// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/PortSettingsForm.h"

#include "core/MessageBox.h"
#include "settings/ExtensionSettings.h"
#include "settings/FlowControl.h"
#include "settings/PortSettings.h"
#include "settings/SettingsFile.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <set>

namespace
{

QStringList Items(const QComboBox *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

const QStringList FixedPorts { "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "COM9", "COM10" };

class PortSettingsFormTest : public ::testing::Test
{
protected:
    PortSettingsFormTest()
    {
        Prepare(Form);
        FPreviousHandler = SetMessageBoxHandler([this](const TMessageBoxRequest &request) {
            Boxes.push_back(request);
            return idOk;
        });
    }
    ~PortSettingsFormTest() override { SetMessageBoxHandler(FPreviousHandler); }

    void Prepare(TForm1 &form)
    {
        // Fake devices only: the real probe would open /dev/ttyS*, which here is the system console.
        form.SetPortProbeDevices({
            [this](const std::string &path) { return Openable.count(path) > 0; },
            [] {
                return std::vector<std::string> { "/dev/ttyACM0", "/dev/ttyUSB0" };
            },
        });
        form.SetSettingsPath(Path);
    }

    void Choose(QComboBox *list, const QString &text)
    {
        int index = list->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        list->setCurrentIndex(index);
    }

    std::set<std::string> Openable;
    std::vector<TMessageBoxRequest> Boxes;
    QTemporaryDir Folder;
    std::string Path = Folder.filePath("setfile.ini").toStdString();
    TForm1 Form;

private:
    TMessageBoxHandler FPreviousHandler;
};

TEST_F(PortSettingsFormTest, StartsWithTheFixedListsAndChoices)
{
    EXPECT_EQ(Form.windowTitle(), "串口设置");
    EXPECT_EQ(Form.size(), QSize(221, 259));
    EXPECT_EQ(Items(Form.ComboBox1), FixedPorts);
    EXPECT_EQ(Items(Form.ComboBox2),
        QStringList({ "110", "300", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200", "230400",
            "460800", "921600" }));
    EXPECT_EQ(Items(Form.ComboBox3), QStringList({ "5", "6", "7", "8" }));
    EXPECT_EQ(Items(Form.ComboBox4), QStringList({ "偶校验", "奇校验", "无", "标记", "空格" }));
    EXPECT_EQ(Items(Form.ComboBox5), QStringList({ "1.5", "1", "2" }));
    EXPECT_EQ(Items(Form.ComboBox6), QStringList({ "否", "是" }));
    QComboBox *lists[]
        = { Form.ComboBox1, Form.ComboBox2, Form.ComboBox3, Form.ComboBox4, Form.ComboBox5, Form.ComboBox6 };
    QStringList chosen;
    for (QComboBox *list : lists) {
        EXPECT_FALSE(list->isEditable());
        chosen << list->currentText();
    }
    EXPECT_EQ(chosen, QStringList({ "COM1", "9600", "8", "无", "1", "否" }));
    EXPECT_EQ(Form.Label6->text(), "是否奇偶校验：");
    EXPECT_EQ(Form.Label6->buddy(), Form.ComboBox6);
    EXPECT_EQ(Form.Button1->text(), "保存");
    EXPECT_EQ(Form.Button2->text(), "取消");

    // The flow control row follows the six rows, above the buttons.
    EXPECT_EQ(Items(Form.ComboBox7), QStringList({ "无", "XON/XOFF", "RTS/CTS" }));
    EXPECT_EQ(Form.ComboBox7->currentText(), "无");
    EXPECT_FALSE(Form.ComboBox7->isEditable());
    EXPECT_EQ(Form.Label7->text(), "流控制：");
    EXPECT_EQ(Form.Label7->buddy(), Form.ComboBox7);
    EXPECT_EQ(Form.ComboBox6->geometry(), QRect(110, 157, 101, 22)) << "the sixth row stays where it was";
    EXPECT_GT(Form.ComboBox7->y(), Form.ComboBox6->geometry().bottom());
    EXPECT_GT(Form.Button1->y(), Form.ComboBox7->geometry().bottom());
    EXPECT_EQ(Form.Button2->y(), Form.Button1->y());
    EXPECT_LE(Form.Button1->geometry().bottom(), Form.height());
}

TEST_F(PortSettingsFormTest, EveryShowingAddsOnlyNamesTheListLacks)
{
    Form.show();
    EXPECT_EQ(Items(Form.ComboBox1), FixedPorts); // nothing opens

    Openable = { "/dev/ttyS0", "/dev/ttyS1", "/dev/ttyUSB0" };
    Form.hide();
    Form.show();
    EXPECT_EQ(Items(Form.ComboBox1), FixedPorts + QStringList({ "/dev/ttyUSB0" }));

    for (int n = 0; n <= 10; ++n)
        Openable.insert("/dev/ttyS" + std::to_string(n));
    Choose(Form.ComboBox1, "COM5");
    Form.hide();
    Form.show();
    Form.hide();
    Form.show();
    EXPECT_EQ(Items(Form.ComboBox1), FixedPorts + QStringList({ "/dev/ttyUSB0", "COM11" }));
    EXPECT_EQ(Form.ComboBox1->currentText(), "COM5");
}

TEST_F(PortSettingsFormTest, SavingWritesTheChoicesAndHides)
{
    Openable = { "/dev/ttyUSB0" };
    Form.show();
    Choose(Form.ComboBox1, "/dev/ttyUSB0");
    Choose(Form.ComboBox2, "115200");
    Choose(Form.ComboBox3, "7");
    Choose(Form.ComboBox4, "无");
    Choose(Form.ComboBox5, "1.5");
    Choose(Form.ComboBox6, "是");
    Form.Button1->click();

    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "串口设置成功,请重新打开串口以便生效");
    EXPECT_EQ(Boxes[0].Caption, "提示");
    EXPECT_EQ(Boxes[0].Flags, mbIconExclamation);
    EXPECT_FALSE(Form.isVisible());
    EXPECT_EQ(ReadPortSettings(Path), (TPortSettings { "/dev/ttyUSB0", 115200, 7, "none", true, 1.5 }));
}

TEST_F(PortSettingsFormTest, TheFlowControlIsSavedInTheExtensionSectionAndReadBack)
{
    EXPECT_EQ(ReadFlowControl(Path), TFlowControl::None) << "no file: none";
    struct Case {
        QString Label;
        TFlowControl Flow;
        const char *Word;
    };
    const Case cases[] = {
        { "XON/XOFF", TFlowControl::XonXoff, "xonxoff" },
        { "RTS/CTS", TFlowControl::RtsCts, "rtscts" },
        { "无", TFlowControl::None, "none" },
    };
    Form.show();
    Choose(Form.ComboBox2, "115200");
    for (const Case &c : cases) {
        Choose(Form.ComboBox7, c.Label);
        Form.Button1->click();
        EXPECT_EQ(ReadFlowControl(Path), c.Flow) << c.Word;
        EXPECT_EQ(ExtensionSettings::ReadText(Path, ExtensionSettings::FlowKey, ""), c.Word);
        EXPECT_EQ(SettingsFile(Path).ReadKeyText(SettingsSection, ExtensionSettings::FlowKey, "absent"), "absent")
            << "the port section holds its six keys only";
        EXPECT_EQ(ReadPortSettings(Path), (TPortSettings { "COM1", 115200, 8, "none", false, 1 }));
        Form.show();
    }
    ASSERT_EQ(Boxes.size(), 3u);
    EXPECT_EQ(Boxes[2].Text, "串口设置成功,请重新打开串口以便生效");

    // The next time the window opens it shows the choice in effect, and saving other settings keeps it.
    Choose(Form.ComboBox7, "RTS/CTS");
    Form.Button1->click();
    TForm1 later;
    Prepare(later);
    later.show();
    EXPECT_EQ(later.ComboBox7->currentText(), "RTS/CTS");
    Choose(later.ComboBox2, "9600");
    later.Button1->click();
    EXPECT_EQ(ReadFlowControl(Path), TFlowControl::RtsCts);

    ExtensionSettings::WriteText(Path, ExtensionSettings::FlowKey, "XONXOFF");
    EXPECT_EQ(ReadFlowControl(Path), TFlowControl::None) << "an unknown word";
}

TEST_F(PortSettingsFormTest, APortGivenForThisRunIsChosenSoThatSavingKeepsIt)
{
    const std::string port = Folder.filePath("links/device-of-this-run").toStdString();
    Openable = { "/dev/ttyUSB0" };
    SetPortForThisRun(port);
    TForm1 form;
    Prepare(form);
    form.show();
    form.hide();
    form.show();
    EXPECT_EQ(Items(form.ComboBox1), FixedPorts + QStringList({ QString::fromStdString(port), "/dev/ttyUSB0" }));
    EXPECT_EQ(form.ComboBox1->currentText().toStdString(), port);

    Choose(form.ComboBox2, "115200");
    form.Button1->click();
    SetPortForThisRun({});
    EXPECT_EQ(ReadPortSettings(Path).CommName, port);
    EXPECT_EQ(ReadPortSettings(Path).BaudRate, 115200);
}

TEST_F(PortSettingsFormTest, ARefusedSaveSaysSoAndStaysOpen)
{
    std::string blocker = Folder.filePath("plainfile").toStdString();
    std::ofstream(blocker) << "x";
    Form.SetSettingsPath(blocker + "/setfile.ini");
    Form.show();
    Choose(Form.ComboBox2, "300");
    Form.Button1->click();

    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "串口设置失败");
    EXPECT_EQ(Boxes[0].Caption, "提示");
    EXPECT_EQ(Boxes[0].Flags, mbIconExclamation);
    EXPECT_TRUE(Form.isVisible());
    EXPECT_EQ(Form.ComboBox2->currentText(), "300");
}

TEST_F(PortSettingsFormTest, CancelAndTheCloseBoxHideWithoutWriting)
{
    Form.show();
    Choose(Form.ComboBox1, "COM9");
    Choose(Form.ComboBox4, "标记");
    Form.Button2->click();
    EXPECT_FALSE(Form.isVisible());

    Form.show();
    EXPECT_EQ(Form.ComboBox1->currentText(), "COM9");
    EXPECT_EQ(Form.ComboBox4->currentText(), "标记");
    EXPECT_TRUE(Form.close() == false || !Form.isVisible());
    EXPECT_FALSE(Form.isVisible());

    EXPECT_TRUE(Boxes.empty());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path)));
}

} // namespace
