// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/receive/ReceivePrint.h"

#include "console/receive/PrintLayout.h"
#include "console/receive/PrinterChoice.h"
#include "core/MessageBox.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace
{

// Points the printer at the queue to use; false when the print dialog was cancelled.
bool SelectQueue(QPrinter &printer, const TPrinterChoice &choice, QWidget *dialogParent)
{
    if (choice.Kind == TPrinterChoice::Use) {
        printer.setPrinterName(choice.Queue);
        return printer.printerName() == choice.Queue;
    }
    QPrintDialog dialog(&printer, dialogParent);
    // Every line is printed: a page range would be ignored.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

QPrinter &ReceivePrinter()
{
    // Made once and never destroyed: a printer torn down among the static objects at exit could outlive the print
    // system's own state.
    static QPrinter *printer = new QPrinter(QPrinter::HighResolution);
    return *printer;
}

TPrintOutcome PrintReceivedLines(const QStringList &lines, QWidget *dialogParent)
{
    // Without a queue a QPrinter would still accept the job and print nowhere.
    const TPrinterChoice choice
        = ChoosePrinter(QPrinterInfo::defaultPrinterName(), QPrinterInfo::availablePrinterNames());
    if (choice.Kind == TPrinterChoice::NoPrinter)
        return TPrintOutcome::Failed;
    QPrinter &printer = ReceivePrinter();
    if (printer.outputFileName().isEmpty() && !SelectQueue(printer, choice, dialogParent))
        return choice.Kind == TPrinterChoice::Ask ? TPrintOutcome::Cancelled : TPrintOutcome::Failed;
    printer.setResolution(PrintResolution);
    printer.setDocName(QStringLiteral("Kelvara"));
    QPainter painter;
    if (!painter.begin(&printer))
        return TPrintOutcome::Failed;
    QFont font = painter.font();
    font.setPointSize(PrintFontPoints);
    painter.setFont(font);
    const int ascent = QFontMetrics(painter.font(), &printer).ascent();
    int page = 0;
    for (const TPrintPlacement &placement : LayoutPrintLines(static_cast<std::size_t>(lines.size()))) {
        if (placement.Page != page) {
            if (!printer.newPage()) {
                painter.end();
                return TPrintOutcome::Failed;
            }
            page = placement.Page;
        }
        painter.drawText(PrintLeft, placement.Top + ascent, lines[static_cast<qsizetype>(placement.Line)]);
    }
    const bool ended = painter.end();
    return ended && printer.printerState() != QPrinter::Error && printer.printerState() != QPrinter::Aborted
        ? TPrintOutcome::Printed
        : TPrintOutcome::Failed;
}

bool PrintAndReport(const QStringList &lines, QWidget *dialogParent)
{
    switch (PrintReceivedLines(lines, dialogParent)) {
    case TPrintOutcome::Printed:
        ShowMessageBox("打印成功", "提示", mbIconInformation);
        return true;
    case TPrintOutcome::Failed:
        ShowMessageBox("打印出错，请检查打印是否存在或已装好", "提示", mbIconStop);
        return false;
    case TPrintOutcome::Cancelled:
        break;
    }
    return false;
}
