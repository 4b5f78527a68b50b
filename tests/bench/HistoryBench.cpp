// SPDX-License-Identifier: GPL-3.0-or-later
// History window with a large txt.txt: writes a history file of the given size (short GBK commands, about 25 bytes
// a line, every one distinct so that nothing is dropped), then opens the history window from the main window's
// "历史数据" as a user does and prints: the time until the list is painted, the peak memory the opening took, how
// many accessibility events it raised (a screen reader is active throughout), what the list costs a screen reader
// (its row count and the text of its first and last rows), the answer time of scrolling and paging, and the time
// of a second opening, of a delete and of handing the last entry to the send box. Prints figures; passes or fails
// nothing. Targets: open within 0.5 s; memory close to the file's size.
//
// Usage: history_bench [--megabytes N]   (default 50)
#include "console/HistoryForm.h"
#include "console/MainForm.h"
#include "console/history/HistoryFile.h"
#include "core/MessageBox.h"
#include "tests/support/WaitUntil.h"

#include <QAbstractItemModel>
#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QListView>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

namespace
{

// A field of /proc/self/status in kB (VmRSS, VmHWM).
long StatusKilobytes(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0)
            return std::atol(line.c_str() + prefix.size());
    }
    return -1;
}

// Starts a new peak: VmHWM falls back to the present VmRSS.
void ResetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Writes a history file of about `bytes` bytes; returns the number of lines.
long WriteHistory(const std::string &path, double bytes)
{
    std::ofstream out(path, std::ios::binary);
    std::string line;
    long lines = 0;
    for (double written = 0; written < bytes; ++lines) {
        line = "AT+SEND=" + std::to_string(lines) + ",\xD6\xD0\xCE\xC4,OK\r\n"; // 中文
        out << line;
        written += static_cast<double>(line.size());
    }
    return lines;
}

double CpuMilliseconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The steps of an opening without the window, each as wall and CPU milliseconds (the machine may be shared).
void PrintSteps(const std::string &path)
{
    THistoryFile file(path);
    QElapsedTimer timer;
    double cpu = CpuMilliseconds();
    timer.start();
    auto step = [&](const char *name) {
        std::printf(" %s %.0f ms (CPU %.0f ms)", name, static_cast<double>(timer.nsecsElapsed()) / 1e6,
            CpuMilliseconds() - cpu);
        cpu = CpuMilliseconds();
        timer.restart();
    };
    std::printf("  steps:");
    THistoryList loaded = file.Load();
    step("load");
    THistoryList unique = loaded.WithoutDuplicates();
    step("remove duplicates");
    file.Rewrite(unique);
    step("rewrite");
    std::printf("\n");
}

int AccessibilityEvents = 0;

void CountAccessibilityEvent(QAccessibleEvent *)
{
    ++AccessibilityEvents;
}

