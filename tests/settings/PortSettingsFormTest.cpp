// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/PortSettingsForm.h"

#include "core/MessageBox.h"
#include "settings/ExtensionSettings.h"
#include "settings/FlowControl.h"
#include "settings/PortSettings.h"
#include "settings/SettingsFile.h"
#include "tests/support/Pty.h"
#include "tests/support/WaitUntil.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

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

// The devices of the fixture tree (tests/support/fixtures/serial-ports) as the port list shows them; its ttyS0 is COM1.
const QStringList FixtureDevices { "/dev/rfcomm0", "ttyACM0 — Arduino (www.arduino.cc) (75833353035351D0E1B1)",
    "ttyUSB0 — FT232R USB UART (A50285BI)",
    "ttyUSB1 — usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0" };

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
        // A tree of our own stands in for /sys and /dev: empty until a test fills it.
        std::filesystem::create_directories(Tree + "/dev");
        form.SetPortRoots(TSerialPortRoots { Tree + "/sys/class/tty", Tree + "/dev", Tree + "/dev/serial/by-id" });
        form.SetSettingsPath(Path);
    }

    // The system gets the fixture's devices.
    void PlugFixtureDevices()
    {
        std::filesystem::copy(std::string(KELVARA_TEST_SUPPORT_DIR) + "/fixtures/serial-ports", Tree,
            std::filesystem::copy_options::recursive | std::filesystem::copy_options::copy_symlinks
                | std::filesystem::copy_options::overwrite_existing);
    }

    void Choose(QComboBox *list, const QString &text)
    {
        int index = list->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        list->setCurrentIndex(index);
    }

    std::vector<TMessageBoxRequest> Boxes;
    QTemporaryDir Folder;
    std::string Path = Folder.filePath("setfile.ini").toStdString();
    std::string Tree = Folder.filePath("system").toStdString();
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
        EXPECT_EQ(list->isEditable(), list == Form.ComboBox1) << "only the port name can be typed";
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

TEST_F(PortSettingsFormTest, EveryShowingAddsTheDevicesTheListLacksWithWhatTellsThemApart)
{
    Form.show();
    EXPECT_EQ(Items(Form.ComboBox1), FixedPorts); // no devices

    PlugFixtureDevices();
    Choose(Form.ComboBox1, "COM5");
    Form.hide();
    Form.show();
    Form.hide();
    Form.show();
    EXPECT_EQ(Items(Form.ComboBox1), FixedPorts + FixtureDevices);
    EXPECT_EQ(Form.ComboBox1->currentText(), "COM5");
    EXPECT_EQ(Form.ChosenPortName(), "COM5");
}

TEST_F(PortSettingsFormTest, TheListFollowsDevicesComingAndGoingWhileShownAndKeepsTheChoice)
{
    PlugFixtureDevices();
    Form.show();
    Choose(Form.ComboBox1, FixtureDevices[2]);

    // ttyUSB2 is in sysfs already; its node appearing is the device arriving.
    std::ofstream(Tree + "/dev/ttyUSB2").close();
    EXPECT_TRUE(WaitUntil([&] { return Items(Form.ComboBox1).contains("ttyUSB2 — USB 1a86:7523"); }));

    std::filesystem::remove(Tree + "/dev/ttyUSB0");
    EXPECT_TRUE(WaitUntil([&] { return Items(Form.ComboBox1).contains(FixtureDevices[2] + "（已移除）"); }))
        << Items(Form.ComboBox1).join("|").toStdString();
    EXPECT_EQ(Form.ComboBox1->currentText(), FixtureDevices[2] + "（已移除）") << "the choice stays on its device";
    EXPECT_EQ(Form.ChosenPortName(), "/dev/ttyUSB0");

    std::ofstream(Tree + "/dev/ttyUSB0").close();
    EXPECT_TRUE(WaitUntil([&] { return Form.ComboBox1->currentText() == FixtureDevices[2]; }));
    EXPECT_EQ(Items(Form.ComboBox1).count(), FixedPorts.count() + FixtureDevices.count() + 1) << "nothing doubled";

    // Hidden, the window no longer follows the devices.
    Form.hide();
    std::filesystem::remove(Tree + "/dev/ttyUSB1");
    PumpFor(std::chrono::milliseconds(300));
    EXPECT_TRUE(Items(Form.ComboBox1).contains(FixtureDevices[3]));
}

