// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/FloatForm.h"

#include "console/DataPanelHost.h"
#include "console/receive/ReceivePane.h"
#include "ui/Fonts.h"
#include "ui/TabKeys.h"
#include "ui/WindowKeys.h"
#include "ui/WindowPlacement.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>

namespace
{

QPushButton *MakeButton(const char *name, const QString &caption, QWidget *parent, int left, int top, int width = 75)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(left, top, width, 25);
    button->setFont(SongFont(12, true));
    return button;
}

void StylePane(QWidget *pane)
{
    pane->setFont(SongFont(13, true));
    QPalette palette = pane->palette();
    palette.setColor(QPalette::Base, QColor(197, 207, 235));
    palette.setColor(QPalette::Text, Qt::black);
    pane->setPalette(palette);
}

} // namespace

TForm7::TForm7(QWidget *parent)
    : QWidget(parent,
        Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
            | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("接收/发送数据 【悬浮窗体】"));
    setFixedSize(772, 406);
    setFont(SongFont(11, true));

    GroupBox1 = new QGroupBox(QStringLiteral("接收数据"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(1, 0, 770, 198);
    GroupBox1->setFont(SongFont(13, true));
    Button4 = MakeButton("Button4", QStringLiteral("保存"), GroupBox1, 8, 20);
    Button5 = MakeButton("Button5", QStringLiteral("打印"), GroupBox1, 88, 20);
    Button6 = MakeButton("Button6", QStringLiteral("清空"), GroupBox1, 168, 20);
    Memo1 = new TReceivePane(GroupBox1);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(3, 53, 764, 142);
    StylePane(Memo1);

    GroupBox2 = new QGroupBox(QStringLiteral("发送数据"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(1, 198, 770, 104);
    GroupBox2->setFont(SongFont(13, true));
    Memo2 = new QPlainTextEdit(GroupBox2);
    Memo2->setObjectName(QStringLiteral("Memo2"));
    Memo2->setGeometry(3, 17, 764, 84);
    Memo2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo2->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    StylePane(Memo2);
    MakeTabMoveFocus(Memo2);

    Button7 = MakeButton("Button7", QStringLiteral("发送"), this, 9, 310);
    Button8 = MakeButton("Button8", QStringLiteral("发送并保存"), this, 89, 310);
    Button9 = MakeButton("Button9", QStringLiteral("定时发送"), this, 169, 310);
    Button10 = MakeButton("Button10", QStringLiteral("历史数据"), this, 249, 310);
    BitBtn1 = MakeButton("BitBtn1", QStringLiteral("关闭悬浮窗体"), this, (772 - 120) / 2, 365, 120);

    connect(Button4, &QPushButton::clicked, this, &TForm7::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TForm7::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TForm7::Button6Click);
    connect(Button7, &QPushButton::clicked, this, &TForm7::Button7Click);
    connect(Button8, &QPushButton::clicked, this, &TForm7::Button8Click);
    connect(Button9, &QPushButton::clicked, this, &TForm7::Button9Click);
    connect(Button10, &QPushButton::clicked, this, &TForm7::Button10Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm7::BitBtn1Click);
    Memo2->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Memo2, &QWidget::customContextMenuRequested, this, &TForm7::Memo2ContextMenu);
    AddButtonReturnKey(this);
}

void TForm7::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!FPlaced && !event->spontaneous()) {
        FPlaced = true;
        CentreOnScreen(this);
    }
}

void TForm7::closeEvent(QCloseEvent *event)
{
    // The window offers no close box; should the window system close it anyway (Alt+F4), it leaves as
    // "关闭悬浮窗体" does, so the main window's data panel does not stay disabled.
    event->ignore();
    BitBtn1Click();
}

void TForm7::CopySendText()
{
    FHost->SetSendText(Memo2->toPlainText());
}

void TForm7::Memo2ContextMenu(const QPoint &position)
{
    if (FHost)
        FHost->ShowSendBoxMenu(Memo2, Memo2->viewport()->mapToGlobal(position));
}

void TForm7::Button4Click()
{
    if (FHost)
        FHost->Button4Click();
}

void TForm7::Button5Click()
{
    if (FHost)
        FHost->Button5Click();
}

void TForm7::Button6Click()
{
    if (FHost)
        FHost->Button6Click();
    Memo1->Clear();
}

void TForm7::Button7Click()
{
    if (!FHost)
        return;
    CopySendText();
    FHost->Button7Click();
}

void TForm7::Button8Click()
{
    if (!FHost)
        return;
    CopySendText();
    FHost->Button8Click();
}

void TForm7::Button9Click()
{
    if (!FHost)
        return;
    CopySendText();
    FHost->Button9Click();
}

void TForm7::Button10Click()
{
    if (FHost)
        FHost->Button10Click();
}

void TForm7::BitBtn1Click()
{
    if (FHost)
        FHost->EnableDataPanel();
    hide();
}
