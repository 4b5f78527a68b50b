// SPDX-License-Identifier: GPL-3.0-or-later
#include "auxwin/UpgradeForm.h"

#include "auxwin/ProgramInfo.h"

#include <QLabel>

TForm6::TForm6(QWidget *parent)
    : TInfoWindow(parent, {}, QStringLiteral("在线升级"), QSize(297, 179), 138)
{
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setText(QStringLiteral("如果你需要增加软件的功能或者修改软件的一些功能的话，请发送邮件给作者，作者会根据您"
                                   "的要求进行相应的增加或者修改软件功能。\n"
                                   "请您留下正确的联系方式，以便软件升级好后能及时的发送给您。\n"
                                   "\n"
                                   "官方网站：%1 \n"
                                   "邮      箱：%2")
                        .arg(QString::fromUtf8(ProgramWebSite), QString::fromUtf8(ProgramEmail)));
}
