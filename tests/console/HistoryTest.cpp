#include "MessageBoxRecorder.h"
#include "console/HistoryFile.h"
#include "console/HistoryForm.h"
#include "console/HistoryLines.h"

#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace
{

using Entries = std::vector<std::string>;

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFile(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(HistoryLines, LoadsEveryKindOfLineEnd)
{
    struct Case {
        const char *Name;
        std::string Bytes;
        Entries Expected;
    };
    const Case cases[] = {
        { "CR LF", "a\r\nb\r\n", { "a", "b" } },
        { "LF only", "a\nb\n", { "a", "b" } },
        { "CR only", "a\rb\r", { "a", "b" } },
        { "mixed", "a\r\nb\rc\nd", { "a", "b", "c", "d" } },
        { "LF CR is two breaks", "a\n\rb", { "a", "", "b" } },
        { "no break after the last line", "a\r\nlast", { "a", "last" } },
        { "two empty lines", "\r\n\r\n", { "", "" } },
        { "NUL ends the text", std::string("a\r\nb\0c\r\nd", 9), { "a", "b" } },
        { "empty file", "", {} },
        { "GBK bytes kept", "\xD6\xD0\xCE\xC4\r\n", { "\xD6\xD0\xCE\xC4" } },
    };
    for (const Case &c : cases)
        EXPECT_EQ(ParseHistoryEntries(c.Bytes), c.Expected) << c.Name;
}

TEST(HistoryLines, DuplicatesGoInFileOrderAndRewriteEndsEveryLine)
{
    EXPECT_EQ(RemoveDuplicateEntries({ "a", "a", "a", "b", "a" }), (Entries { "a", "b" }));
    EXPECT_EQ(RemoveDuplicateEntries({ "", "x", "", "X", "x " }), (Entries { "", "x", "X", "x " }));
    EXPECT_EQ(FormatHistoryEntries({ "a", "", "b" }), "a\r\n\r\nb\r\n");
    EXPECT_EQ(FormatHistoryEntries({}), "");
}

class HistoryFileTest : public ::testing::Test
{
protected:
    QTemporaryDir Dir;
    std::string Path = Dir.filePath(QStringLiteral("txt.txt")).toStdString();
};

TEST_F(HistoryFileTest, MissingFileCannotBeOpenedAndIsNeverCreatedByAppend)
{
    THistoryFile file(Path);
    try {
        file.Load();
        FAIL() << "no failure";
    } catch (const EHistoryFileError &failure) {
        EXPECT_EQ(std::string(failure.what()), "Cannot open file \"" + Path + "\". No such file or directory");
    }
    EXPECT_FALSE(THistoryFile::AppendEntry(Path, "abc"));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path)));

    WriteFile(Path, "");
    EXPECT_TRUE(THistoryFile::AppendEntry(Path, "A\r\nB"));
    EXPECT_EQ(ReadFile(Path), "A\r\nB\r\n");
}

TEST_F(HistoryFileTest, RewriteKeepsEntriesAppendedSinceTheLoad)
{
    WriteFile(Path, "a\r\nb\r\n");
    THistoryFile file(Path);
    ASSERT_EQ(file.Load(), (Entries { "a", "b" }));
    THistoryFile::AppendEntry(Path, "c");
    THistoryFile::AppendEntry(Path, "a"); // already listed: kept once
    EXPECT_EQ(file.Rewrite({ "b" }), (Entries { "b", "c", "a" }));
    EXPECT_EQ(ReadFile(Path), "b\r\nc\r\na\r\n");

    // A file replaced by other means is not merged: the list is written as it is.
    WriteFile(Path, "zzz\r\n");
    EXPECT_EQ(file.Rewrite({ "b" }), (Entries { "b" }));
    EXPECT_EQ(ReadFile(Path), "b\r\n");
}

TEST_F(HistoryFileTest, RewriteThatCannotCreateTheFileSaysSo)
{
    std::string path = Dir.filePath(QStringLiteral("missing/txt.txt")).toStdString();
    try {
        THistoryFile(path).Rewrite({ "a" });
        FAIL() << "no failure";
    } catch (const EHistoryFileError &failure) {
        EXPECT_EQ(std::string(failure.what()), "Cannot create file \"" + path + "\". No such file or directory");
    }
}

class HistoryFormTest : public HistoryFileTest
{
protected:
    void SetUp() override { Form.SetHistoryPath(Path); }

