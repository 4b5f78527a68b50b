// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "console/send/SendLogic.h"

#include <QStringList>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

class QPlainTextEdit;
class QPushButton;
class TScriptRunner;
struct TScriptOutcome;

// What a script may do to the port; everything is called on the user-interface thread.
struct TScriptFormPort {
    TSendFunction Send;
    std::function<void(bool on)> SetDtr;
    std::function<void(bool on)> SetRts;
};

// The window "脚本": a Lua editor, "运行", "停止", "打开…", "保存…", "选择文件…" (the files the script may open with
// io.open) and the output pane, where port.log and print write and where a script's end, its error message and line,
// or its stop are told. The script runs on a thread of its own (TScriptRunner); what it sends and logs comes back
// here through posted events, so the window never waits for it and it never touches a widget. A send the port refuses
// stops the script. Lives on the user-interface thread.
class TScriptForm : public QWidget
{
    Q_OBJECT
public:
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
    void ChooseFilesClick();

    enum class TFileChoice { OpenScript, SaveScript, ScriptFile };
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
    void QueueLog(std::string text);
    void FlushLog();
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
    unsigned FSendingRun = 0;
    std::vector<std::string> FAllowedFiles;
    std::string FScriptPath;
    std::function<std::string(TFileChoice)> FFileChooser;
    // Log lines from the script's thread, handed over in batches.
    std::mutex FLogMutex;
    QStringList FPendingLog;
    bool FLogPosted = false;
};
