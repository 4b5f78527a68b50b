// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/ChartPrint.h"

#include "PlotTestSupport.h"
#include "chart/PlotError.h"
#include "chart/PlotToolBar.h"
#include "tests/support/CupsSession.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <gtest/gtest.h>

namespace
{

// A chart stand-in: black over its whole area, with a label.
void DrawChart(QPainter &p, const QSize &size)
{
    p.fillRect(QRect(QPoint(0, 0), size), Qt::black);
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QPoint(20, 30), QStringLiteral("Time 12.50"));
}

// The page size in points from pdfinfo's "Page size: W x H pts" line.
QSizeF PdfPageSize(const QString &info)
{
    for (const QString &line : info.split('\n'))
        if (line.startsWith(QStringLiteral("Page size:"))) {
            const QStringList parts = line.mid(10).simplified().split(' ');
            if (parts.size() >= 3)
                return QSizeF(parts[0].toDouble(), parts[2].toDouble());
        }
    return {};
}

int PdfPages(const QString &info)
{
    for (const QString &line : info.split('\n'))
        if (line.startsWith(QStringLiteral("Pages:")))
            return line.mid(6).trimmed().toInt();
    return -1;
}

QString PdfTitle(const QString &info)
{
    for (const QString &line : info.split('\n'))
        if (line.startsWith(QStringLiteral("Title:")))
            return line.mid(6).trimmed();
    return {};
}

// The bounding box of the dark pixels of the page rendered at 72 dots per inch (one pixel per point).
QRect DarkArea(const QString &pdf, const QString &dir)
{
    RunTool("pdftoppm", { "-r", "72", "-png", "-singlefile", pdf, dir + "/page" });
    const QImage page(dir + "/page.png");
    QRect dark;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 64)
                dark = dark.united(QRect(x, y, 1, 1));
    return dark;
}

TEST(ChartPrint, PlacementUsesOneScaleBetweenTheMargins)
{
    TChartPrintSettings settings;
    // 11 x 8.5 inch printable area at 100 dpi, starting a quarter inch from the paper's edges.
    const QRectF printable(25, 25, 1100, 850);
    struct {
        QSize Chart;
        double Scale;
    } cases[] = {
        { QSize(900, 300), 1.0 }, // the width limits: (1100 - 200) / 900
        { QSize(450, 650), 1.0 }, // the height limits: (850 - 200) / 650
        { QSize(300, 100), 3.0 },
    };
    for (const auto &c : cases) {
        const TChartPrintPlacement placement = ChartPrintPlacement(printable, 100, 100, c.Chart, settings);
        EXPECT_DOUBLE_EQ(placement.Scale, c.Scale) << c.Chart.width() << "x" << c.Chart.height();
        EXPECT_EQ(placement.Origin, QPointF(75, 75)) << "one inch from the paper's edge";
    }

    settings.MarginLeft = 6;
    settings.MarginRight = 6;
    try {
        ChartPrintPlacement(printable, 100, 100, QSize(900, 300), settings);
        FAIL() << "no error";
    } catch (const EPlotError &e) {
        EXPECT_STREQ(e.what(), "Error Printing : The margins leave no room on the page");
    }
    EXPECT_THROW(ChartPrintPlacement(printable, 100, 100, QSize(0, 300), TChartPrintSettings()), EPlotError);
}

// The chart is laid out at the room between the margins, in 96-dpi pixels, whatever its size on screen.
TEST(ChartPrint, PageSizeIsTheRoomBetweenTheMargins)
{
    TChartPrintSettings settings;
    EXPECT_EQ(ChartPageSize(QRectF(25, 25, 1100, 850), 100, 100, settings), QSize(864, 624)); // 9 x 6.5 inches
    EXPECT_EQ(ChartPageSize(QRectF(0, 0, 3300, 2550), 300, 300, settings), QSize(864, 624));
    settings.MarginLeft = settings.MarginRight = 6;
    EXPECT_EQ(ChartPageSize(QRectF(25, 25, 1100, 850), 100, 100, settings), QSize(1, 624));
}

TEST(ChartPrint, PrintsOneLandscapePageWithTheChartInsideTheMargins)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pdf = dir.filePath("chart.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    TChartPrintSettings settings;
    settings.ShowDialog = false;
    ASSERT_TRUE(ChartPrintSetup(printer, settings, nullptr));
    const QSize chart(600, 250);
    PrintChartPage(printer, chart, DrawChart, settings);

    const QString info = RunTool("pdfinfo", { pdf });
    EXPECT_EQ(PdfPages(info), 1) << info.toStdString();
    const QSizeF page = PdfPageSize(info);
    ASSERT_GT(page.width(), page.height()) << "landscape: " << info.toStdString();
    EXPECT_TRUE(RunTool("pdftotext", { pdf, "-" }).contains(QStringLiteral("Time 12.50"))) << "text stays text";

    // One inch margins and one scale: the width limits here.
    const double scale = std::min((page.width() - 144) / chart.width(), (page.height() - 144) / chart.height());
    const QRect dark = DarkArea(pdf, dir.path());
    EXPECT_NEAR(dark.left(), 72, 1.5);
    EXPECT_NEAR(dark.top(), 72, 1.5);
    EXPECT_NEAR(dark.width(), chart.width() * scale, 2.0);
    EXPECT_NEAR(dark.height(), chart.height() * scale, 2.0);
}

