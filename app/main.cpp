#include "app/Shell.h"
#include "app/ShownReport.h"
#include "app/Startup.h"
#include "console/MainForm.h"
#include "core/MessageBox.h"
#include "core/ui/GuardedApplication.h"
#include "platform/SingleInstance.h"

// The program takes no arguments and no configuration here; everything it keeps is in setfile.ini and txt.txt
// beside the executable.
int main(int argc, char **argv)
{
    // One copy per desktop. A second copy ends before it touches the display: no window, nothing shown, status 0,
    // and the running copy is left alone.
    TSingleInstance instance;
    if (!instance.Acquire(ApplicationTitle))
        return 0;

    TGuardedApplication app(argc, argv);
    PrepareApplication(app);

    TShell shell;
    if (TShownReport::Wanted())
        new TShownReport(shell.MainForm.get());
    shell.Start();
    return app.exec();
}
