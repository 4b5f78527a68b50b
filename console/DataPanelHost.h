// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QPlainTextEdit;
class QPoint;

// What the floating receive/send window needs from the main window: its data panel's buttons, run exactly as if the
// user had pressed them, and its send box and data panel. The main window implements it.
class TDataPanelHost
{
public:
    virtual ~TDataPanelHost() = default;

    virtual void Button4Click() = 0; // "保存": save the main receive pane
    virtual void Button5Click() = 0; // "打印": print the main receive pane
    virtual void Button6Click() = 0; // "清空": clear the main receive pane
    virtual void Button7Click() = 0; // "发送"
    virtual void Button8Click() = 0; // "发送并保存"
    virtual void Button9Click() = 0; // "定时发送"/"停止发送"
    virtual void Button10Click() = 0; // "历史数据"
    // Replaces the whole text of the main send box (Memo2).
    virtual void SetSendText(const QString &text) = 0;
    // Enables the main window's data panel (Panel3) again.
    virtual void EnableDataPanel() = 0;
    // Opens the send box's context menu for box (a send box of either window) at a point of the screen. The options
    // it switches are the main window's, so both send boxes share them.
    virtual void ShowSendBoxMenu(QPlainTextEdit *box, const QPoint &globalPos) = 0;
};