TEST(ChartPrint, FailuresAreReportedAsPrintingErrors)
{
    QPrinter printer;
    printer.setPrinterName(QStringLiteral("kelvara-no-such-queue"));
    try {
        PrintChartPage(printer, QSize(100, 50), DrawChart, TChartPrintSettings());
        FAIL() << "no error";
    } catch (const EPlotError &e) {
        EXPECT_EQ(std::string(e.what()).rfind("Error Printing : ", 0), 0u) << e.what();
    }

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QPrinter pdfPrinter(QPrinter::HighResolution);
    pdfPrinter.setOutputFormat(QPrinter::PdfFormat);
    pdfPrinter.setOutputFileName(dir.filePath("chart.pdf"));
    try {
        PrintChartPage(
            pdfPrinter, QSize(100, 50), [](QPainter &, const QSize &) { throw EPlotError("Out of paint"); },
            TChartPrintSettings());
        FAIL() << "no error";
    } catch (const EPlotError &e) {
        EXPECT_STREQ(e.what(), "Error Printing : Out of paint");
    }
}

TEST(ChartPrint, CancellingTheDialogPrintsNothing)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    TChartPrintSettings settings;
    settings.Orientation = ppoPortrait;
    settings.DocumentName = QStringLiteral("Chart job");
    bool dialogSeen = false;
    QTimer::singleShot(0, [&dialogSeen] {
        if (QWidget *dialog = QApplication::activeModalWidget()) {
            dialogSeen = true;
            QMetaObject::invokeMethod(dialog, "reject");
        }
    });
    EXPECT_FALSE(ChartPrintSetup(printer, settings, nullptr));
    EXPECT_TRUE(dialogSeen);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_EQ(printer.docName(), QStringLiteral("Chart job"));
}

// The chart's Print button twice: the first time the user picks printing to a file in the print dialog and names
// the file; the second time the dialog opens with that choice and the file name, and accepting it prints there again.
TEST(ChartPrint, ThePrintDialogOpensWithThePrinterAndFileChosenLastTime)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("chart.pdf"));
    TStripChart chart(600, 250);
    chart.Plot->SetPrintShowDialog(true);
    chart.Paint();

    QString printerShown, fileShown;
    auto answer = [&](bool choose) {
        QTimer::singleShot(0, [&, choose] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog);
            auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
            auto *fileName = dialog->findChild<QLineEdit *>(QStringLiteral("filename"));
            ASSERT_TRUE(printers && fileName);
            if (choose) {
                printers->setCurrentIndex(printers->count() - 1); // the last entry prints to a file
                fileName->setText(file);
            }
            printerShown = printers->currentText();
            fileShown = fileName->text();
            QMetaObject::invokeMethod(dialog, "accept");
        });
    };
    answer(true);
    chart.Plot->Print();
    ASSERT_TRUE(QFile::exists(file));
    const QString chosen = printerShown;
    QFile::remove(file);

    answer(false);
    chart.Plot->Print();
    EXPECT_EQ(printerShown, chosen);
    EXPECT_EQ(fileShown, file);
    EXPECT_TRUE(QFile::exists(file));
}

// Printing through a real queue: starts a private print server and runs `test` again in a child process that uses
// it as the system's print server (the print system reads its server address once per process); in the child
// (KELVARA_CUPS_CHILD set) the test prints. Then checks the job: one page, untitled, the chart's long side along the
// sheet's long side however the sheet itself is described, and one scale for both directions keeping the proportions
// of a 600 x 250 chart, or with `laidOutForThePage` those of the room between the margins, which the child reports on
// its standard output as "page room W H". `text`, if given, receives the page's text.
void ExpectOneLandscapeChartFromChild(const char *test, QString *text = nullptr, bool laidOutForThePage = false)
{
    TCupsSession session;
    ASSERT_TRUE(session.Error().isEmpty()) << "print server did not start: " << session.Error().toStdString();
    QProcessEnvironment environment = session.Environment();
    environment.insert("KELVARA_CUPS_CHILD", "1");
    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--gtest_filter=ChartPrint.") + test });
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString output = QString::fromUtf8(child.readAllStandardOutput());
    ASSERT_EQ(child.exitCode(), 0) << output.toStdString();
    ASSERT_TRUE(session.WaitForJobs()) << "the job did not finish";

    const QString pdf = session.Output();
    const QString info = RunTool("pdfinfo", { pdf });
    EXPECT_EQ(PdfPages(info), 1) << info.toStdString();
    EXPECT_EQ(PdfTitle(info), QStringLiteral("Untitled"));
    if (text)
        *text = RunTool("pdftotext", { pdf, "-" });
    const QSizeF page = PdfPageSize(info);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QRect dark = DarkArea(pdf, dir.path());
    ASSERT_FALSE(dark.isEmpty());
    EXPECT_EQ(dark.width() > dark.height(), page.width() > page.height())
        << "chart " << dark.width() << "x" << dark.height() << " on a sheet " << page.width() << "x" << page.height();
    double expected = 600.0 / 250.0;
    if (laidOutForThePage) {
        const QRegularExpressionMatch room = QRegularExpression("page room (\\d+) (\\d+)").match(output);
        ASSERT_TRUE(room.hasMatch()) << output.toStdString();
        expected = room.captured(1).toDouble() / room.captured(2).toDouble();
    }
    const double ratio = double(std::max(dark.width(), dark.height())) / std::min(dark.width(), dark.height());
    EXPECT_NEAR(ratio, expected, 0.05);
}

