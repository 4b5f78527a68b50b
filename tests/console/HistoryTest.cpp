// SPDX-License-Identifier: GPL-3.0-or-later
#include "MessageBoxRecorder.h"
#include "console/HistoryForm.h"
#include "console/MainForm.h"
#include "console/history/HistoryFile.h"
#include "console/history/HistoryLines.h"
#include "console/history/HistoryList.h"
#include "tests/support/FileBytes.h"

#include <QAbstractItemModel>
#include <QAccessible>
#include <QApplication>
#include <QListView>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>

namespace
{

using Entries = std::vector<std::string>;

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
    for (const Case &c : cases) {
        EXPECT_EQ(ParseHistoryEntries(c.Bytes), c.Expected) << c.Name;
        THistoryList list = THistoryList::Parse(std::make_shared<const std::string>(c.Bytes));
        EXPECT_EQ(list.Entries(), c.Expected) << c.Name;
        EXPECT_EQ(*list.Bytes(), FormatHistoryEntries(c.Expected)) << c.Name;
    }
}

TEST(HistoryLines, ListInTheFileFormSharesTheFileBytes)
{
    auto fileForm = std::make_shared<const std::string>("a\r\n\r\nb\r\n");
    EXPECT_EQ(THistoryList::Parse(fileForm).Bytes(), fileForm);
    THistoryList unique = THistoryList::Parse(fileForm);
    EXPECT_EQ(unique.WithoutDuplicates().Bytes(), fileForm);
    auto lfOnly = std::make_shared<const std::string>("a\nb\n");
    EXPECT_NE(THistoryList::Parse(lfOnly).Bytes(), lfOnly);
}

// The list's edits give what the same edits give on a vector of entries.
TEST(HistoryLines, ListEditsFollowTheEntryRules)
{
    const Entries samples[] = { {}, { "" }, { "a", "a", "a", "b", "a" }, { "", "x", "", "X", "x " },
        { "\xD6\xD0", "\xD6", "\xD6\xD0", "b" } };
    for (const Entries &entries : samples) {
        THistoryList list = THistoryList::FromEntries(entries);
        EXPECT_EQ(list.Entries(), entries);
        EXPECT_EQ(*list.Bytes(), FormatHistoryEntries(entries));
        THistoryList unique = list.WithoutDuplicates();
        EXPECT_EQ(unique.Entries(), RemoveDuplicateEntries(entries));
        EXPECT_EQ(*unique.Bytes(), FormatHistoryEntries(unique.Entries()));
        for (std::size_t i = 0; i < entries.size(); ++i) {
            Entries expected = entries;
            expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(i));
            EXPECT_EQ(list.Without(i).Entries(), expected);
            EXPECT_EQ(*list.Without(i).Bytes(), FormatHistoryEntries(expected));
        }
    }

    struct Case {
        const char *Name;
        Entries Listed;
        Entries Appended;
        Entries Expected;
    };
    const Case cases[] = {
        { "new ones follow, each once", { "b" }, { "c", "a", "c" }, { "b", "c", "a" } },
        { "listed ones are not repeated", { "a", "b" }, { "b", "a" }, { "a", "b" } },
        { "onto an empty list", {}, { "", "x" }, { "", "x" } },
        { "listed duplicates stay", { "a", "a" }, { "a", "b" }, { "a", "a", "b" } },
    };
    for (const Case &c : cases) {
        THistoryList merged = THistoryList::FromEntries(c.Listed).WithNewEntries(THistoryList::FromEntries(c.Appended));
        EXPECT_EQ(merged.Entries(), c.Expected) << c.Name;
        EXPECT_EQ(*merged.Bytes(), FormatHistoryEntries(c.Expected)) << c.Name;
    }
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
    EXPECT_EQ(FileBytes(Path), "A\r\nB\r\n");
}

