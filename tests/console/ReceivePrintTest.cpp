// SPDX-License-Identifier: GPL-3.0-or-later
// Prints through a private print server whose only queue writes PDF files (tests/support/cups_session.sh).
#include "console/receive/ReceivePrint.h"

#include "MessageBoxRecorder.h"
#include "console/receive/PrinterChoice.h"
#include "tests/support/CupsSession.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace
{

TEST(PrinterChoice, TheDefaultQueueElseTheOnlyQueueElseTheUserAsked)
{
    const QStringList two { QStringLiteral("a"), QStringLiteral("b") };
    const TPrinterChoice useA { TPrinterChoice::Use, QStringLiteral("a") };
    const TPrinterChoice useB { TPrinterChoice::Use, QStringLiteral("b") };
    const TPrinterChoice ask { TPrinterChoice::Ask, QString() };
    struct {
        QString Default;
        QStringList Queues;
        TPrinterChoice Expected;
    } cases[] = {
        { QStringLiteral("b"), two, useB },
        { QString(), { QStringLiteral("a") }, useA },
        { QString(), two, ask },
        { QStringLiteral("gone"), two, ask }, // a default that is no queue any more
        { QStringLiteral("gone"), { QStringLiteral("a") }, useA },
        { QStringLiteral("a"), {}, TPrinterChoice() },
        { QString(), {}, TPrinterChoice() },
    };
    for (const auto &c : cases)
        EXPECT_EQ(ChoosePrinter(c.Default, c.Queues), c.Expected)
            << c.Default.toStdString() << " of " << c.Queues.join(u',').toStdString();
}

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
        ASSERT_EQ(PrintReceivedLines({ text }), TPrintOutcome::Printed);
        EXPECT_EQ(&ReceivePrinter(), &printer);
        const QString printed = RunTool(QStringLiteral("pdftotext"), { file, QStringLiteral("-") });
        EXPECT_TRUE(printed.contains(text)) << text.toStdString() << " / " << printed.toStdString();
    }
    printer.setOutputFileName(QString()); // back to the queue for the tests that follow
}

// Queues but no default: the only queue prints without a question.
TEST_F(ReceivePrintTest, WithoutADefaultTheOnlyQueuePrints)
{
    Session->ClearDefault();
    ASSERT_TRUE(QPrinterInfo::defaultPrinter().isNull());
    EXPECT_TRUE(PrintAndReport({ QStringLiteral("only queue") }));
    EXPECT_EQ(Boxes.Boxes, (std::vector<TMessageBoxRequest> { { "打印成功", "提示", mbIconInformation } }));
    ASSERT_TRUE(Session->WaitForJobs()) << "the job did not finish";
    EXPECT_EQ(PageText(1).trimmed(), QStringLiteral("only queue"));
}

// Several queues and none the default: the print dialog asks. Cancelled, nothing is printed and no box appears;
// accepted with a queue chosen, the text prints there.
TEST_F(ReceivePrintTest, WithSeveralQueuesAndNoDefaultThePrintDialogAsks)
{
    Session->ClearDefault();
    const QString second = Session->AddPrinter(QStringLiteral("kelvara-second"));
    QFile::remove(Session->Output());
    auto answer = [](const QString &queue) {
        QTimer::singleShot(0, [queue] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog) << "no print dialog";
            if (queue.isEmpty()) {
                QMetaObject::invokeMethod(dialog, "reject");
                return;
            }
            auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
            ASSERT_TRUE(printers);
            const int index = printers->findText(queue);
            ASSERT_GE(index, 0) << queue.toStdString();
            printers->setCurrentIndex(index);
            QMetaObject::invokeMethod(dialog, "accept");
        });
    };

    answer(QString());
    EXPECT_FALSE(PrintAndReport({ QStringLiteral("not printed") }));
    EXPECT_TRUE(Boxes.Boxes.empty());
    ASSERT_TRUE(Session->WaitForJobs());
    EXPECT_FALSE(QFile::exists(Session->Output()));
    EXPECT_FALSE(QFile::exists(second));

    answer(QStringLiteral("kelvara-second"));
    EXPECT_TRUE(PrintAndReport({ QStringLiteral("second queue") }));
    EXPECT_EQ(Boxes.Boxes, (std::vector<TMessageBoxRequest> { { "打印成功", "提示", mbIconInformation } }));
    ASSERT_TRUE(Session->WaitForJobs()) << "the job did not finish";
    EXPECT_EQ(RunTool(QStringLiteral("pdftotext"), { second, QStringLiteral("-") }).trimmed(),
        QStringLiteral("second queue"));
    EXPECT_FALSE(QFile::exists(Session->Output()));
    Session->RemovePrinter(QStringLiteral("kelvara-second"));
}

TEST_F(ReceivePrintTest, WithoutAPrinterTheErrorBoxAppears)
{
    Session->RemovePrinter();
    EXPECT_FALSE(PrintAndReport({ QStringLiteral("x") }));
    EXPECT_EQ(Boxes.Boxes,
        (std::vector<TMessageBoxRequest> { { "打印出错，请检查打印是否存在或已装好", "提示", mbIconStop } }));
}

} // namespace