// A chart printed on the default printer through a real queue keeps its text as text.
TEST(ChartPrint, PrintsOneLandscapePageThroughAPrintQueue)
{
    const QSize chart(600, 250);
    if (qEnvironmentVariableIsSet("KELVARA_CUPS_CHILD")) {
        ASSERT_EQ(QPrinterInfo::defaultPrinter().printerName(), qEnvironmentVariable("CUPS_SESSION_PRINTER"));
        QPrinter printer(QPrinter::HighResolution);
        TChartPrintSettings settings;
        settings.ShowDialog = false;
        ASSERT_TRUE(ChartPrintSetup(printer, settings, nullptr));
        PrintChartPage(printer, chart, DrawChart, settings);
        return;
    }

    QString text;
    ASSERT_NO_FATAL_FAILURE(ExpectOneLandscapeChartFromChild("PrintsOneLandscapePageThroughAPrintQueue", &text));
    EXPECT_TRUE(text.contains(QStringLiteral("Time 12.50"))) << "text stays text";
}

// The main window's chart printed from its Print button through a real queue: one landscape page laid out for the
// room between the margins, and the toolbar back on screen afterwards.
TEST(ChartPrint, ThePrintButtonPrintsTheChartOnOneLandscapePage)
{
    if (qEnvironmentVariableIsSet("KELVARA_CUPS_CHILD")) {
        TStripChart chart(600, 250);
        for (int i = 0; i < 50; ++i)
            chart.AddAfter(0.1, i % 10);
        chart.Plot->SetPrintShowDialog(false);
        int beforePrint = 0, afterPrint = 0;
        chart.Plot->OnBeforePrint = [&]() { ++beforePrint; };
        chart.Plot->OnAfterPrint = [&]() { ++afterPrint; };
        chart.Paint();
        const TPlotRect r = chart.Plot->ToolBar(0)->Button(TPlotToolBar::tbPrint).Rect();
        const QPoint centre((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        for (QEvent::Type type : { QEvent::MouseButtonPress, QEvent::MouseButtonRelease }) {
            QMouseEvent event(type, QPointF(centre), QPointF(centre), Qt::LeftButton,
                type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(chart.Plot.get(), &event);
        }
        EXPECT_EQ(beforePrint, 1);
        EXPECT_EQ(afterPrint, 1);
        EXPECT_TRUE(chart.Plot->ToolBar(0)->Visible());
        const QSize room = ChartPageSize(chart.Plot->Printer(), TChartPrintSettings());
        std::printf("page room %d %d\n", room.width(), room.height());
        return;
    }

    ExpectOneLandscapeChartFromChild("ThePrintButtonPrintsTheChartOnOneLandscapePage", nullptr, true);
}

// A chart that the window squeezes to a strip (the main window's data panel unfolded) still prints as a whole chart
// filling the page: its value axis with its labels, not a black strip with the time axis alone.
TEST(ChartPrint, AChartSqueezedOnScreenPrintsAtThePageSize)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pdf = dir.filePath("chart.pdf");
    TStripChart chart(860, 40);
    chart.Plot->SetPrintShowDialog(false);
    chart.Plot->Printer().setOutputFormat(QPrinter::PdfFormat);
    chart.Plot->Printer().setOutputFileName(pdf);
    chart.Plot->Print();

    const QString info = RunTool("pdfinfo", { pdf });
    const QSizeF page = PdfPageSize(info);
    ASSERT_GT(page.width(), page.height()) << "landscape: " << info.toStdString();
    const QRect dark = DarkArea(pdf, dir.path());
    EXPECT_NEAR(dark.left(), 72, 1.5);
    EXPECT_NEAR(dark.top(), 72, 1.5);
    EXPECT_NEAR(dark.width(), page.width() - 144, 2.5);
    EXPECT_NEAR(dark.height(), page.height() - 144, 2.5);
    const QStringList words = RunTool("pdftotext", { pdf, "-" }).split(QRegularExpression("\\s+"));
    for (const char *label : { "0", "50", "100", "1.00" })
        EXPECT_TRUE(words.contains(QString::fromLatin1(label))) << label << " in " << words.join(' ').toStdString();
    EXPECT_EQ(chart.Plot->size(), QSize(860, 40)) << "the window's chart keeps its size";
}

} // namespace