TEST_F(HistoryFileTest, RewriteKeepsEntriesAppendedSinceTheLoad)
{
    WriteFile(Path, "a\r\nb\r\n");
    THistoryFile file(Path);
    ASSERT_EQ(file.Load().Entries(), (Entries { "a", "b" }));
    THistoryFile::AppendEntry(Path, "c");
    THistoryFile::AppendEntry(Path, "a"); // already listed: kept once
    EXPECT_EQ(file.Rewrite(THistoryList::FromEntries({ "b" })).Entries(), (Entries { "b", "c", "a" }));
    EXPECT_EQ(FileBytes(Path), "b\r\nc\r\na\r\n");

    // A file replaced by other means is not merged: the list is written as it is.
    WriteFile(Path, "zzz\r\n");
    EXPECT_EQ(file.Rewrite(THistoryList::FromEntries({ "b" })).Entries(), (Entries { "b" }));
    EXPECT_EQ(FileBytes(Path), "b\r\n");
}

TEST_F(HistoryFileTest, RewriteThatCannotCreateTheFileSaysSo)
{
    std::string path = Dir.filePath(QStringLiteral("missing/txt.txt")).toStdString();
    try {
        THistoryFile(path).Rewrite(THistoryList::FromEntries({ "a" }));
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
        const QAbstractItemModel *model = Form.ListBox1->model();
        for (int i = 0; i < model->rowCount(); ++i)
            items.push_back(model->index(i, 0).data().toString().toStdString());
        return items;
    }

    void SelectRow(int row) { Form.ListBox1->setCurrentIndex(Form.ListBox1->model()->index(row, 0)); }

    // A double click on the row where the list shows it.
    void DoubleClickRow(int row)
    {
        QPointF at = Form.ListBox1->visualRect(Form.ListBox1->model()->index(row, 0)).center();
        QMouseEvent doubleClick(QEvent::MouseButtonDblClick, at, Form.ListBox1->viewport()->mapToGlobal(at),
            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Form.ListBox1->viewport(), &doubleClick);
    }

    TMessageBoxRecorder Boxes;
    TForm2 Form;
};

TEST_F(HistoryFormTest, ShowingLoadsWithoutDuplicatesAndRewritesTheFile)
{
    WriteFile(Path, "a\na\ra\r\nb\n\xD6\xD0\xCE\xC4\na");
    Form.show();
    EXPECT_EQ(Listed(), (Entries { "a", "b", "中文" }));
    EXPECT_EQ(FileBytes(Path), "a\r\nb\r\n\xD6\xD0\xCE\xC4\r\n");
    EXPECT_TRUE(Boxes.Boxes.empty());
    EXPECT_EQ(Form.windowTitle(), QStringLiteral("历史数据"));
}

TEST_F(HistoryFormTest, DeleteAsksAndRewritesWhateverTheAnswer)
{
    WriteFile(Path, "a\r\nb\r\nc\r\n");
    Form.show();
    SelectRow(1);

    Boxes.Answer = idNo;
    WriteFile(Path, "stale\r\n"); // shows that the file is written again
    Form.Button1Click();
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0], (TMessageBoxRequest { "确定要删除此条信息吗？", "提示", mbYesNoQuestion }));
    EXPECT_EQ(FileBytes(Path), "a\r\nb\r\nc\r\n");

    Boxes.Answer = idYes;
    Form.Button1Click();
    EXPECT_EQ(Listed(), (Entries { "a", "c" }));
    EXPECT_EQ(FileBytes(Path), "a\r\nc\r\n");

    // Nothing selected any more: Yes deletes nothing but still rewrites.
    Form.Button1Click();
    EXPECT_EQ(Listed(), (Entries { "a", "c" }));
}

TEST_F(HistoryFormTest, DeleteKeepsEntriesSavedWhileTheWindowIsOpen)
{
    WriteFile(Path, "a\r\nb\r\n");
    Form.show();
    THistoryFile::AppendEntry(Path, "new");
    SelectRow(0);
    Boxes.Answer = idYes;
    Form.Button1Click();
    EXPECT_EQ(Listed(), (Entries { "b", "new" }));
    EXPECT_EQ(FileBytes(Path), "b\r\nnew\r\n");
}

