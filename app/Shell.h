// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm7;
class TFloatStacking;
class TGlobalHotKey;
class TMainForm;

// The program's presence on the desktop: every window, created once and hidden in a fixed order; the tray icon and
// its menu; the F5 hot key that stamps the time into the send box; hiding instead of closing (where a tray shows the
// icon); and the exit.
// Lives on the user-interface thread for the whole run.
class TShell : public QObject
{
    Q_OBJECT
public:
    // Needs a QApplication. Creates the windows (all hidden) and registers the hot key.
    TShell();
    ~TShell() override;

    // What the message loop does first: shows the main window, whose show handler shows the companion window and
    // adds the tray icon.
    void Start();

    // Windows, in the order of their creation. The first one is the main window.
    std::unique_ptr<TMainForm> MainForm;
    std::unique_ptr<TForm1> Form1;
    std::unique_ptr<TForm2> Form2;
    std::unique_ptr<TForm3> Form3;
    std::unique_ptr<TForm4> Form4;
    std::unique_ptr<TForm5> Form5;
    std::unique_ptr<TForm6> Form6;
    std::unique_ptr<TForm7> Form7;
    // Keeps the windows opened while the floating window is shown above it. Goes before the windows do.
    std::unique_ptr<TFloatStacking> FloatStacking;

    TGlobalHotKey *HotKey;
    QSystemTrayIcon *TrayIcon;
    std::unique_ptr<QMenu> PopupMenu1; // opens only from the tray icon
    QAction *N5; // "显示主界面"
    QAction *N3; // separator
    QAction *N4; // "退出软件"
    QAction *N6; // separator
    QAction *N1; // "在线升级"
    QAction *N2; // "在线帮助"

    // Whether a tray host shows the icon, asked at each close request of the main window: with the icon the window
    // hides, without it the close request ends the program as "退出软件" does, since a hidden window could not be
    // reached again. Tests put a stand-in here.
    std::function<bool()> TrayShown;

public slots:
    void AddTrayIcon();
    void TrayIconActivated(QSystemTrayIcon::ActivationReason reason);
    void N5Click();
    // "退出软件": asks about unsaved script text first, then quits (unless the user chose to stay).
    void N4Click();
    // Ends the program without asking anything (a quit signal).
    void Quit();
    void N1Click();
    void N2Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateWindows();
    void BuildTrayMenu();
    void ShowMainWindows();
};