    Entries Listed() const
    {
        Entries items;
        for (int i = 0; i < Form.ListBox1->count(); ++i)
            items.push_back(Form.ListBox1->item(i)->text().toStdString());
        return items;
    }

    TMessageBoxRecorder Boxes;
    TForm2 Form;
};

TEST_F(HistoryFormTest, ShowingLoadsWithoutDuplicatesAndRewritesTheFile)
{
    WriteFile(Path, "a\na\ra\r\nb\n\xD6\xD0\xCE\xC4\na");
    Form.show();
    EXPECT_EQ(Listed(), (Entries { "a", "b", "中文" }));
    EXPECT_EQ(ReadFile(Path), "a\r\nb\r\n\xD6\xD0\xCE\xC4\r\n");
    EXPECT_TRUE(Boxes.Boxes.empty());
    EXPECT_EQ(Form.windowTitle(), QStringLiteral("历史数据"));
}

TEST_F(HistoryFormTest, DeleteAsksAndRewritesWhateverTheAnswer)
{
    WriteFile(Path, "a\r\nb\r\nc\r\n");
    Form.show();
    Form.ListBox1->setCurrentRow(1);

    Boxes.Answer = idNo;
    WriteFile(Path, "stale\r\n"); // shows that the file is written again
    Form.Button1Click();
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0], (TMessageBoxRequest { "确定要删除此条信息吗？", "提示", mbYesNoQuestion }));
    EXPECT_EQ(ReadFile(Path), "a\r\nb\r\nc\r\n");

    Boxes.Answer = idYes;
    Form.Button1Click();
    EXPECT_EQ(Listed(), (Entries { "a", "c" }));
    EXPECT_EQ(ReadFile(Path), "a\r\nc\r\n");

    // Nothing selected any more: Yes deletes nothing but still rewrites.
    Form.Button1Click();
    EXPECT_EQ(Listed(), (Entries { "a", "c" }));
}

TEST_F(HistoryFormTest, DeleteKeepsEntriesSavedWhileTheWindowIsOpen)
{
    WriteFile(Path, "a\r\nb\r\n");
    Form.show();
    THistoryFile::AppendEntry(Path, "new");
    Form.ListBox1->setCurrentRow(0);
    Boxes.Answer = idYes;
    Form.Button1Click();
    EXPECT_EQ(Listed(), (Entries { "b", "new" }));
    EXPECT_EQ(ReadFile(Path), "b\r\nnew\r\n");
}

TEST_F(HistoryFormTest, MissingFileIsReportedAndAFollowingDeleteCreatesIt)
{
    Form.show();
    EXPECT_TRUE(Form.isVisible());
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0],
        (TMessageBoxRequest {
            "Cannot open file \"" + Path + "\". No such file or directory.", "Kelvara", mbIconStop }));
    EXPECT_EQ(Form.ListBox1->count(), 0);

    Boxes.Answer = idYes;
    Form.Button1Click();
    EXPECT_TRUE(QFile::exists(QString::fromStdString(Path)));
    EXPECT_EQ(ReadFile(Path), "");
    EXPECT_TRUE(THistoryFile::AppendEntry(Path, "x"));
}

TEST_F(HistoryFormTest, DoubleClickHandsTheSelectedEntryBackAndHides)
{
    WriteFile(Path, "first\r\n\xD6\xD0\r\n");
    Form.show();
    QStringList chosen;
    QObject::connect(&Form, &TForm2::EntryChosen, [&](const QString &text) { chosen.append(text); });

    Form.ListBox1DblClick(); // nothing selected: nothing happens
    EXPECT_TRUE(chosen.isEmpty());
    EXPECT_TRUE(Form.isVisible());
    EXPECT_TRUE(Boxes.Boxes.empty());

    Form.ListBox1->setCurrentRow(1);
    QPointF at = Form.ListBox1->visualItemRect(Form.ListBox1->item(1)).center();
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, at, Form.ListBox1->viewport()->mapToGlobal(at), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Form.ListBox1->viewport(), &doubleClick);
    EXPECT_EQ(chosen, QStringList { QStringLiteral("中") });
    EXPECT_FALSE(Form.isVisible());

    // Shown again: loaded again (the list follows the file).
    WriteFile(Path, "other\r\n");
    Form.show();
    EXPECT_EQ(Listed(), (Entries { "other" }));
}

} // namespace
