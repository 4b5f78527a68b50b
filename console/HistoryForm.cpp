// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/HistoryForm.h"

#include "console/history/HistoryModel.h"
#include "console/history/HistoryView.h"
#include "core/MessageBox.h"
#include "platform/ProgramFolder.h"
#include "ui/Fonts.h"
#include "ui/WindowKeys.h"
#include "ui/WindowPlacement.h"

#include <QEvent>
#include <QKeyEvent>
#include <QListView>
#include <QPushButton>
#include <QShowEvent>

TForm2::TForm2(QWidget *parent)
    : QWidget(parent,
        Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
            | Qt::WindowCloseButtonHint)
    , FFile(ProgramFilePath(HistoryFileName))
{
    setWindowTitle(QStringLiteral("历史数据"));
    setFixedSize(190, 378);
    setFont(SongFont(12, true));

    FModel = new THistoryModel(this);
    ListBox1 = new THistoryView(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(1, 1, 188, 329);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Every row is one line of the same font: the view then measures one row instead of each, and lays out and
    // decodes only what is on screen. Entries wider than the list are cut short with an ellipsis (the whole entry
    // shows as the row's tool tip and is what a double click hands back).
    ListBox1->setUniformItemSizes(true);
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBox1->setModel(FModel);
    ListBox1->viewport()->installEventFilter(this);
    ListBox1->installEventFilter(this);

    Button1 = new QPushButton(QStringLiteral("删除"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(12, 341, 75, 25);
    Button2 = new QPushButton(QStringLiteral("取消"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(103, 341, 75, 25);

    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
    AddDialogKeys(this);
}

const THistoryList &TForm2::Entries() const
{
    return FModel->List();
}

void TForm2::SetHistoryPath(const std::string &path)
{
    FFile = THistoryFile(path);
}

void TForm2::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return; // shown again by the window system (restored), not by the program
    if (!FPlaced) {
        FPlaced = true;
        CentreOnScreen(this);
    }
    FormShow();
}

void TForm2::FormShow()
{
    THistoryList loaded;
    try {
        loaded = FFile.Load();
    } catch (const EHistoryFileError &failure) {
        ShowErrorBox(failure.what()); // the list keeps what it held; the window is shown all the same
        return;
    }
    SetEntries(loaded.WithoutDuplicates());
    RewriteFile();
}

void TForm2::Button1Click()
{
    int answer = ShowMessageBox("确定要删除此条信息吗？", "提示", mbYesNoQuestion);
    if (answer == idYes) {
        int index = SelectedIndex();
        if (index >= 0)
            SetEntries(Entries().Without(static_cast<std::size_t>(index)));
    }
    RewriteFile();
}

void TForm2::Button2Click()
{
    hide();
}

void TForm2::ListBox1DblClick()
{
    int index = SelectedIndex();
    if (index < 0)
        return; // nothing selected: nothing to hand back
    emit EntryChosen(FModel->index(index).data().toString());
    hide();
}

bool TForm2::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ListBox1->viewport() && event->type() == QEvent::MouseButtonDblClick)
        ListBox1DblClick();
    // Return on an entry takes it, as a double click does.
    if (watched == ListBox1 && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            ListBox1DblClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

int TForm2::SelectedIndex() const
{
    QModelIndexList selected = ListBox1->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.front().row();
}

void TForm2::SetEntries(THistoryList entries)
{
    FModel->SetList(std::move(entries));
}

void TForm2::RewriteFile()
{
    try {
        THistoryList written = FFile.Rewrite(Entries());
        if (written.Count() != Entries().Count())
            SetEntries(std::move(written)); // entries appended to the file meanwhile
    } catch (const EHistoryFileError &failure) {
        ShowErrorBox(failure.what());
    }
}
