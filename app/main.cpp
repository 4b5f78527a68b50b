#include "app/CommandLine.h"
#include "app/PlatformChoice.h"
#include "app/Shell.h"
#include "app/ShownReport.h"
#include "app/Startup.h"
#include "console/MainForm.h"
#include "core/MessageBox.h"
#include "platform/ProgramFolder.h"
#include "platform/SingleInstance.h"
#include "settings/PortSettings.h"
#include "ui/GuardedApplication.h"

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

    // One copy per desktop. A second copy ends before it touches the display or any file: no window, nothing shown,
    // status 0, and the running copy is left alone.
    TSingleInstance instance;
    if (!instance.Acquire(ApplicationTitle))
        return 0;

    const TFilesFolder folder = ChooseFilesFolder(CurrentFolderFacts(line.ConfigDir));
    SetFilesFolder(folder);
    if (std::string error = PrepareFilesFolder(folder); !error.empty())
        std::fprintf(stderr, "kelvara: %s\n", error.c_str());
    SetPortForThisRun(line.Port);

    SelectPlatformPlugin();
    TGuardedApplication app(argc, argv);
    PrepareApplication(app);

    TShell shell;
    if (TShownReport::Wanted())
        new TShownReport(shell.MainForm.get());
    shell.Start();
    return app.exec();
}
