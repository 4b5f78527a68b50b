// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/TabKeys.h"

#include <QKeyEvent>
#include <QPlainTextEdit>

namespace
{

bool IsCtrlTab(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier;
}

} // namespace

TTabKeys::TTabKeys(QPlainTextEdit *box)
    : QObject(box)
    , FBox(box)
{
    box->setTabChangesFocus(true);
    box->installEventFilter(this);
}

bool TTabKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != FBox)
        return false;
    if (event->type() == QEvent::ShortcutOverride && IsCtrlTab(static_cast<QKeyEvent *>(event))) {
        event->accept(); // the box's own key, before any shortcut of the window
        return true;
    }
    if (event->type() == QEvent::KeyPress && IsCtrlTab(static_cast<QKeyEvent *>(event))) {
        if (!FBox->isReadOnly())
            FBox->insertPlainText(QStringLiteral("\t"));
        return true;
    }
    return false;
}

void MakeTabMoveFocus(QPlainTextEdit *box)
{
    new TTabKeys(box);
}
