// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/quicksend/QuickSendForm.h"

#include "console/quicksend/QuickSendStorage.h"
#include "core/MessageBox.h"
#include "ui/DialogFolder.h"
#include "ui/TabKeys.h"
#include "ui/WindowKeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTextOption>
#include <QTimer>
#include <QVBoxLayout>
#include <chrono>

namespace
{

constexpr int ButtonColumns = 4;
// Edits are written this long after the last one, so that typing a name does not write the file for each key.
constexpr int SaveDelayMs = 300;

QString Caption(const TQuickSendEntry &entry, std::size_t index)
{
    return entry.Name.empty() ? QString::number(index + 1) : QString::fromStdString(entry.Name);
}

QLabel *BuddyLabel(const QString &caption, QWidget *buddy)
{
    auto *label = new QLabel(caption);
    label->setBuddy(buddy);
    return label;
}

} // namespace

TQuickSendForm::TQuickSendForm(
    std::string filePath, TSendFunction send, std::function<bool()> portOpen, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , FFilePath(std::move(filePath))
    , FSend(std::move(send))
    , FPortOpen(std::move(portOpen))
{
    setWindowTitle(QStringLiteral("快捷发送"));
    resize(640, 520);

    auto *layout = new QVBoxLayout(this);
    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    auto *buttonArea = new QWidget(scroll);
    FButtonGrid = new QGridLayout(buttonArea);
    FButtonGrid->setAlignment(Qt::AlignTop);
    scroll->setWidget(buttonArea);
    layout->addWidget(scroll, 1);
    BuildEditor();

    FRepeatTimer = new QTimer(this);
    FRepeatTimer->setSingleShot(true);
    FRepeatTimer->setTimerType(Qt::PreciseTimer);
    connect(FRepeatTimer, &QTimer::timeout, this, &TQuickSendForm::RepeatTimerTimer);
    FSaveTimer = new QTimer(this);
    FSaveTimer->setSingleShot(true);
    FSaveTimer->setInterval(SaveDelayMs);
    connect(FSaveTimer, &QTimer::timeout, this, &TQuickSendForm::Save);

    Load();
    RebuildButtons();
    AddDialogKeys(this);
}

TQuickSendForm::~TQuickSendForm()
{
    Save();
}

void TQuickSendForm::BuildEditor()
{
    auto *editor = new QHBoxLayout;
    EntryList = new QListWidget(this);
    EntryList->setMaximumWidth(180);
    editor->addWidget(EntryList);

    NameEdit = new QLineEdit(this);
    ContentEdit = new QPlainTextEdit(this);
    MakeTabMoveFocus(ContentEdit);
    ContentEdit->setMaximumHeight(90);
    // Wrapping at word boundaries searches the rest of a run without blanks for a break at every wrapped line, so a
    // long hex string or command took time growing with the square of its length (seconds for 64 KiB, minutes for
    // 1 MB); breaking anywhere lays each line out once.
    ContentEdit->setWordWrapMode(QTextOption::WrapAnywhere);
    HexCheck = new QCheckBox(QStringLiteral("十六进制"), this);
    EndingCombo = new QComboBox(this);
    for (TSendEnding ending : SendEndings)
        EndingCombo->addItem(QString::fromUtf8(SendEndingCaption(ending)), static_cast<int>(ending));
    RepeatSpin = new QSpinBox(this);
    RepeatSpin->setRange(0, MaxQuickSendRepeatMs);
    RepeatSpin->setSuffix(QStringLiteral(" ms"));
    auto *fields = new QGridLayout;
    fields->addWidget(BuddyLabel(QStringLiteral("名称"), NameEdit), 0, 0);
    fields->addWidget(NameEdit, 0, 1);
    fields->addWidget(BuddyLabel(QStringLiteral("内容"), ContentEdit), 1, 0, Qt::AlignTop);
    fields->addWidget(ContentEdit, 1, 1);
    fields->addWidget(HexCheck, 2, 1);
    fields->addWidget(BuddyLabel(QStringLiteral("发送结尾"), EndingCombo), 3, 0);
    fields->addWidget(EndingCombo, 3, 1);
    fields->addWidget(BuddyLabel(QStringLiteral("重复间隔"), RepeatSpin), 4, 0);
    fields->addWidget(RepeatSpin, 4, 1);
    editor->addLayout(fields, 1);
    static_cast<QVBoxLayout *>(layout())->addLayout(editor);

    auto *buttons = new QHBoxLayout;
    AddButton = new QPushButton(QStringLiteral("添加"), this);
    DeleteButton = new QPushButton(QStringLiteral("删除"), this);
    ImportButton = new QPushButton(QStringLiteral("导入…"), this);
    ExportButton = new QPushButton(QStringLiteral("导出…"), this);
    for (QPushButton *button : { AddButton, DeleteButton, ImportButton, ExportButton })
        buttons->addWidget(button);
    buttons->addStretch();
    static_cast<QVBoxLayout *>(layout())->addLayout(buttons);

    connect(EntryList, &QListWidget::currentRowChanged, this, &TQuickSendForm::ShowEntry);
    connect(NameEdit, &QLineEdit::textEdited, this, &TQuickSendForm::EntryEdited);
    connect(ContentEdit, &QPlainTextEdit::textChanged, this, &TQuickSendForm::EntryEdited);
    connect(HexCheck, &QCheckBox::toggled, this, &TQuickSendForm::EntryEdited);
    connect(EndingCombo, &QComboBox::currentIndexChanged, this, &TQuickSendForm::EntryEdited);
    connect(RepeatSpin, &QSpinBox::valueChanged, this, &TQuickSendForm::EntryEdited);
    connect(AddButton, &QPushButton::clicked, this, &TQuickSendForm::AddClick);
    connect(DeleteButton, &QPushButton::clicked, this, &TQuickSendForm::DeleteClick);
    connect(ImportButton, &QPushButton::clicked, this, &TQuickSendForm::ImportClick);
    connect(ExportButton, &QPushButton::clicked, this, &TQuickSendForm::ExportClick);
}

void TQuickSendForm::Load()
{
    TQuickSendFileResult loaded = LoadQuickSendFile(FFilePath);
    if (loaded.Good()) {
        FEntries = std::move(loaded.Entries);
        return;
    }
    const std::string aside = FFilePath + ".bad";
    QFile::remove(QString::fromStdString(aside));
    if (QFile::rename(QString::fromStdString(FFilePath), QString::fromStdString(aside))) {
        ShowMessageBox("快捷发送文件有误，已改名为 " + aside + "：" + loaded.Error, "提示", mbIconExclamation);
    } else {
        FSaveBlocked = true;
        ShowMessageBox("快捷发送文件有误，本次的修改不会保存：" + loaded.Error, "提示", mbIconExclamation);
    }
}

void TQuickSendForm::RebuildButtons()
{
    for (QPushButton *button : SendButtons)
        delete button;
    SendButtons.clear();
    QWidget *area = FButtonGrid->parentWidget();
    for (std::size_t i = 0; i < FEntries.size(); ++i) {
        auto *button = new QPushButton(Caption(FEntries[i], i), area);
        button->setAutoDefault(false);
        button->setCheckable(FEntries[i].RepeatMs > 0);
        button->setChecked(FRepeats.Running(i));
        if (i < QuickSendShortcutCount)
            button->setToolTip(QStringLiteral("Ctrl+%1").arg(i + 1));
        // A repeating entry's button is checkable: a click toggles it before it reports the click, and the toggle
        // action of the accessibility bus toggles it with no click at all. Both act through the toggle, which starts
        // or stops the repeat whenever the pressed look and the repeat disagree; the pressed look then follows the
        // repeat (a first send that fails leaves it up). Any other button sends on its click.
        connect(button, &QPushButton::toggled, this, [this, i, button](bool checked) {
            if (checked == FRepeats.Running(i))
                return;
            SendEntry(i);
            button->setChecked(FRepeats.Running(i));
        });
        connect(button, &QPushButton::clicked, this, [this, i, button] {
            if (!button->isCheckable())
                SendEntry(i);
        });
        FButtonGrid->addWidget(button, static_cast<int>(i) / ButtonColumns, static_cast<int>(i) % ButtonColumns);
        SendButtons.push_back(button);
    }

    // The fields show the chosen entry once: a content box laid out twice costs twice.
    const int current = EntryList->currentRow();
    const int row = FEntries.empty() ? -1 : std::clamp(current, 0, static_cast<int>(FEntries.size()) - 1);
    {
        const QSignalBlocker blocker(EntryList);
        EntryList->clear();
        for (std::size_t i = 0; i < FEntries.size(); ++i)
            EntryList->addItem(Caption(FEntries[i], i));
        EntryList->setCurrentRow(row);
    }
    ShowEntry(row);
    AddButton->setEnabled(FEntries.size() < MaxQuickSendEntries);
    DeleteButton->setEnabled(!FEntries.empty());
}

void TQuickSendForm::ShowEntry(int index)
{
    const bool valid = index >= 0 && static_cast<std::size_t>(index) < FEntries.size();
    const TQuickSendEntry entry = valid ? FEntries[static_cast<std::size_t>(index)] : TQuickSendEntry {};
    FShowingEntry = true;
    NameEdit->setText(QString::fromStdString(entry.Name));
    ContentEdit->setPlainText(QString::fromStdString(entry.Content));
    HexCheck->setChecked(entry.Hex);
    EndingCombo->setCurrentIndex(EndingCombo->findData(static_cast<int>(entry.Ending)));
    RepeatSpin->setValue(entry.RepeatMs);
    FShowingEntry = false;
    for (QWidget *field : std::initializer_list<QWidget *> { NameEdit, ContentEdit, HexCheck, EndingCombo, RepeatSpin })
        field->setEnabled(valid);
}

void TQuickSendForm::EntryEdited()
{
    const int row = EntryList->currentRow();
    if (FShowingEntry || row < 0 || static_cast<std::size_t>(row) >= FEntries.size())
        return;
    const auto index = static_cast<std::size_t>(row);
    TQuickSendEntry &entry = FEntries[index];
    std::string name = NameEdit->text().toStdString();
    std::string content = ContentEdit->toPlainText().toStdString();
    // An entry too long for the file is not taken: the fields go back to the entry as it is, so that the file always
    // holds what it can read again.
    std::string problem = QuickSendNameProblem(name);
    if (problem.empty())
        problem = QuickSendContentProblem(content);
    if (!problem.empty()) {
        ShowEntry(row);
        ShowMessageBox("快捷发送条目的" + problem + "，此次修改未采用", "提示", mbIconExclamation);
        return;
    }
    entry.Name = std::move(name);
    entry.Content = std::move(content);
    entry.Hex = HexCheck->isChecked();
    entry.Ending = SendEndingFromInteger(EndingCombo->currentData().toInt());
    const int32_t repeat = RepeatSpin->value();
    if (repeat != entry.RepeatMs)
        StopRepeat(index);
    entry.RepeatMs = repeat;

    QPushButton *button = SendButtons[index];
    button->setText(Caption(entry, index));
    button->setCheckable(entry.RepeatMs > 0);
    button->setChecked(FRepeats.Running(index));
    EntryList->item(row)->setText(Caption(entry, index));
    ChangesMade();
}

void TQuickSendForm::AddClick()
{
    if (FEntries.size() >= MaxQuickSendEntries)
        return;
    FEntries.push_back({});
    RebuildButtons();
    EntryList->setCurrentRow(static_cast<int>(FEntries.size()) - 1);
    NameEdit->setFocus();
    ChangesMade();
}

void TQuickSendForm::DeleteClick()
{
    const int row = EntryList->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= FEntries.size())
        return;
    // The later entries move up a place: their repeats would follow the wrong buttons.
    StopRepeats();
    FEntries.erase(FEntries.begin() + row);
    RebuildButtons();
    ChangesMade();
}

