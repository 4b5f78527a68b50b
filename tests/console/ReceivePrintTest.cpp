// Prints through a private print server whose only queue writes PDF files (tests/support/cups_session.sh).
#include "console/ReceivePrint.h"

#include "MessageBoxRecorder.h"

#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace
{

const std::string Script
    = (std::filesystem::path(__FILE__).parent_path().parent_path() / "support" / "cups_session.sh").string();

QString RunTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

class ReceivePrintTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        QString exports = RunTool(QStringLiteral("bash"), { QString::fromStdString(Script), QStringLiteral("start") });
        QRegularExpression assignment(QStringLiteral("(\\w+)='([^']*)'"));
        for (auto match = assignment.globalMatch(exports); match.hasNext();) {
            QRegularExpressionMatch next = match.next();
            setenv(next.captured(1).toUtf8().constData(), next.captured(2).toUtf8().constData(), 1);
        }
        unsetenv("PRINTER");
        unsetenv("LPDEST");
        Started = std::getenv("CUPS_SESSION_PID") != nullptr;
    }

    static void TearDownTestSuite()
    {
        if (Started)
            RunTool(QStringLiteral("bash"), { QString::fromStdString(Script), QStringLiteral("stop") });
    }

    void SetUp() override
    {
        if (!Started)
            GTEST_SKIP() << "no private print server (cupsd) could be started";
    }

    static QString PageText(int page)
    {
        return RunTool(QStringLiteral("pdftotext"),
            { QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page),
                QString::fromLocal8Bit(std::getenv("CUPS_SESSION_OUTPUT")), QStringLiteral("-") });
    }

    static inline bool Started = false;
    TMessageBoxRecorder Boxes;
};

TEST_F(ReceivePrintTest, PrintsTwentySixLinesAPageOnTheDefaultPrinter)
{
    QStringList lines;
    for (int i = 1; i <= 27; ++i)
        lines.append(QStringLiteral("line %1 接收").arg(i));
    EXPECT_TRUE(PrintAndReport(lines));
    EXPECT_EQ(Boxes.Boxes, (std::vector<TMessageBoxRequest> { { "打印成功", "提示", mbIconInformation } }));
    ASSERT_EQ(RunTool(QStringLiteral("bash"), { QString::fromStdString(Script), QStringLiteral("wait"), "60" }), "");

    QString info = RunTool(QStringLiteral("pdfinfo"), { QString::fromLocal8Bit(std::getenv("CUPS_SESSION_OUTPUT")) });
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
    EXPECT_EQ(queue, QString::fromLocal8Bit(std::getenv("CUPS_SESSION_PRINTER")));
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
    RunTool(QStringLiteral("bash"), { QString::fromStdString(Script), QStringLiteral("nodefault") });
    EXPECT_FALSE(PrintAndReport({ QStringLiteral("x") }));
    EXPECT_EQ(Boxes.Boxes,
        (std::vector<TMessageBoxRequest> { { "打印出错，请检查打印是否存在或已装好", "提示", mbIconStop } }));
}

} // namespace
