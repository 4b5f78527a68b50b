#include "console/ReceivePrint.h"

#include "console/PrintLayout.h"
#include "core/MessageBox.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

QPrinter &ReceivePrinter()
{
    // Made once and never destroyed: a printer torn down among the static objects at exit could outlive the print
    // system's own state.
    static QPrinter *printer = new QPrinter(QPrinter::HighResolution);
    return *printer;
}

bool PrintOnDefaultPrinter(const QStringList &lines)
{
    // Without a default printer a QPrinter would still accept the job and print nowhere.
    QPrinterInfo printerInfo = QPrinterInfo::defaultPrinter();
    if (printerInfo.isNull())
        return false;
    QPrinter &printer = ReceivePrinter();
    // Bound to the default printer at the first print; the printer and output file it holds then stay for the run.
    if (printer.printerName().isEmpty() && printer.outputFileName().isEmpty())
        printer.setPrinterName(printerInfo.printerName());
    printer.setResolution(PrintResolution);
    printer.setDocName(QStringLiteral("Kelvara"));
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    QFont font = painter.font();
    font.setPointSize(PrintFontPoints);
    painter.setFont(font);
    const int ascent = QFontMetrics(painter.font(), &printer).ascent();
    int page = 0;
    for (const TPrintPlacement &placement : LayoutPrintLines(static_cast<std::size_t>(lines.size()))) {
        if (placement.Page != page) {
            if (!printer.newPage()) {
                painter.end();
                return false;
            }
            page = placement.Page;
        }
        painter.drawText(PrintLeft, placement.Top + ascent, lines[static_cast<qsizetype>(placement.Line)]);
    }
    bool ended = painter.end();
    return ended && printer.printerState() != QPrinter::Error && printer.printerState() != QPrinter::Aborted;
}

bool PrintAndReport(const QStringList &lines)
{
    if (PrintOnDefaultPrinter(lines)) {
        ShowMessageBox("打印成功", "提示", mbIconInformation);
        return true;
    }
    ShowMessageBox("打印出错，请检查打印是否存在或已装好", "提示", mbIconStop);
    return false;
}
