// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Startup.h"

#include "app/AppIcon.h"
#include "core/MessageBox.h"
#include "ui/QtMessageBox.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstring>

void PrepareApplication(QApplication &app)
{
    QApplication::setApplicationName(QString::fromUtf8(ApplicationTitle));
    // The desktop entry's name: docks and task bars group the windows under the entry's icon and name.
    QGuiApplication::setDesktopFileName(QStringLiteral(KELVARA_APP_ID));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(ApplicationIcon());

    // Standard buttons and dialogs ("确定", the file and print dialogs) speak Chinese whatever the user's locale.
    auto *translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);

    InstallQtMessageBoxes();
}

void ReportFilesFolderProblem(const std::string &folder, int error)
{
    ShowMessageBox("无法写入配置文件夹 " + folder + "：" + std::strerror(error) + "\n端口设置和发送历史将无法保存。",
        "提示", mbIconExclamation);
}