TEST_F(HistoryFormTest, MissingFileIsReportedAndAFollowingDeleteCreatesIt)
{
    Form.show();
    EXPECT_TRUE(Form.isVisible());
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0],
        (TMessageBoxRequest {
            "Cannot open file \"" + Path + "\". No such file or directory.", "Kelvara", mbIconStop }));
    EXPECT_EQ(Form.ListBox1->model()->rowCount(), 0);

    Boxes.Answer = idYes;
    Form.Button1Click();
    EXPECT_TRUE(QFile::exists(QString::fromStdString(Path)));
    EXPECT_EQ(FileBytes(Path), "");
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

    SelectRow(1);
    DoubleClickRow(1);
    EXPECT_EQ(chosen, QStringList { QStringLiteral("中") });
    EXPECT_FALSE(Form.isVisible());

    // Shown again: loaded again (the list follows the file).
    WriteFile(Path, "other\r\n");
    Form.show();
    EXPECT_EQ(Listed(), (Entries { "other" }));
}

// A history of a million entries, as "发送并保存" leaves it (duplicates and all): the window lists it without
// duplicates in file order, and an entry picked at the end of the list lands in the main window's send box.
TEST_F(HistoryFormTest, LargeHistoryListsEveryEntryAndHandsOneBack)
{
    const int distinct = 1'000'000;
    auto line = [](int i) { return "AT+SEND=" + std::to_string(i) + " \xD6\xD0\xCE\xC4\r\n"; };
    std::string bytes;
    std::size_t repeated = 0;
    bytes.reserve(distinct * 24);
    for (int i = 0; i < distinct; ++i) {
        bytes += line(i);
        if (i % 1000 == 999) {
            bytes += line(i - 500); // sent again
            repeated += line(i - 500).size();
        }
    }
    bytes += "last without a line break";
    WriteFile(Path, bytes);

    TMainForm main;
    main.SetWindows({ .Form2 = &Form });
    main.Button10Click();
    ASSERT_TRUE(Form.isVisible());
    EXPECT_TRUE(Boxes.Boxes.empty());

    const QAbstractItemModel *model = Form.ListBox1->model();
    ASSERT_EQ(model->rowCount(), distinct + 1);
    EXPECT_EQ(model->index(0, 0).data().toString(), QStringLiteral("AT+SEND=0 中文"));
    EXPECT_EQ(model->index(1, 0).data().toString(), QStringLiteral("AT+SEND=1 中文"));
    EXPECT_EQ(model->index(distinct - 1, 0).data().toString(), QStringLiteral("AT+SEND=999999 中文"));
    EXPECT_EQ(model->index(distinct, 0).data().toString(), QStringLiteral("last without a line break"));

    // What a screen reader gets: every row through the list's table interface, made only when asked for.
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(Form.ListBox1);
    ASSERT_NE(list, nullptr);
    ASSERT_NE(list->tableInterface(), nullptr);
    ASSERT_EQ(list->tableInterface()->rowCount(), distinct + 1);
    EXPECT_EQ(list->tableInterface()->cellAt(distinct, 0)->text(QAccessible::Name),
        QStringLiteral("last without a line break"));

    std::string rewritten = FileBytes(Path);
    EXPECT_EQ(rewritten.size(), bytes.size() - repeated + 2);
    EXPECT_TRUE(rewritten.starts_with("AT+SEND=0 \xD6\xD0\xCE\xC4\r\nAT+SEND=1 "));
    EXPECT_TRUE(rewritten.ends_with("AT+SEND=999999 \xD6\xD0\xCE\xC4\r\nlast without a line break\r\n"));

    // Into the list at its top with the keyboard, to the end, one up, and a double click on that row.
    for (Qt::Key key : { Qt::Key_Home, Qt::Key_End, Qt::Key_Up }) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(Form.ListBox1, &press);
    }
    EXPECT_EQ(Form.ListBox1->verticalScrollBar()->value(), Form.ListBox1->verticalScrollBar()->maximum());
    DoubleClickRow(distinct - 1);
    EXPECT_EQ(main.Memo2->toPlainText(), QStringLiteral("AT+SEND=999999 中文"));
    EXPECT_FALSE(Form.isVisible());
}

