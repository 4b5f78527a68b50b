// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/IntervalForm.h"

#include "console/Faces.h"
#include "core/ConvertError.h"
#include "core/MessageBox.h"
#include "core/ParseInteger.h"
#include "ui/Fonts.h"
#include "ui/WindowKeys.h"
#include "ui/WindowPlacement.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

namespace
{

void StyleLabel(QLabel *label)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, LabelText);
    label->setPalette(palette);
}

} // namespace

TForm3::TForm3(QWidget *parent)
    : QWidget(parent,
        Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
            | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("间隔时间"));
    setFixedSize(183, 182);
    setFont(SongFont(13, true));
    // The main window's bar face, on which the light labels read.
    QPalette face = palette();
    face.setColor(QPalette::Window, BarFace);
    setPalette(face);
    setAutoFillBackground(true);

    Label1 = new QLabel(QStringLiteral("时间："), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(13, 52);
    StyleLabel(Label1);

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setGeometry(53, 50, 79, 21);
    for (int ms = 21; ms <= 60; ++ms)
        ComboBox1->addItem(QString::number(ms));
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->setEditText(QStringLiteral("10"));
    QPalette palette = ComboBox1->palette();
    palette.setColor(QPalette::Base, PaneBackground);
    palette.setColor(QPalette::Text, Qt::black);
    ComboBox1->setPalette(palette);
    ComboBox1->installEventFilter(this);
    ComboBox1->lineEdit()->installEventFilter(this);
    Label1->setBuddy(ComboBox1);

    Label2 = new QLabel(QStringLiteral("(毫秒)"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(134, 52);
    StyleLabel(Label2);

    Button1 = new QPushButton(QStringLiteral("确定"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(11, 88, 75, 25);
    Button2 = new QPushButton(QStringLiteral("取消"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(96, 88, 75, 25);
    // Return on a focused button presses it, as in a dialog.
    Button1->setAutoDefault(true);
    Button2->setAutoDefault(true);

    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm3::Button2Click);
    // Esc cancels, as "取消" does: the main window's button then offers the timed send again.
    AddDialogKeys(this, [this] { Button2Click(); });
}

void TForm3::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!FPlaced && !event->spontaneous()) {
        FPlaced = true;
        CentreOnScreen(this);
    }
}

bool TForm3::IntervalCharAccepted(char16_t character)
{
    return (character >= u'0' && character <= u'9') || character == 8;
}

bool TForm3::ComboBox1KeyPress(QKeyEvent *event)
{
    const QString text = event->text();
    // Only key presses that type a character are filtered: cursor keys, Delete, Tab and Shift+Insert type nothing
    // here and keep their usual effect. Ctrl+V types a control character and is discarded.
    if (text.isEmpty() || event->key() == Qt::Key_Delete || event->key() == Qt::Key_Tab
        || event->key() == Qt::Key_Backtab)
        return false;
    if (event->key() == Qt::Key_Backspace)
        return false;
    for (QChar c : text) {
        if (!IntervalCharAccepted(c.unicode()))
            return true;
    }
    return false;
}

bool TForm3::IsConfirmKey(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

bool TForm3::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == ComboBox1 || watched == ComboBox1->lineEdit()) && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        // Return in the box confirms the interval typed, as "确定" does (it would otherwise be a discarded character).
        if (IsConfirmKey(key)) {
            Button1Click();
            return true;
        }
        return ComboBox1KeyPress(key);
    }
    return QWidget::eventFilter(watched, event);
}

void TForm3::keyPressEvent(QKeyEvent *event)
{
    // Return anywhere else in the window confirms too; a focused button takes its own Return first.
    if (IsConfirmKey(event)) {
        Button1Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TForm3::Button1Click()
{
    int milliseconds = 0;
    try {
        milliseconds = ParseInteger(ComboBox1->currentText().toStdString());
    } catch (const EConvertError &failure) {
        ShowErrorBox(failure.what()); // the window stays open and nothing changes
        return;
    }
    emit IntervalChosen(milliseconds);
    hide();
}

void TForm3::Button2Click()
{
    hide();
    emit Cancelled();
}

void StartSendTimer(QTimer *timer, int milliseconds)
{
    timer->stop();
    if (milliseconds <= 0)
        return;
    timer->setInterval(milliseconds);
    timer->start();
}
