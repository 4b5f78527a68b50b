// SPDX-License-Identifier: GPL-3.0-or-later
#include "auxwin/InfoWindow.h"

#include "ui/Fonts.h"
#include "ui/WindowKeys.h"
#include "ui/WindowPlacement.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

namespace
{

constexpr int Margin = 6;
constexpr QSize ButtonSize(70, 29);

} // namespace

TInfoWindow::TInfoWindow(
    QWidget *parent, Qt::WindowFlags extraFlags, const QString &caption, QSize clientSize, int textHeight)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
            | Qt::MSWindowsFixedSizeDialogHint | extraFlags)
{
    setWindowTitle(caption);
    setFixedSize(clientSize);
    setAttribute(Qt::WA_QuitOnClose, false);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setGeometry(Margin, 2, clientSize.width() - 2 * Margin, textHeight);
    // White text needs a dark ground.
    GroupBox1->setStyleSheet(QStringLiteral("QGroupBox { background-color: #2d4f73; border: 1px solid #16324f;"
                                            " border-radius: 3px; }"));

    Label1 = new QLabel(GroupBox1);
    Label1->setGeometry(8, 1, GroupBox1->width() - 16, textHeight - 2);
    Label1->setFont(SongFont(12, true));
    Label1->setStyleSheet(QStringLiteral("QLabel { color: white; background: transparent; }"));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Label1->setTextFormat(Qt::PlainText);
    Label1->setTextInteractionFlags(Qt::TextSelectableByMouse);

    BitBtn1 = new QPushButton(QStringLiteral("关 闭"), this);
    BitBtn1->setGeometry((clientSize.width() - ButtonSize.width()) / 2, GroupBox1->geometry().bottom() + 1 + 7,
        ButtonSize.width(), ButtonSize.height());
    connect(BitBtn1, &QPushButton::clicked, this, &TInfoWindow::BitBtn1Click);
    AddDialogKeys(this);
}

void TInfoWindow::Show()
{
    show();
    raise();
    activateWindow();
}

void TInfoWindow::BitBtn1Click()
{
    hide();
}

void TInfoWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (FCentred || event->spontaneous())
        return;
    FCentred = true;
    CentreOnScreen(this);
}