void TQuickSendForm::SetEntries(std::vector<TQuickSendEntry> entries)
{
    StopRepeats();
    if (entries.size() > MaxQuickSendEntries)
        entries.resize(MaxQuickSendEntries);
    FEntries = std::move(entries);
    RebuildButtons();
    ChangesMade();
    Save();
}

void TQuickSendForm::ChangesMade()
{
    FChangesWaiting = true;
    FSaveTimer->start();
}

void TQuickSendForm::Save()
{
    FSaveTimer->stop();
    if (!FChangesWaiting || FSaveBlocked)
        return;
    std::string error = SaveQuickSendFile(FFilePath, FEntries);
    // A refused write stays waiting: the next change, hiding the window or its end tries again.
    FChangesWaiting = !error.empty();
    // One box while the writes keep failing, not one for each edit; the entries stay in the window.
    if (!error.empty() && !FSaveFailed)
        ShowMessageBox("快捷发送保存出错：" + error, "提示", mbIconStop);
    FSaveFailed = !error.empty();
}

void TQuickSendForm::hideEvent(QHideEvent *event)
{
    Save();
    QWidget::hideEvent(event);
}

// ---- Sending ----

THexText TQuickSendForm::Content(const TQuickSendEntry &entry) const
{
    return SendBoxContent(entry.Content, entry.Hex);
}

