// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/ScriptForm.h"

#include "core/AnsiText.h"
#include "core/MessageBox.h"
#include "scripting/ScriptRunner.h"
#include "ui/WindowKeys.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QStringDecoder>
#include <QVBoxLayout>

namespace
{

constexpr int OutputLineLimit = 5000;
// Sends of a script on their way to this thread; beyond this many the script waits, so that a script sending in a
// loop cannot flood the event loop.
constexpr int MaxPendingSends = 256;

// Script text and logged bytes: UTF-8 when they are, otherwise GBK (received device text).
QString TextOf(std::string_view bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!utf8.hasError())
        return text;
    return QString::fromStdString(AnsiToUtf8(bytes));
}

} // namespace

TScriptForm::TScriptForm(TScriptFormPort port, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , FPort(std::move(port))
{
    setWindowTitle(QStringLiteral("脚本"));
    resize(640, 560);

    Editor = new QPlainTextEdit(this);
    Editor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    Output = new QPlainTextEdit(this);
    Output->setReadOnly(true);
    Output->setMaximumBlockCount(OutputLineLimit);
    RunButton = new QPushButton(QStringLiteral("运行"), this);
    StopButton = new QPushButton(QStringLiteral("停止"), this);
    OpenButton = new QPushButton(QStringLiteral("打开…"), this);
    SaveButton = new QPushButton(QStringLiteral("保存…"), this);
    FilesButton = new QPushButton(QStringLiteral("选择文件…"), this);
    FilesButton->setToolTip(QStringLiteral("选择脚本可以用 io.open 打开的文件"));

    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : { RunButton, StopButton, OpenButton, SaveButton, FilesButton }) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Editor, 3);
    layout->addLayout(buttons);
    layout->addWidget(Output, 2);

    connect(RunButton, &QPushButton::clicked, this, &TScriptForm::RunClick);
    connect(StopButton, &QPushButton::clicked, this, &TScriptForm::StopClick);
    connect(OpenButton, &QPushButton::clicked, this, &TScriptForm::OpenClick);
    connect(SaveButton, &QPushButton::clicked, this, &TScriptForm::SaveClick);
    connect(FilesButton, &QPushButton::clicked, this, &TScriptForm::ChooseFilesClick);

    // The hooks run on the script's thread: each hands its work to this thread and returns.
    TScriptHooks hooks {
        .Send =
            [this](std::string bytes) {
                if (FPendingSends.load() >= MaxPendingSends)
                    return false;
                ++FPendingSends;
                QMetaObject::invokeMethod(
                    this,
                    [this, run = FRun.load(), bytes = std::move(bytes)] {
                        --FPendingSends;
                        SendFromScript(run, bytes);
                    },
                    Qt::QueuedConnection);
                return true;
            },
        .SetDtr =
            [this](bool on) {
                QMetaObject::invokeMethod(
                    this,
                    [this, run = FRun.load(), on] {
                        if (run == FSendingRun && FPort.SetDtr)
                            FPort.SetDtr(on);
                    },
                    Qt::QueuedConnection);
            },
        .SetRts =
            [this](bool on) {
                QMetaObject::invokeMethod(
                    this,
                    [this, run = FRun.load(), on] {
                        if (run == FSendingRun && FPort.SetRts)
                            FPort.SetRts(on);
                    },
                    Qt::QueuedConnection);
            },
        .Log = [this](std::string text) { QueueLog(std::move(text)); },
    };
    FRunner = std::make_unique<TScriptRunner>(std::move(hooks));
    UpdateButtons();
    AddDialogKeys(this);
}

TScriptForm::~TScriptForm()
{
    // The thread ends before anything it posts to could go.
    FRunner.reset();
}

bool TScriptForm::Running() const
{
    return FRunner->Running();
}

void TScriptForm::Received(std::string_view bytes)
{
    FRunner->Received(bytes);
}

void TScriptForm::UpdateButtons()
{
    const bool running = FRunner->Running();
    RunButton->setEnabled(!running);
    StopButton->setEnabled(running);
}

void TScriptForm::AppendOutput(const QString &line)
{
    Output->appendPlainText(line);
}

// ---- Running ----

void TScriptForm::RunClick()
{
    if (FRunner->Running())
        return;
    const unsigned run = FRun + 1;
    FRun = run;
    FSendingRun = run;
    const std::string name
        = FScriptPath.empty() ? "脚本" : QFileInfo(QString::fromStdString(FScriptPath)).fileName().toStdString();
    FRunner->Start(
        Editor->toPlainText().toStdString(), "=" + name, FAllowedFiles, [this, run](const TScriptOutcome &outcome) {
            QMetaObject::invokeMethod(
                this, [this, run, outcome] { ScriptEnded(run, outcome); }, Qt::QueuedConnection);
        });
    AppendOutput(QStringLiteral("—— 运行 %1 ——").arg(QString::fromStdString(name)));
    UpdateButtons();
}