// Milliseconds that `step` takes, including the repaints it causes.
template <typename Step> double Measure(QListView *list, Step step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    list->viewport()->repaint();
    QCoreApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void Press(QWidget *widget, Qt::Key key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

} // namespace

int main(int argc, char **argv)
{
    double megabytes = 50;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--megabytes")
            megabytes = std::atof(argv[i + 1]);
    }
    QApplication app(argc, argv);
    SetMessageBoxHandler([](const TMessageBoxRequest &request) {
        std::printf("  message box: %s\n", request.Text.c_str());
        return idYes;
    });

    QTemporaryDir dir;
    std::string path = dir.filePath(QStringLiteral("txt.txt")).toStdString();
    long lines = WriteHistory(path, megabytes * 1e6);
    std::printf("history bench: %.0f MB, %ld lines (Qt platform %s)\n", megabytes, lines,
        qPrintable(QGuiApplication::platformName()));

    PrintSteps(path);

    TForm2 history;
    history.SetHistoryPath(path);
    TMainForm main;
    main.SetWindows({ .Form2 = &history });
    main.show();
    // On an X desktop with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 the bridge to the accessibility bus connects while the
    // event loop runs; give it a moment.
    WaitUntil([] { return QAccessible::isActive(); }, std::chrono::seconds(1));

    // A screen reader listens from the start: every accessibility event of the widgets reaches it.
    QAccessible::installUpdateHandler(CountAccessibilityEvent);
    QAccessible::setActive(true);

    long rssBefore = StatusKilobytes("VmRSS");
    ResetPeakMemory();
    QElapsedTimer timer;
    double cpu = CpuMilliseconds();
    timer.start();
    main.Button10Click();
    history.ListBox1->viewport()->repaint();
    QCoreApplication::processEvents();
    double openMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    double openCpuMs = CpuMilliseconds() - cpu;
    long peakGrowth = StatusKilobytes("VmHWM") - rssBefore;
    long keptGrowth = StatusKilobytes("VmRSS") - rssBefore;
    QAbstractItemModel *model = history.ListBox1->model();
    std::printf(
        "  open (load, remove duplicates, rewrite, paint): %.0f ms (CPU %.0f ms), %d rows listed (target 500 ms)\n",
        openMs, openCpuMs, model->rowCount());
    std::printf("  memory: peak %.1f MB during the opening, %.1f MB kept while open (file %.1f MB)\n",
        static_cast<double>(peakGrowth) / 1024, static_cast<double>(keptGrowth) / 1024, megabytes);
    if (QAccessible::isActive())
        std::printf("  accessibility events raised by the opening: %d\n", AccessibilityEvents);
    else
        std::printf("  accessibility events raised by the opening: not counted (no accessibility bridge active)\n");

    timer.restart();
    QAccessibleInterface *listInterface = QAccessible::queryAccessibleInterface(history.ListBox1);
    QAccessibleTableInterface *table = listInterface ? listInterface->tableInterface() : nullptr;
    const int rows = table ? table->rowCount() : -1;
    const int children = listInterface ? listInterface->childCount() : -1;
    QString first;
    QString last;
    if (rows > 0) {
        first = table->cellAt(0, 0)->text(QAccessible::Name);
        last = table->cellAt(rows - 1, 0)->text(QAccessible::Name);
    }
    std::printf("  screen reader: %d rows (%d on screen as children), first \"%s\", last \"%s\" in %.1f ms\n", rows,
        children, qPrintable(first), qPrintable(last), static_cast<double>(timer.nsecsElapsed()) / 1e6);

    QListView *list = history.ListBox1;
    QScrollBar *bar = list->verticalScrollBar();
    Press(list, Qt::Key_Home);
    std::printf("  answer: page down %.1f ms, end %.1f ms, scroll to the middle %.1f ms, up %.1f ms\n",
        Measure(list, [&] { Press(list, Qt::Key_PageDown); }), Measure(list, [&] { Press(list, Qt::Key_End); }),
        Measure(list, [&] { bar->setValue(bar->maximum() / 2); }), Measure(list, [&] { Press(list, Qt::Key_Up); }));

    history.hide();
    timer.restart();
    main.Button10Click();
    list->viewport()->repaint();
    QCoreApplication::processEvents();
    std::printf("  second opening: %.0f ms\n", static_cast<double>(timer.nsecsElapsed()) / 1e6);

    list->setCurrentIndex(model->index(model->rowCount() / 2, 0));
    std::printf("  delete the middle entry and rewrite: %.0f ms\n", Measure(list, [&] { history.Button1Click(); }));

    list->setCurrentIndex(model->index(model->rowCount() - 1, 0));
    timer.restart();
    history.ListBox1DblClick();
    std::printf("  last entry to the send box: %.1f ms, \"%s\"\n", static_cast<double>(timer.nsecsElapsed()) / 1e6,
        qPrintable(main.Memo2->toPlainText()));
    return 0;
}
