// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"
#include "app/PlatformChoice.h"
#include "app/Shell.h"
#include "app/ShownReport.h"
#include "app/SingleInstanceRequests.h"
#include "app/Startup.h"
#include "console/MainForm.h"
#include "core/MessageBox.h"
#include "platform/ProgramFolder.h"
#include "platform/QuitSignals.h"
#include "platform/SingleInstance.h"
#include "settings/PortSettings.h"
#include "ui/GuardedApplication.h"

#include <QTimer>
#include <cstdio>

int main(int argc, char **argv)
{
    // Read before anything touches the display, so that --help and --version answer without one.
    const TCommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (line.Action) {
    case TCommandLine::TAction::Help:
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    case TCommandLine::TAction::Version:
        std::fputs(VersionText().c_str(), stdout);
        return 0;
    case TCommandLine::TAction::Error:
        std::fprintf(stderr, "kelvara: %s\nTry 'kelvara --help' for more information.\n", line.Error.c_str());
        return CommandLineErrorStatus;
    case TCommandLine::TAction::Run:
        break;
    }

    // One copy per desktop. A new start while a copy runs brings that copy's main window to the front and ends with
    // status 0 before it touches the display or any file.
    TSingleInstance instance;
    if (!instance.Acquire(ApplicationTitle)) {
        TSingleInstance::AskToShow(ApplicationTitle);
        std::fprintf(stderr, "kelvara: already running on this desktop; the running copy is used%s\n",
            line.Port.empty() ? "" : " (it keeps its own port: --port is not taken over)");
        return 0;
    }

    const TFilesFolder folder = ChooseFilesFolder(CurrentFolderFacts(line.ConfigDir));
    SetFilesFolder(folder);
    const TFolderProblem folderProblem = PrepareFilesFolder(folder);
    if (folderProblem)
        std::fprintf(stderr, "kelvara: %s\n", folderProblem.Text.c_str());
    SetPortForThisRun(line.Port);

    SelectPlatformPlugin();
    TGuardedApplication app(argc, argv);
    PrepareApplication(app);

    TShell shell;
    if (TShownReport::Wanted())
        new TShownReport(shell.MainForm.get());
    // A new start of the program asks for the main window as "显示主界面" shows it.
    TSingleInstanceRequests requests(instance);
    QObject::connect(&requests, &TSingleInstanceRequests::ShowRequested, &shell, &TShell::N5Click);
    // Ending by a signal (kill, logout, Ctrl+C) is ending by "退出软件" without its question about unsaved script text
    // (nobody may be there to answer): the loop returns and everything closes in order, the capture file written out
    // and the port given back with its line settings.
    TQuitSignals quitSignals;
    QObject::connect(&quitSignals, &TQuitSignals::Received, &shell, &TShell::Quit);
    shell.Start();
    if (folderProblem)
        QTimer::singleShot(
            0, &shell, [&folder, &folderProblem] { ReportFilesFolderProblem(folder.Path, folderProblem.Error); });
    return app.exec();
}
