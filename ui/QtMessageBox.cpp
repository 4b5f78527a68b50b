// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/QtMessageBox.h"

#include "core/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace
{

QMessageBox::Icon IconOf(int flags)
{
    switch (flags & 0xF0) {
    case mbIconStop:
        return QMessageBox::Critical;
    case mbIconQuestion:
        return QMessageBox::Question;
    case mbIconExclamation:
        return QMessageBox::Warning;
    case mbIconInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int ShowQtMessageBox(const TMessageBoxRequest &request)
{
    QMessageBox box(IconOf(request.Flags), QString::fromStdString(request.Caption),
        QString::fromStdString(request.Text), QMessageBox::NoButton, QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    if ((request.Flags & 0x0F) == 3) { // Yes/No/Cancel; closing the box is Cancel
        box.addButton(QMessageBox::Yes);
        box.addButton(QMessageBox::No);
        box.addButton(QMessageBox::Cancel); // also the escape button
        switch (box.exec()) {
        case QMessageBox::Yes:
            return idYes;
        case QMessageBox::No:
            return idNo;
        default:
            return idCancel;
        }
    }
    if ((request.Flags & 0x0F) == 4) { // Yes/No
        box.addButton(QMessageBox::Yes);
        box.addButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? idYes : idNo;
    }
    box.addButton(QMessageBox::Ok);
    box.exec();
    return idOk;
}

} // namespace

void InstallQtMessageBoxes()
{
    SetMessageBoxHandler(ShowQtMessageBox);
}
