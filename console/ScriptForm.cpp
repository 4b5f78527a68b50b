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
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

namespace
{

// What a script may have on its way to this thread; beyond it the script waits, so that a script sending, switching
// lines or printing in a loop can neither flood the event loop nor make the program grow. A single send larger than
// the byte bound still goes, alone.
constexpr int MaxPendingSends = 256;
constexpr std::size_t MaxPendingSendBytes = 1 << 20;
constexpr int MaxPendingLineChanges = 256;
constexpr int MaxPendingLogLines = 2000;
constexpr std::size_t MaxPendingLogBytes = 256 << 10;

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
    auto *filesMenu = new QMenu(FilesButton);
    connect(filesMenu->addAction(QStringLiteral("打开文件…")), &QAction::triggered, this,
        [this] { ChooseFilesClick(TFileChoice::ReadFile); });
    connect(filesMenu->addAction(QStringLiteral("保存文件…")), &QAction::triggered, this,
        [this] { ChooseFilesClick(TFileChoice::WriteFile); });
    FilesButton->setMenu(filesMenu);
    FTickTimer = new QTimer(this);
    FTickTimer->setInterval(OutputRefreshMs);
    connect(FTickTimer, &QTimer::timeout, this, &TScriptForm::TickTimer);

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

    // The hooks run on the script's thread: each hands its work to this thread and returns, or answers Busy when too
    // much is on its way.
    const auto setLine = [this](void (TScriptForm::*set)(bool) const) {
        return [this, set](bool on) {
            if (FPendingLineChanges.load() >= MaxPendingLineChanges)
                return THookReply::Busy;
            ++FPendingLineChanges;
            QMetaObject::invokeMethod(
                this,
                [this, run = FRun.load(), set, on] {
                    --FPendingLineChanges;
                    if (run == FSendingRun)
                        (this->*set)(on);
                },
                Qt::QueuedConnection);
            return THookReply::Taken;
        };
    };
    TScriptHooks hooks {
        .Send =
            [this](std::string_view bytes) {
                if (!FPortOpen.load())
                    return THookReply::PortClosed;
                if (FPendingSends.load() >= MaxPendingSends
                    || (FPendingSends.load() > 0 && FPendingSendBytes.load() + bytes.size() > MaxPendingSendBytes))
                    return THookReply::Busy;
                ++FPendingSends;
                FPendingSendBytes += bytes.size();
                QMetaObject::invokeMethod(
                    this,
                    [this, run = FRun.load(), bytes = std::string(bytes)] {
                        --FPendingSends;
                        FPendingSendBytes -= bytes.size();
                        SendFromScript(run, bytes);
                    },
                    Qt::QueuedConnection);
                return THookReply::Taken;
            },
        .SetDtr = setLine(&TScriptForm::SetDtr),
        .SetRts = setLine(&TScriptForm::SetRts),
        .Log = [this](std::string_view text) { return QueueLog(text); },
    };
    FRunner = std::make_unique<TScriptRunner>(std::move(hooks));
    UpdateButtons();
    AddDialogKeys(this);
}

TScriptForm::~TScriptForm()
{
    // A running script is stopped, or abandoned after a second, before anything its hooks reach goes.
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

void TScriptForm::SetDtr(bool on) const
{
    if (FPort.SetDtr)
        FPort.SetDtr(on);
}

void TScriptForm::SetRts(bool on) const
{
    if (FPort.SetRts)
        FPort.SetRts(on);
}

// ---- Running ----

void TScriptForm::RunClick()
{
    if (FRunner->Running())
        return;
    const unsigned run = FRun + 1;
    FRun = run;
    FSendingRun = run;
    FPortOpen = !FPort.IsOpen || FPort.IsOpen();
    const std::string name
        = FScriptPath.empty() ? "脚本" : QFileInfo(QString::fromStdString(FScriptPath)).fileName().toStdString();
    FRunner->Start(
        Editor->toPlainText().toStdString(), "=" + name, FAllowedFiles, [this, run](const TScriptOutcome &outcome) {
            QMetaObject::invokeMethod(
                this, [this, run, outcome] { ScriptEnded(run, outcome); }, Qt::QueuedConnection);
        });
    AppendOutput(QStringLiteral("—— 运行 %1 ——").arg(QString::fromStdString(name)));
    FTickTimer->start();
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
    const TScriptRunner::TStopResult result = FRunner->Stop();
    if (!why.isEmpty())
        AppendOutput(why);
    if (result == TScriptRunner::TStopResult::Abandoned) {
        // Its end will never be told: what it logged so far is shown, then why it is gone.
        FRun = FRun + 1;
        FTickTimer->stop();
        FlushLog();
        AppendOutput(QStringLiteral("脚本未在 1 秒内停止，已放弃（它的输出和发送不再处理）"));
    }
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
    if (run != FRun)
        return;
    FTickTimer->stop();
    FlushLog();
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

THookReply TScriptForm::QueueLog(std::string_view text)
{
    QString line = TextOf(text);
    std::lock_guard lock(FLogMutex);
    if (!FPendingLog.empty()
        && (FPendingLog.size() >= MaxPendingLogLines || FPendingLogBytes + text.size() > MaxPendingLogBytes))
        return THookReply::Busy;
    FPendingLog.append(std::move(line));
    FPendingLogBytes += text.size();
    return THookReply::Taken;
}

void TScriptForm::FlushLog()
{
    QStringList lines;
    {
        std::lock_guard lock(FLogMutex);
        lines.swap(FPendingLog);
        FPendingLogBytes = 0;
    }
    // One insertion for the whole batch: one layout, one change told to the accessibility bus.
    if (!lines.empty())
        AppendOutput(lines.join(QLatin1Char('\n')));
}

void TScriptForm::TickTimer()
{
    FPortOpen = !FPort.IsOpen || FPort.IsOpen();
    FlushLog();
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
    case TFileChoice::ReadFile:
        return QFileDialog::getOpenFileName(this, QStringLiteral("打开文件")).toStdString();
    case TFileChoice::WriteFile:
        break;
    }
    // A file to write: it need not exist yet, and choosing an existing one is no overwrite (the script may append).
    return QFileDialog::getSaveFileName(
        this, QStringLiteral("保存文件"), QString(), QString(), nullptr, QFileDialog::DontConfirmOverwrite)
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

void TScriptForm::ChooseFilesClick(TFileChoice choice)
{
    std::string path = ChooseFile(choice);
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
    Editor->document()->setModified(false);
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
    Editor->document()->setModified(false);
    FScriptPath = path;
    return true;
}

bool TScriptForm::ConfirmDiscard()
{
    if (!Editor->document()->isModified() || Editor->document()->isEmpty())
        return true;
    switch (ShowMessageBox("脚本已修改，是否保存？", "脚本", mbYesNoCancelQuestion)) {
    case idYes: {
        const std::string path = FScriptPath.empty() ? ChooseFile(TFileChoice::SaveScript) : FScriptPath;
        return !path.empty() && SaveScript(path);
    }
    case idNo:
        return true;
    default:
        return false;
    }
}