int64_t TQuickSendForm::Now()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void TQuickSendForm::SendEntry(std::size_t index)
{
    if (index >= FEntries.size())
        return;
    const TQuickSendEntry entry = FEntries[index];
    if (FRepeats.Running(index)) {
        StopRepeat(index);
        return;
    }
    THexText content = Content(entry);
    if (!CheckSendBoxContent(content))
        return;
    const TSendResult result = SendAndReport(content.Bytes, FSend, SendEndingBytes(entry.Ending));
    if (result != TSendResult::Sent || entry.RepeatMs <= 0)
        return;
    FRepeats.Start(index, entry.RepeatMs, Now());
    if (index < SendButtons.size())
        SendButtons[index]->setChecked(true);
    ArmRepeatTimer();
}

void TQuickSendForm::StopRepeat(std::size_t index)
{
    FRepeats.Stop(index);
    if (index < SendButtons.size())
        SendButtons[index]->setChecked(false);
    ArmRepeatTimer();
}

void TQuickSendForm::StopRepeats()
{
    FRepeats.StopAll();
    for (QPushButton *button : SendButtons)
        button->setChecked(false);
    FRepeatTimer->stop();
}

void TQuickSendForm::ArmRepeatTimer()
{
    std::optional<int64_t> wait = FRepeats.MsUntilNext(Now());
    if (wait)
        FRepeatTimer->start(static_cast<int>(*wait));
    else
        FRepeatTimer->stop();
}

