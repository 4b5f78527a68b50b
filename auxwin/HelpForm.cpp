// SPDX-License-Identifier: GPL-3.0-or-later
#include "auxwin/HelpForm.h"

#include "auxwin/ProgramInfo.h"

#include <QLabel>

TForm5::TForm5(QWidget *parent)
    : TInfoWindow(parent, Qt::WindowStaysOnTopHint, QStringLiteral("在线帮助"), QSize(253, 170), 124)
{
    Label1->setText(
        QStringLiteral("软件作者：%1\n\n作者邮箱：%2\n\n软件网站：%3")
            .arg(QString::fromUtf8(ProgramAuthor), QString::fromUtf8(ProgramEmail), QString::fromUtf8(ProgramWebSite)));
}
