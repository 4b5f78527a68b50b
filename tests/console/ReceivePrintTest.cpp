// Prints through a private print server whose only queue writes PDF files (tests/support/cups_session.sh).
#include "console/ReceivePrint.h"

#include "MessageBoxRecorder.h"
#include "tests/support/CupsSession.h"

#include <QFile>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace
{

class ReceivePrintTest : public ::testing::Test
{
protected:
    // One server for the suite: the print system reads its address once per process.
    static void SetUpTestSuite()
    {
        Session = std::make_unique<TCupsSession>();
        if (Session->Error().isEmpty())
            Session->Export();
    }

    static void TearDownTestSuite() { Session.reset(); }

    void SetUp() override
    {
        if (!Session->Error().isEmpty())
            GTEST_SKIP() << "no private print server (cupsd) could be started: " << Session->Error().toStdString();
    }

    static QString PageText(int page)
    {
        return RunTool(QStringLiteral("pdftotext"),
            { QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page),
                Session->Output(), QStringLiteral("-") });
    }

    static inline std::unique_ptr<TCupsSession> Session;
    TMessageBoxRecorder Boxes;
};

TEST_F(ReceivePrintTest, PrintsTwentySixLinesAPageOnTheDefaultPrinter)
{
    QStringList lines;
    for (int i = 1; i <= 27; ++i)
        lines.append(QStringLiteral("line %1 接收").arg(i));
    EXPECT_TRUE(PrintAndReport(lines));
    EXPECT_EQ(Boxes.Boxes, (std::vector<TMessageBoxRequest> { { "打印成功", "提示", mbIconInformation } }));
    ASSERT_TRUE(Session->WaitForJobs()) << "the job did not finish";

    QString info = RunTool(QStringLiteral("pdfinfo"), { Session->Output() });
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n")))) << info.toStdString();
    QStringList first = PageText(1).split(u'\n', Qt::SkipEmptyParts);
    first.removeIf([](const QString &line) { return line.trimmed().isEmpty(); });
    ASSERT_EQ(first.size(), 26) << first.join(u'|').toStdString();
    EXPECT_EQ(first.front().trimmed(), QStringLiteral("line 1 接收"));
    EXPECT_EQ(first.back().trimmed(), QStringLiteral("line 26 接收"));
    EXPECT_EQ(PageText(2).trimmed(), QStringLiteral("line 27 接收"));
}

// One printer for the run: an output file set on it (as a print dialog would) still holds at the next print.
TEST_F(ReceivePrintTest, KeepsItsPrinterAndOutputFileFromOnePrintToTheNext)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("received.pdf"));
    QPrinter &printer = ReceivePrinter();
    const QString queue = printer.printerName();
    EXPECT_EQ(queue, Session->Printer());
    printer.setOutputFileName(file);
    for (const QString &text : { QStringLiteral("print one"), QStringLiteral("print two") }) {
        QFile::remove(file);
        ASSERT_TRUE(PrintOnDefaultPrinter({ text }));
        EXPECT_EQ(&ReceivePrinter(), &printer);
        const QString printed = RunTool(QStringLiteral("pdftotext"), { file, QStringLiteral("-") });
        EXPECT_TRUE(printed.contains(text)) << text.toStdString() << " / " << printed.toStdString();
    }
    printer.setOutputFileName(QString()); // back to the queue for the tests that follow
}

TEST_F(ReceivePrintTest, WithoutAPrinterTheErrorBoxAppears)
{
    Session->RemovePrinter();
    EXPECT_FALSE(PrintAndReport({ QStringLiteral("x") }));
    EXPECT_EQ(Boxes.Boxes,
        (std::vector<TMessageBoxRequest> { { "打印出错，请检查打印是否存在或已装好", "提示", mbIconStop } }));
}

} // namespace