void TQuickSendForm::RepeatTimerTimer()
{
    for (std::size_t index : FRepeats.TakeDue(Now())) {
        // An entry stopped while an earlier one's box was open is not sent again.
        if (!FRepeats.Running(index) || index >= FEntries.size())
            continue;
        const TQuickSendEntry entry = FEntries[index];
        THexText content = Content(entry);
        if (!content.Good()) {
            StopRepeat(index);
            CheckSendBoxContent(content);
            continue;
        }
        const TSendResult result = SendText(content.Bytes, FSend, SendEndingBytes(entry.Ending));
        // A port that refuses a send refuses them all: every repeat ends, so the failure shows one box.
        FReporter.Report(
            result,
            [this, index, result] {
                if (result == TSendResult::SendFailed)
                    StopRepeats();
                else
                    StopRepeat(index);
            },
            FPortOpen && FPortOpen());
    }
    ArmRepeatTimer();
}

// ---- Files ----

std::string TQuickSendForm::ChooseFile(bool save)
{
    if (FFileChooser)
        return FFileChooser(save);
    const QString filter = QStringLiteral("快捷发送文件 (*.ini);;所有文件 (*)");
    const QString path = save ? QFileDialog::getSaveFileName(this, QStringLiteral("导出"), DialogFolder(), filter)
                              : QFileDialog::getOpenFileName(this, QStringLiteral("导入"), DialogFolder(), filter);
    RememberDialogFile(path);
    return path.toStdString();
}

void TQuickSendForm::ImportClick()
{
    if (std::string path = ChooseFile(false); !path.empty())
        Import(path);
}

void TQuickSendForm::ExportClick()
{
    if (std::string path = ChooseFile(true); !path.empty())
        Export(path);
}

void TQuickSendForm::Import(const std::string &path)
{
    TQuickSendFileResult loaded = QFile::exists(QString::fromStdString(path))
        ? LoadQuickSendFile(path)
        : TQuickSendFileResult { .Entries = {}, .Error = "文件不存在" };
    if (!loaded.Good()) {
        ShowMessageBox("无法导入 " + path + "：" + loaded.Error, "提示", mbIconStop);
        return;
    }
    if (loaded.Entries.empty() && !FEntries.empty()
        && ShowMessageBox(
               path + " 中没有条目，导入将删除现有的 " + std::to_string(FEntries.size()) + " 个条目。要导入吗？",
               "提示", mbYesNoQuestion)
            != idYes)
        return;
    SetEntries(std::move(loaded.Entries));
}

void TQuickSendForm::Export(const std::string &path)
{
    std::string error = SaveQuickSendFile(path, FEntries);
    if (!error.empty())
        ShowMessageBox("无法导出 " + path + "：" + error, "提示", mbIconStop);
}
