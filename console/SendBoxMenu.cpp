// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/SendBoxMenu.h"

#include <QActionGroup>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>

QMenu *BuildSendBoxMenu(QPlainTextEdit *box, const TConsoleOptions &options,
    std::function<void(const TConsoleOptions &)> changed, const TSendBoxMenuWindows &windows)
{
    QMenu *menu = box->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSeparator();

    const std::pair<QString, std::function<void()>> items[] = {
        { QStringLiteral("快捷发送…"), windows.QuickSend },
        { QStringLiteral("脚本…"), windows.Script },
    };
    for (const auto &[caption, open] : items) {
        if (!open)
            continue;
        // Deferred: the window opens after the menu, which deletes itself on closing, has gone.
        QObject::connect(menu->addAction(caption), &QAction::triggered, menu, [open] { QTimer::singleShot(0, open); });
    }
    if (windows.QuickSend || windows.Script)
        menu->addSeparator();

    QAction *hex = menu->addAction(QStringLiteral("十六进制发送"));
    hex->setObjectName(QStringLiteral("HexSend"));
    hex->setCheckable(true);
    hex->setChecked(options.HexSend);
    QObject::connect(hex, &QAction::toggled, menu, [options, changed](bool on) {
        TConsoleOptions next = options;
        next.HexSend = on;
        changed(next);
    });

    QMenu *endings = menu->addMenu(QStringLiteral("发送结尾"));
    endings->setObjectName(QStringLiteral("SendEnding"));
    auto *group = new QActionGroup(endings);
    for (TSendEnding ending : SendEndings) {
        QAction *item = endings->addAction(QString::fromUtf8(SendEndingCaption(ending)));
        item->setCheckable(true);
        item->setChecked(ending == options.ActiveEnding());
        group->addAction(item);
        QObject::connect(item, &QAction::triggered, menu, [options, changed, ending] {
            TConsoleOptions next = options;
            next.SetActiveEnding(ending);
            changed(next);
        });
    }

    return menu;
}
