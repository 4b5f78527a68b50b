// SPDX-License-Identifier: GPL-3.0-or-later
#include "auxwin/CompanionForm.h"

#include "auxwin/ProgramInfo.h"
#include "auxwin/WebView.h"
#include "auxwin/WindowOpacity.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QFrame>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>

TForm4::TForm4(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , FTransparency([this](std::optional<int> alpha) { ApplyWindowAlpha(this, alpha); })
{
    setFixedSize(867, 101);
    // Hiding or closing the strip never ends the program; the shell decides that.
    setAttribute(Qt::WA_QuitOnClose, false);

    Panel2 = new QFrame(this);
    Panel2->setGeometry(0, 0, 867, 101);
    Panel2->setFrameShape(QFrame::Panel);
    Panel2->setFrameShadow(QFrame::Raised);
    // The panel clips the page to a cut-out: the page's left 64 and top 53 pixels, and its right 23 and bottom 25
    // pixels (where its scroll bars sit), are never seen.
    Panel1 = new QFrame(Panel2);
    Panel1->setGeometry(3, 1, 861, 98);
    WebBrowser1 = new TWebView(Panel1);
    WebBrowser1->setGeometry(-64, -53, 948, 176);

    PopupMenu1 = new QMenu(this);
    TransparencyMenu = PopupMenu1->addMenu(QStringLiteral("调节透明"));
    N01 = TransparencyMenu->addAction(QStringLiteral("30%"));
    N101 = TransparencyMenu->addAction(QStringLiteral("50%"));
    N1001 = TransparencyMenu->addAction(QStringLiteral("100%"));
    connect(N01, &QAction::triggered, this, &TForm4::N01Click);
    connect(N101, &QAction::triggered, this, &TForm4::N101Click);
    connect(N1001, &QAction::triggered, this, &TForm4::N1001Click);

    // The strip follows the followed window's moves as they are reported (the application-wide filter sees them).
    // The window manager may settle a window's frame a little after the move that it reports, so each move is followed
    // by a short run of 10 ms checks; then the timer stops until the next move.
    Timer1 = new QTimer(this);
    Timer1->setInterval(10);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &TForm4::Timer1Timer);

    qApp->installEventFilter(this);
    FormCreate();
}

void TForm4::SetFollowedWindow(QWidget *window)
{
    FFollowed = window;
    FollowedWindowMoved();
}

void TForm4::FormCreate()
{
    WebBrowser1->Navigate(QUrl(QString::fromUtf8(ProgramSoftPage)));
}

void TForm4::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TForm4::FormShow()
{
    FollowedWindowMoved();
}

void TForm4::Timer1Timer()
{
    PlaceUnderFollowedWindow();
    if (--FSettleChecks > 0)
        Timer1->start();
}

void TForm4::FollowedWindowMoved()
{
    PlaceUnderFollowedWindow();
    FSettleChecks = SettleChecks;
    Timer1->start();
}

void TForm4::PlaceUnderFollowedWindow()
{
    if (!FFollowed)
        return;
    const QRect outer = FFollowed->frameGeometry();
    const QPoint place(outer.left(), outer.top() + outer.height());
    if (pos() != place)
        move(place);
}

void TForm4::N01Click()
{
    FTransparency.SetEnabled(true);
    FTransparency.SetAlpha(60);
}

void TForm4::N101Click()
{
    FTransparency.SetEnabled(true);
    FTransparency.SetAlpha(100);
}

void TForm4::N1001Click()
{
    FTransparency.SetEnabled(false);
}

bool TForm4::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FFollowed) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
            FollowedWindowMoved();
            break;
        default:
            break;
        }
    }
    return ApplicationEvents1Message(watched, event);
}

bool TForm4::ApplicationEvents1Message(QObject *target, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent *>(event)->button() != Qt::RightButton || !IsInWebBrowser(target))
            return false;
        // The menu grabs the mouse once open, so the release of the same click goes to it and not here.
        if (!PopupMenu1->isVisible())
            PopupMenu1->popup(QCursor::pos());
        return true;
    case QEvent::ContextMenu:
        // Qt asks for a context menu after a right press even when the press was swallowed: the page's own menu
        // must not open then.
        return static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Mouse && IsInWebBrowser(target);
    default:
        return false;
    }
}

bool TForm4::IsInWebBrowser(QObject *object) const
{
    if (!object->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(object);
    return widget == WebBrowser1 || WebBrowser1->isAncestorOf(widget);
}