// Walks the tree below node depth first, asking every node for each of its children as a client walking the window
// tree does, and stops after `budget` nodes. Returns the number of nodes reached.
std::size_t WalkAccessibleTree(QAccessibleInterface *node, std::size_t budget)
{
    std::size_t reached = 1;
    const int children = node->childCount();
    for (int i = 0; i < children && reached < budget; ++i)
        if (QAccessibleInterface *child = node->child(i))
            reached += WalkAccessibleTree(child, budget - reached);
    return reached;
}

// The texts of the list's children, top to bottom.
QStringList ChildTexts(QAccessibleInterface *list)
{
    QStringList texts;
    for (int i = 0; i < list->childCount(); ++i)
        texts << list->child(i)->text(QAccessible::Name);
    return texts;
}

// Two million entries: a client that walks the open window's tree finishes after a few dozen nodes instead of being
// handed every entry, and still reads any row it asks for and the rows on screen as the list's children.
TEST_F(HistoryFormTest, AccessibilityClientWalksALargeHistoryWithoutEveryEntry)
{
    const int count = 2'000'000;
    std::string bytes;
    bytes.reserve(count * 25);
    for (int i = 0; i < count; ++i)
        bytes += "AT+DATA=" + std::to_string(i) + " 0123456789\r\n";
    WriteFile(Path, bytes);
    Form.show();
    ASSERT_EQ(Form.ListBox1->model()->rowCount(), count);

    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(&Form);
    ASSERT_NE(window, nullptr);
    const std::size_t budget = 10'000;
    EXPECT_LT(WalkAccessibleTree(window, budget), std::size_t(200)) << "the walk was handed the entries";

    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(Form.ListBox1);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::List);
    QAccessibleTableInterface *table = list->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), count);
    for (int row : { 0, 1'234'567, count - 1 }) {
        QAccessibleInterface *cell = table->cellAt(row, 0);
        ASSERT_NE(cell, nullptr) << row;
        EXPECT_EQ(cell->text(QAccessible::Name), QString("AT+DATA=%1 0123456789").arg(row));
        EXPECT_EQ(cell->role(), QAccessible::ListItem);
        EXPECT_EQ(cell->parent(), list);
        EXPECT_EQ(table->cellAt(row, 0), cell) << "one interface per row";
    }
    EXPECT_EQ(table->cellAt(count, 0), nullptr);

    // The children are the rows on screen, and follow the scrolling.
    const QStringList top = ChildTexts(list);
    ASSERT_GE(top.size(), 2);
    EXPECT_LT(top.size(), 100);
    EXPECT_EQ(top.front(), QStringLiteral("AT+DATA=0 0123456789"));
    for (int i = 0; i < list->childCount(); ++i)
        EXPECT_EQ(list->indexOfChild(list->child(i)), i);
    EXPECT_EQ(list->indexOfChild(table->cellAt(count - 1, 0)), -1) << "not on screen";
    Form.ListBox1->scrollToBottom();
    const QStringList bottom = ChildTexts(list);
    ASSERT_FALSE(bottom.isEmpty());
    EXPECT_EQ(bottom.back(), QString("AT+DATA=%1 0123456789").arg(count - 1));

    // Selecting through the table interface is selecting in the list; a reload leaves no row interface behind.
    EXPECT_TRUE(table->selectRow(count - 2));
    EXPECT_EQ(Form.ListBox1->currentIndex().row(), count - 2);
    EXPECT_EQ(table->selectedRows(), QList<int> { count - 2 });
    EXPECT_TRUE(table->cellAt(count - 2, 0)->tableCellInterface()->isSelected());
    WriteFile(Path, "only\r\n");
    Form.hide();
    Form.show();
    EXPECT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->cellAt(0, 0)->text(QAccessible::Name), QStringLiteral("only"));
    EXPECT_EQ(ChildTexts(list), QStringList { QStringLiteral("only") });
}

} // namespace