TEST_F(PortSettingsFormTest, ATypedNameIsSavedAsTypedAndAnEmptyOneIsRefused)
{
    Form.show();
    struct TRow {
        const char *Typed;
        const char *Saved;
    };
    for (TRow row : { TRow { "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0",
                          "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0" },
             TRow { "  rfc2217://192.168.1.20:4001 ", "rfc2217://192.168.1.20:4001" },
             TRow { "tcp://[::1]:4000", "tcp://[::1]:4000" } }) {
        Form.ComboBox1->setEditText(QString::fromUtf8(row.Typed));
        Form.Button1->click();
        EXPECT_EQ(ReadPortSettings(Path).CommName, row.Saved);
        EXPECT_EQ(Items(Form.ComboBox1), FixedPorts) << "a typed name does not become an item";
        Form.show();
    }
    Boxes.clear();
    Form.ComboBox1->setEditText("   ");
    Form.Button1->click();
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "串口设置失败");
    EXPECT_EQ(ReadPortSettings(Path).CommName, "tcp://[::1]:4000") << "nothing was lost";
}

TEST_F(PortSettingsFormTest, SavingWritesTheChoicesAndHides)
{
    PlugFixtureDevices();
    Form.show();
    Choose(Form.ComboBox1, FixtureDevices[2]);
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

// The lists start from the file, as the program starts: saving a change to one of them keeps the others, a value no
// list holds included.
TEST_F(PortSettingsFormTest, StartsFromTheSavedSettingsSoThatSavingOneListKeepsTheOthers)
{
    TPty pty;
    ASSERT_TRUE(pty.Valid());
    const std::string link = Folder.filePath("ttyLink").toStdString();
    ASSERT_EQ(::symlink(pty.SlavePath.c_str(), link.c_str()), 0);
    struct Case {
        const char *Name;
        TPortSettingsChoice Saved; // as the window saves it
        QStringList Shown; // lists 1 to 6
    };
    const Case cases[] = {
        { "a pty link at 115200", { link, "115200", "8", "无", "否", "1" },
            { QString::fromStdString(link), "115200", "8", "无", "1", "否" } },
        { "every list away from its default", { "COM3", "1200", "7", "奇校验", "是", "2" },
            { "COM3", "1200", "7", "奇校验", "2", "是" } },
        { "values no list holds", { "/dev/ttyUSB0", "250000", "8", "空格", "否", "1.5" },
            { "/dev/ttyUSB0", "250000", "8", "空格", "1.5", "否" } },
    };
    PlugFixtureDevices();
    for (const Case &c : cases) {
        SavePortSettings(Path, c.Saved);
        const TPortSettings saved = ReadPortSettings(Path);
        TForm1 form;
        Prepare(form);
        form.LoadSavedSettings();
        form.show();
        QStringList shown;
        for (QComboBox *list :
            { form.ComboBox1, form.ComboBox2, form.ComboBox3, form.ComboBox4, form.ComboBox5, form.ComboBox6 })
            shown << list->currentText();
        EXPECT_EQ(shown, c.Shown) << c.Name;

        Choose(form.ComboBox7, "RTS/CTS");
        form.Button1->click();
        EXPECT_EQ(ReadPortSettings(Path), saved) << c.Name;
    }
    EXPECT_EQ(Boxes.size(), std::size(cases));
}

TEST_F(PortSettingsFormTest, APortGivenForThisRunIsChosenSoThatSavingKeepsIt)
{
    SavePortSettings(Path, { "COM2", "57600", "8", "无", "否", "1" });
    const std::string port = Folder.filePath("links/device-of-this-run").toStdString();
    SetPortForThisRun(port);
    TForm1 form;
    Prepare(form);
    form.LoadSavedSettings();
    PlugFixtureDevices();
    form.show();
    form.hide();
    form.show();
    EXPECT_EQ(Items(form.ComboBox1), FixedPorts + QStringList({ QString::fromStdString(port) }) + FixtureDevices);
    EXPECT_EQ(form.ComboBox1->currentText().toStdString(), port);
    EXPECT_EQ(form.ComboBox2->currentText(), "57600") << "the rest from the file";

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
