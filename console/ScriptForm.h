// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "console/send/SendLogic.h"
#include "scripting/ScriptHooks.h"

#include <QStringList>
#include <QWidget>
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

class QPlainTextEdit;
class QPushButton;
class QTimer;
class TScriptRunner;
struct TScriptOutcome;

// What a script may do to the port; everything is called on the user-interface thread.
struct TScriptFormPort {
    TSendFunction Send;
    std::function<bool()> IsOpen; // missing: always open
    std::function<void(bool on)> SetDtr;
    std::function<void(bool on)> SetRts;
};

// The window "脚本": a Lua editor, "运行", "停止", "打开…", "保存…", "选择文件…" (a menu: "打开文件…" for a file the
// script reads, "保存文件…" for one it writes; the files the script may open with io.open) and the output pane, where
// port.log and print write and where a script's end, its error message and line, or its stop are told. The script
// runs on a thread of its own (TScriptRunner); what it sends and logs comes back here through posted events and a
// bounded log queue, so the window never waits for it without a deadline and it never touches a widget; a script that
// does not stop within a second is abandoned, which the pane says. The pane keeps the last OutputLineLimit lines and
// takes new ones at most every OutputRefreshMs. A send the port refuses stops the script. Lives on the user-interface
// thread.
class TScriptForm : public QWidget
{
    Q_OBJECT
public:
    static constexpr int OutputLineLimit = 10000;
    static constexpr int OutputRefreshMs = 40;

    explicit TScriptForm(TScriptFormPort port, QWidget *parent = nullptr);
    ~TScriptForm() override;

    // A copy of received bytes, for a running script.
    void Received(std::string_view bytes);
    // The port has closed: a running script stops.
    void PortClosed();
    bool Running() const;

    void RunClick();
    void StopClick();
    void OpenClick();
    void SaveClick();
    enum class TFileChoice {
        OpenScript,
        SaveScript,
        ReadFile, // a file the script reads: it must exist
        WriteFile, // a file the script writes: it need not exist yet
    };
    // "打开文件…" and "保存文件…" of "选择文件…": adds the chosen file to those the script may open.
    void ChooseFilesClick(TFileChoice choice);

    // Before the program ends: edited script text not yet saved is saved, dropped or kept as the user answers a
    // Yes/No/Cancel box. False: the user wants to stay (Cancel, or the save failed or was cancelled).
    bool ConfirmDiscard();
    // Asks for a file; an empty path cancels. By default the file dialogs; tests set their own.
    void SetFileChooser(std::function<std::string(TFileChoice)> chooser) { FFileChooser = std::move(chooser); }
    // Reads and writes the script in the editor; a failure gives a box.
    bool LoadScript(const std::string &path);
    bool SaveScript(const std::string &path);

    QPlainTextEdit *Editor;
    QPushButton *RunButton;
    QPushButton *StopButton;
    QPushButton *OpenButton;
    QPushButton *SaveButton;
    QPushButton *FilesButton;
    QPlainTextEdit *Output;

private:
    void AppendOutput(const QString &line);
    THookReply QueueLog(std::string_view text);
    void FlushLog();
    void TickTimer();
    void SetDtr(bool on) const;
    void SetRts(bool on) const;
    void SendFromScript(unsigned run, const std::string &bytes);
    void ScriptEnded(unsigned run, const TScriptOutcome &outcome);
    void StopScript(const QString &why);
    void UpdateButtons();
    std::string ChooseFile(TFileChoice choice);

    TScriptFormPort FPort;
    std::unique_ptr<TScriptRunner> FRunner;
    // Numbers each run; the run whose sends still go out (0 once a run is stopped, so that what it queued is dropped).
    std::atomic<unsigned> FRun { 0 };
    std::atomic<int> FPendingSends { 0 };
    std::atomic<std::size_t> FPendingSendBytes { 0 };
    std::atomic<int> FPendingLineChanges { 0 };
    // Whether the port is open, for the script's thread: refreshed from FPort.IsOpen on each tick of FTickTimer.
    std::atomic<bool> FPortOpen { true };
    unsigned FSendingRun = 0;
    std::vector<std::string> FAllowedFiles;
    std::string FScriptPath;
    std::function<std::string(TFileChoice)> FFileChooser;
    // Log lines from the script's thread, taken into the pane by FTickTimer in batches; bounded in lines and bytes.
    std::mutex FLogMutex;
    QStringList FPendingLog;
    std::size_t FPendingLogBytes = 0;
    // While a script runs: takes the log into the pane and looks at the port.
    QTimer *FTickTimer;
};
