// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/receive/ReceiveSave.h"

#include "console/receive/PrintLayout.h"
#include "console/receive/ReceiveLog.h"
#include "console/receive/ReceiveText.h"
#include "console/receive/SaveDialog.h"
#include "tests/support/FileBytes.h"

#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace
{

TEST(PrintLayout, TwentySixLinesAPageStartingAt40By100)
{
    std::vector<TPrintPlacement> placed = LayoutPrintLines(27);
    ASSERT_EQ(placed.size(), 27u);
    EXPECT_EQ(placed[0].Page, 0);
    EXPECT_EQ(placed[0].Top, 40);
    EXPECT_EQ(placed[25].Page, 0);
    EXPECT_EQ(placed[25].Top, 2540);
    EXPECT_EQ(placed[26].Page, 1);
    EXPECT_EQ(placed[26].Top, 40);
    EXPECT_EQ(PrintPageCount(27), 2);
    EXPECT_EQ(PrintPageCount(26), 1); // a full page does not leave an empty one after it
    EXPECT_EQ(PrintPageCount(53), 3);
    EXPECT_EQ(PrintPageCount(0), 1);
    EXPECT_TRUE(LayoutPrintLines(0).empty());
}

class ReceiveSaveTest : public ::testing::Test
{
protected:
    void TearDown() override { TSaveDialog::SetRunner(nullptr); }

    QTemporaryDir Dir;
    std::shared_ptr<TReceiveLog> Log = std::make_shared<TReceiveLog>();
    TReceiveText Pane { Log };
    TSaveDialog Dialog;
};

TEST_F(ReceiveSaveTest, WritesTheBytesExactlyAsReceived)
{
    const std::string odd("\xD6\xD0\xCE\xC4\xFF\x01\x7F\rx\n", 10);
    Log->AppendChunk("12345\r\n");
    Log->AppendChunk(odd);
    std::vector<std::string> offered;
    TSaveDialog::SetRunner([&](TSaveDialog &dialog, QWidget *) {
        offered.push_back(dialog.FileName);
        dialog.FileName = Dir.filePath(QStringLiteral("out.txt")).toStdString();
        return true;
    });
    SaveReceivedText(Pane, Dialog);
    EXPECT_EQ(FileBytes(Dialog.FileName), "12345\r\n" + odd) << "no line break the device did not send";

    Pane.Clear();
    SaveReceivedText(Pane, Dialog); // an empty pane gives an empty file, under the name chosen last
    EXPECT_EQ(FileBytes(Dialog.FileName), "");
    EXPECT_EQ(offered, (std::vector<std::string> { "sc.txt", Dialog.FileName }));
}

TEST_F(ReceiveSaveTest, CancelWritesNothingAndAFailedWriteIsSilent)
{
    Log->AppendChunk("x");
    const std::string path = Dir.filePath(QStringLiteral("sc.txt")).toStdString();
    TSaveDialog::SetRunner([](TSaveDialog &, QWidget *) { return false; });
    SaveReceivedText(Pane, Dialog);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    EXPECT_FALSE(WriteReceivedText(Pane, Dir.filePath(QStringLiteral("no/such/dir.txt")).toStdString()));
}

TEST_F(ReceiveSaveTest, TheRealDialogOffersTheTextFilterAndAddsTheExtension)
{
    Log->AppendChunk("abc");
    Dialog.FileName = Dir.filePath(QStringLiteral("sc.txt")).toStdString();
    QStringList filters;
    QString suffix;
    bool confirms = true;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        filters = dialog->nameFilters();
        suffix = dialog->defaultSuffix();
        confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        dialog->selectFile(Dir.filePath(QStringLiteral("received")));
        static_cast<QDialog *>(dialog)->accept();
    });
    SaveReceivedText(Pane, Dialog);
    EXPECT_EQ(filters, QStringList { QStringLiteral("文本文档(*.txt)") });
    EXPECT_EQ(suffix, QStringLiteral("txt"));
    EXPECT_FALSE(confirms);
    EXPECT_EQ(Dialog.FileName, Dir.filePath(QStringLiteral("received.txt")).toStdString());
    EXPECT_EQ(FileBytes(Dialog.FileName), "abc");
}

} // namespace
