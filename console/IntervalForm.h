// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QComboBox;
class QKeyEvent;
class QLabel;
class QPushButton;

// The interval window "间隔时间" of the timed send: the user types or picks the interval in milliseconds and starts
// the timed send with "确定". Created once, then only shown and hidden, so the box keeps its text between uses.
class TForm3 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);

    // Whether a typed character may reach the interval box: digits and Backspace only.
    static bool IntervalCharAccepted(char16_t character);

    // The key filter of the interval box: true when the key press was discarded.
    bool ComboBox1KeyPress(QKeyEvent *event);
    void Button1Click();
    void Button2Click();

    QLabel *Label1;
    QComboBox *ComboBox1;
    QLabel *Label2;
    QPushButton *Button1;
    QPushButton *Button2;

signals:
    // "确定" with a whole number: set the send timer to this interval and start it. Emitted before the window hides.
    void IntervalChosen(int milliseconds);
    // "取消": the window is hidden; the main window's button goes back to "定时发送".
    void Cancelled();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    static bool IsConfirmKey(const QKeyEvent *event);

    bool FPlaced = false;
};

class QTimer;

// Starts the timed-send timer with the interval chosen in the interval window. An interval of 0 or less leaves the
// timer without ticks (a zero-interval timer would otherwise fire on every pass of the event loop).
void StartSendTimer(QTimer *timer, int milliseconds);
