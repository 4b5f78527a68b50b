#include "console/HistoryForm.h"

#include "console/HistoryLines.h"
#include "core/AnsiText.h"
#include "core/MessageBox.h"
#include "core/ui/Fonts.h"
#include "core/ui/WindowPlacement.h"

#include <QCoreApplication>
#include <QEvent>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>

TForm2::TForm2(QWidget *parent)
    : QWidget(parent,
        Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
            | Qt::WindowCloseButtonHint)
    , FFile(QCoreApplication::applicationDirPath().toStdString() + "/txt.txt")
{
    setWindowTitle(QStringLiteral("历史数据"));
    setFixedSize(190, 378);
    setFont(SongFont(12, true));

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(1, 1, 188, 329);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setSortingEnabled(false);
    ListBox1->viewport()->installEventFilter(this);

    Button1 = new QPushButton(QStringLiteral("删除"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(12, 341, 75, 25);
    Button2 = new QPushButton(QStringLiteral("取消"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(103, 341, 75, 25);

    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
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
    std::vector<std::string> loaded;
    try {
        loaded = FFile.Load();
    } catch (const EHistoryFileError &failure) {
        ShowErrorBox(failure.what()); // the list keeps what it held; the window is shown all the same
        return;
    }
    SetEntries(RemoveDuplicateEntries(loaded));
    RewriteFile();
}

void TForm2::Button1Click()
{
    int answer = ShowMessageBox("确定要删除此条信息吗？", "提示", mbYesNoQuestion);
    if (answer == idYes) {
        int index = SelectedIndex();
        if (index >= 0) {
            std::vector<std::string> entries = FEntries;
            entries.erase(entries.begin() + index);
            SetEntries(std::move(entries));
        }
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
    emit EntryChosen(ListBox1->item(index)->text());
    hide();
}

bool TForm2::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ListBox1->viewport() && event->type() == QEvent::MouseButtonDblClick)
        ListBox1DblClick();
    return QWidget::eventFilter(watched, event);
}

int TForm2::SelectedIndex() const
{
    QList<QListWidgetItem *> selected = ListBox1->selectedItems();
    return selected.isEmpty() ? -1 : ListBox1->row(selected.front());
}

void TForm2::SetEntries(std::vector<std::string> entries)
{
    FEntries = std::move(entries);
    ListBox1->clear();
    for (const std::string &entry : FEntries)
        ListBox1->addItem(QString::fromStdString(AnsiToUtf8(entry)));
}

void TForm2::RewriteFile()
{
    try {
        std::vector<std::string> written = FFile.Rewrite(FEntries);
        if (written.size() != FEntries.size())
            SetEntries(std::move(written)); // entries appended to the file meanwhile
    } catch (const EHistoryFileError &failure) {
        ShowErrorBox(failure.what());
    }
}