void TScriptForm::StopClick()
{
    StopScript(QString());
}

void TScriptForm::PortClosed()
{
    StopScript(QStringLiteral("串口已关闭"));
}

void TScriptForm::StopScript(const QString &why)
{
    if (!FRunner->Running())
        return;
    // What the script queued but the port has not taken yet goes unsent.
    FSendingRun = 0;
    FRunner->Stop();
    if (!why.isEmpty())
        AppendOutput(why);
    UpdateButtons();
}

void TScriptForm::SendFromScript(unsigned run, const std::string &bytes)
{
    if (run != FSendingRun || bytes.empty())
        return;
    if (SendText(bytes, FPort.Send, {}) == TSendResult::SendFailed) {
        // Told in the pane even when the script has ended meanwhile; no box, which a script could open one a send.
        FSendingRun = 0;
        AppendOutput(QStringLiteral("数据发送错误，请检查串口是否打开"));
        StopScript({});
    }
}

void TScriptForm::ScriptEnded(unsigned run, const TScriptOutcome &outcome)
{
    FlushLog();
    if (run != FRun)
        return;
    FSendingRun = 0;
    switch (outcome.Kind) {
    case TScriptOutcome::Finished:
        AppendOutput(QStringLiteral("—— 运行结束 ——"));
        break;
    case TScriptOutcome::Failed:
        AppendOutput(QStringLiteral("错误：") + TextOf(outcome.Message));
        break;
    case TScriptOutcome::Stopped:
        AppendOutput(QStringLiteral("—— 已停止 ——"));
        break;
    }
    UpdateButtons();
}

void TScriptForm::QueueLog(std::string text)
{
    std::lock_guard lock(FLogMutex);
    FPendingLog.append(TextOf(text));
    // A flood keeps only what the pane would keep.
    if (FPendingLog.size() > OutputLineLimit)
        FPendingLog.removeFirst();
    if (FLogPosted)
        return;
    FLogPosted = true;
    QMetaObject::invokeMethod(this, &TScriptForm::FlushLog, Qt::QueuedConnection);
}

void TScriptForm::FlushLog()
{
    QStringList lines;
    {
        std::lock_guard lock(FLogMutex);
        lines.swap(FPendingLog);
        FLogPosted = false;
    }
    for (const QString &line : lines)
        AppendOutput(line);
}

// ---- Files ----

std::string TScriptForm::ChooseFile(TFileChoice choice)
{
    if (FFileChooser)
        return FFileChooser(choice);
    const QString scripts = QStringLiteral("Lua 脚本 (*.lua);;所有文件 (*)");
    switch (choice) {
    case TFileChoice::OpenScript:
        return QFileDialog::getOpenFileName(this, QStringLiteral("打开"), QString(), scripts).toStdString();
    case TFileChoice::SaveScript:
        return QFileDialog::getSaveFileName(this, QStringLiteral("保存"), QString(), scripts).toStdString();
    case TFileChoice::ScriptFile:
        break;
    }
    // A file to read or to write: it need not exist yet, and choosing an existing one is no overwrite.
    return QFileDialog::getSaveFileName(
        this, QStringLiteral("选择文件"), QString(), QString(), nullptr, QFileDialog::DontConfirmOverwrite)
        .toStdString();
}

void TScriptForm::OpenClick()
{
    if (std::string path = ChooseFile(TFileChoice::OpenScript); !path.empty())
        LoadScript(path);
}

void TScriptForm::SaveClick()
{
    if (std::string path = ChooseFile(TFileChoice::SaveScript); !path.empty())
        SaveScript(path);
}

void TScriptForm::ChooseFilesClick()
{
    std::string path = ChooseFile(TFileChoice::ScriptFile);
    if (path.empty())
        return;
    FAllowedFiles.push_back(path);
    AppendOutput(QStringLiteral("脚本可以打开：") + QString::fromStdString(path));
}

bool TScriptForm::LoadScript(const std::string &path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        ShowMessageBox("无法打开 " + path + "：" + file.errorString().toStdString(), "提示", mbIconStop);
        return false;
    }
    const QByteArray bytes = file.readAll();
    Editor->setPlainText(TextOf(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
    FScriptPath = path;
    return true;
}

bool TScriptForm::SaveScript(const std::string &path)
{
    const QByteArray bytes = Editor->toPlainText().toUtf8();
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        ShowMessageBox("无法保存 " + path + "：" + file.errorString().toStdString(), "提示", mbIconStop);
        return false;
    }
    FScriptPath = path;
    return true;
}
