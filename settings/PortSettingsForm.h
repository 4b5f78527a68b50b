// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/PortProbe.h"

#include <QWidget>
#include <string>
#include <utility>

class QComboBox;
class QLabel;
class QPushButton;

// The port settings window: six pick-only lists of line settings and a save that writes them to setfile.ini, and below
// them a seventh for the flow control, kept in the file's own section for additions. Created once at start-up and
// afterwards only shown and hidden, so the lists keep the user's choices; it never reads the file. A port given for
// this run (--port) stands in the port list and is chosen from the start. Every showing first lists the ports that
// open at that moment.
class TForm1 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);

    // Where the save writes; setfile.ini in the program's folder (platform/ProgramFolder.h) unless set.
    void SetSettingsPath(std::string path) { FSettingsPath = std::move(path); }
    const std::string &SettingsPath() const { return FSettingsPath; }
    // What the probe opens and lists; the real system unless set.
    void SetPortProbeDevices(TPortProbeDevices devices) { FProbeDevices = std::move(devices); }

    // Appends to ComboBox1 each port found that it does not hold yet; never removes an item or changes the choice.
    void PortProbe();
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
    QComboBox *ComboBox1; // port name
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

private:
    std::string FSettingsPath;
    TPortProbeDevices FProbeDevices;
    bool FPlaced = false;
};
