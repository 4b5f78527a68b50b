// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;
class QPushButton;

// A small fixed window of information text: white bold text in a group box at the top and one button "关 闭" centred
// below it. The button and the close box both only hide the window. It is centred on the screen the first time it is
// shown and never ends the program when closed.
class TInfoWindow : public QWidget
{
    Q_OBJECT
public:
    // Shows the window, or brings it to the front when it is already on screen. Does not block other windows.
    void Show();

    QGroupBox *GroupBox1;
    QLabel *Label1;
    QPushButton *BitBtn1;

    void BitBtn1Click();

protected:
    // clientSize: the window's inside; textHeight: the group box's height. The button sits 7 pixels below it.
    TInfoWindow(QWidget *parent, Qt::WindowFlags extraFlags, const QString &caption, QSize clientSize, int textHeight);

    void showEvent(QShowEvent *event) override;

private:
    bool FCentred = false;
};
