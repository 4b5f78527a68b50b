// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QGroupBox;
class QPlainTextEdit;
class QPushButton;
class TDataPanelHost;
class TReceivePane;

// The floating receive/send window "接收/发送数据 【悬浮窗体】": an always-on-top copy of the main window's data panel.
// Its receive pane shows the received text (the main window's receive log, read from this pane's own start); its
// send box is its own. Every button hands its work to the main window's twin button. Created once, then only shown
// and hidden.
class TForm7 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm7(QWidget *parent = nullptr);

    // The main window, which does the work of every button. Until it is set the buttons do nothing.
    void SetHost(TDataPanelHost *host) { FHost = host; }

    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();
    void Button8Click();
    void Button9Click();
    void Button10Click();
    void BitBtn1Click();
    void Memo2ContextMenu(const QPoint &position);

    QGroupBox *GroupBox1;
    QGroupBox *GroupBox2;
    QPushButton *Button4;
    QPushButton *Button5;
    QPushButton *Button6;
    TReceivePane *Memo1;
    QPlainTextEdit *Memo2;
    QPushButton *Button7;
    QPushButton *Button8;
    QPushButton *Button9;
    QPushButton *Button10;
    QPushButton *BitBtn1;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void CopySendText();

    TDataPanelHost *FHost = nullptr;
    bool FPlaced = false;
};
