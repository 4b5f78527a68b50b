// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QPlainTextEdit;

// A multi-line text box that Tab leaves, as every other control, instead of typing a tab into it: Tab and Shift+Tab
// move the focus, Ctrl+Tab types the tab. Lives as long as the box.
class TTabKeys : public QObject
{
public:
    explicit TTabKeys(QPlainTextEdit *box);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPlainTextEdit *FBox;
};

void MakeTabMoveFocus(QPlainTextEdit *box);
