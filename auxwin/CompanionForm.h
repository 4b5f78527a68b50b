// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "auxwin/WindowTransparency.h"

#include <QPointer>
#include <QWidget>

class QAction;
class QFrame;
class QMenu;
class QTimer;
class TWebView;

// The companion web strip: a borderless window that shows the program's web page and clings to the lower edge of the
// window it follows (its top-left corner at that window's bottom-left corner), placed whenever that window is shown,
// moved or resized, whether the strip is shown or not. A right click on the page opens the strip's own menu, from which
// the strip can be made translucent.
class TForm4 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm4(QWidget *parent = nullptr);

    // The window whose lower edge the strip follows (the main window); without one the strip stays where it is.
    void SetFollowedWindow(QWidget *window);

    // The transparency the user chose; it is not stored between runs.
    const TWindowTransparency &Transparency() const { return FTransparency; }

    QFrame *Panel2;
    QFrame *Panel1;
    TWebView *WebBrowser1;
    QMenu *PopupMenu1;
    QMenu *TransparencyMenu;
    QAction *N01;
    QAction *N101;
    QAction *N1001;
    QTimer *Timer1; // 10 ms placement checks, only for a short while after the followed window moved

    void FormCreate();
    void FormShow();
    void Timer1Timer();
    void N01Click();
    void N101Click();
    void N1001Click();
    // The application-wide hook on every event before it is delivered; true means swallowed.
    bool ApplicationEvents1Message(QObject *target, QEvent *event);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Places the strip now and checks again every 10 ms for a short while (Timer1).
    void FollowedWindowMoved();
    void PlaceUnderFollowedWindow();
    bool IsInWebBrowser(QObject *object) const;

    // 10 ms checks after each move: half a second, time enough for the window manager to settle the frame.
    static constexpr int SettleChecks = 50;
    int FSettleChecks = 0;

    QPointer<QWidget> FFollowed;
    TWindowTransparency FTransparency;
};
