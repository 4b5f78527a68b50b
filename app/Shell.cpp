// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Shell.h"

#include "app/AppIcon.h"
#include "auxwin/CompanionForm.h"
#include "auxwin/HelpForm.h"
#include "auxwin/UpgradeForm.h"
#include "console/FloatForm.h"
#include "console/FloatStacking.h"
#include "console/HistoryForm.h"
#include "console/IntervalForm.h"
#include "console/MainForm.h"
#include "core/MessageBox.h"
#include "platform/GlobalHotKey.h"
#include "settings/PortSettings.h"
#include "settings/PortSettingsForm.h"
#include "ui/WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QMenu>

TShell::TShell()
{
    CreateWindows();
    BuildTrayMenu();
    TrayShown = [this] { return QSystemTrayIcon::isSystemTrayAvailable() && TrayIcon->isVisible(); };
    qApp->installEventFilter(this);
}

TShell::~TShell()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

void TShell::CreateWindows()
{
    MainForm = std::make_unique<TMainForm>();
    // The hot key belongs to the main window's creation. Where it cannot be had the program runs without it.
    HotKey = new TGlobalHotKey(this);
    HotKey->Register(TGlobalHotKey::KeysymF5);
    connect(HotKey, &TGlobalHotKey::Activated, MainForm.get(), &TMainForm::HotKeyPressed);

    Form1 = std::make_unique<TForm1>();
    Form1->LoadSavedSettings();
    Form2 = std::make_unique<TForm2>();
    Form3 = std::make_unique<TForm3>();
    Form4 = std::make_unique<TForm4>();
    Form5 = std::make_unique<TForm5>();
    Form6 = std::make_unique<TForm6>();
    Form7 = std::make_unique<TForm7>();

    MainForm->SetWindows({ .Form1 = Form1.get(),
        .Form2 = Form2.get(),
        .Form3 = Form3.get(),
        .Form4 = Form4.get(),
        .Form5 = Form5.get(),
        .Form6 = Form6.get(),
        .Form7 = Form7.get() });
    MainForm->LoadOptions(SettingsFilePath());
    Form4->SetFollowedWindow(MainForm.get());
    FloatStacking = std::make_unique<TFloatStacking>(Form7.get(), QList<QWidget *> { MainForm.get(), Form4.get() });
    connect(MainForm.get(), &TMainForm::Shown, this, &TShell::AddTrayIcon);
    connect(MainForm.get(), &TMainForm::Notify, this, [this](const QString &text) {
        if (TrayIcon && TrayIcon->isVisible())
            TrayIcon->showMessage(QString::fromUtf8(ApplicationTitle), text);
    });
}

void TShell::BuildTrayMenu()
{
    PopupMenu1 = std::make_unique<QMenu>();
    N5 = PopupMenu1->addAction(QStringLiteral("显示主界面"));
    N3 = PopupMenu1->addSeparator();
    N4 = PopupMenu1->addAction(QStringLiteral("退出软件"));
    N6 = PopupMenu1->addSeparator();
    N1 = PopupMenu1->addAction(QStringLiteral("在线升级"));
    N2 = PopupMenu1->addAction(QStringLiteral("在线帮助"));
    connect(N5, &QAction::triggered, this, &TShell::N5Click);
    connect(N4, &QAction::triggered, this, &TShell::N4Click);
    connect(N1, &QAction::triggered, this, &TShell::N1Click);
    connect(N2, &QAction::triggered, this, &TShell::N2Click);

    TrayIcon = new QSystemTrayIcon(this);
    connect(TrayIcon, &QSystemTrayIcon::activated, this, &TShell::TrayIconActivated);
}

void TShell::Start()
{
    MainForm->show();
}

void TShell::AddTrayIcon()
{
    // Adding an icon that is already there changes nothing; without a tray host the icon is simply not shown.
    TrayIcon->setIcon(ApplicationIcon());
    TrayIcon->setToolTip(QStringLiteral("双击显示主界面"));
    TrayIcon->show();
}

void TShell::TrayIconActivated(QSystemTrayIcon::ActivationReason reason)
{
    // A double click also arrives as two single clicks (Trigger) before it; only the double click counts.
    if (reason == QSystemTrayIcon::DoubleClick)
        ShowMainWindows();
    else if (reason == QSystemTrayIcon::Context)
        PopupMenu1->popup(QCursor::pos());
}

void TShell::ShowMainWindows()
{
    // A minimized main window is restored, not only shown. The floating window has no buttons of its own to come back
    // with: when the window manager has minimized it, it comes back too, since the main window's data panel stays
    // disabled while it is shown.
    ShowModeless(MainForm.get());
    Form4->show();
    if (Form7->isVisible() && Form7->isMinimized()) {
        Form7->showNormal();
        Form7->raise();
    }
}

void TShell::N5Click()
{
    ShowMainWindows();
}

void TShell::N4Click()
{
    if (MainForm->ConfirmQuit())
        Quit();
}

void TShell::Quit()
{
    TrayIcon->hide();
    HotKey->Unregister();
    MainForm->AllowClose();
    QCoreApplication::exit(0);
}

void TShell::N1Click()
{
    ShowModeless(Form6.get());
}

void TShell::N2Click()
{
    ShowModeless(Form5.get());
}

bool TShell::eventFilter(QObject *watched, QEvent *event)
{
    // Without a tray icon a hidden main window could not be reached again: its close request ends the program as
    // "退出软件" does, and the window, allowed to close now, accepts it.
    if (watched == MainForm.get() && event->type() == QEvent::Close && !qApp->isSavingSession() && !TrayShown()) {
        if (!MainForm->ConfirmQuit()) {
            // The user chose to stay: the window stays up, since it could not be reached again once hidden.
            event->ignore();
            return true;
        }
        Quit();
        return false;
    }
    // A request from the system to end the program (the session ends) is carried out at once: the windows, which
    // only hide on a close request, must not be asked first, or they would refuse it.
    if (watched == qApp && event->type() == QEvent::Quit) {
        MainForm->AllowClose();
        QCoreApplication::exit(0);
        return true;
    }
    return QObject::eventFilter(watched, event);
}
