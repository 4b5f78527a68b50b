// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SerialPortList.h"
#include "settings/PortListItems.h"

#include <QWidget>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class TPortListWatch;

// The port settings window: six pick-only lists of line settings and a save that writes them to setfile.ini, and below
// them a seventh for the flow control, kept in the file's own section for additions. Created once at start-up, when
// the six lists are set from the file (LoadSavedSettings), and afterwards only shown and hidden, so the lists keep the
// user's choices; the flow control shows the file's at each show. A port given for this run (--port) stands in the
// port list and is chosen from the start. The port list also shows the serial devices
// the system has, each with what tells it apart, and follows them while the window is shown (a device that comes is
// added, one that goes is marked); no device is opened for this. A name can also be typed (a device path, a by-id
// link, "rfc2217://host:port", "tcp://host:port").
class TForm1 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);

    // Where the save writes; setfile.ini in the program's folder (platform/ProgramFolder.h) unless set.
    void SetSettingsPath(std::string path) { FSettingsPath = std::move(path); }
    const std::string &SettingsPath() const { return FSettingsPath; }
    // Where the devices are listed from and watched; the system's unless set, none for no devices at all.
    void SetPortRoots(std::optional<TSerialPortRoots> roots);

    // Chooses in the six lists what the settings file holds (a port given for this run in place of its port), so that
    // saving one list keeps the others; a value a list lacks (a device path, a speed of a hand-written file) is added
    // to it and chosen. Called once, as the program starts.
    void LoadSavedSettings();
    // Brings ComboBox1 up to date with the devices present (MergePortList); never removes an item or changes the
    // choice.
    void PortProbe();
    // The port name chosen or typed in ComboBox1.
    std::string ChosenPortName() const;
    void FormShow();
    void Button1Click();
    void Button2Click();

    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    QLabel *Label5;
    QLabel *Label6;
    QLabel *Label7;
    QComboBox *ComboBox1; // port name, editable
    QComboBox *ComboBox2; // baud rate
    QComboBox *ComboBox3; // data bits
    QComboBox *ComboBox4; // parity
    QComboBox *ComboBox5; // stop bits
    QComboBox *ComboBox6; // parity checking
    QComboBox *ComboBox7; // flow control: "无", "XON/XOFF", "RTS/CTS", in the order of TFlowControl
    QPushButton *Button1;
    QPushButton *Button2;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void ChoosePortName(const QString &name);

    std::string FSettingsPath;
    std::optional<TSerialPortRoots> FPortRoots;
    std::vector<TPortListItem> FPortItems; // mirrors ComboBox1's items
    TPortListWatch *FPortWatch = nullptr; // while the window is shown
    bool FPlaced = false;
};
