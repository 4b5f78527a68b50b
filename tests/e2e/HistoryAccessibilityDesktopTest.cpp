// SPDX-License-Identifier: GPL-3.0-or-later
// The real program on a private X desktop with its widgets on the accessibility bus, as with a screen reader or a
// test tool running: a client opens "历史数据" over a history of two million entries and walks the whole window tree
// the way such clients do, asking every node for its children. The walk must end after the windows' own controls,
// with the history's rows reachable through the list's table interface, and the program must keep answering.
#include "tests/e2e/AccessibilityClient.h"
#include "tests/e2e/DesktopSupport.h"

#include <QCoreApplication>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace
{

class HistoryOnTheAccessibilityBus : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(GDesktopReady) << GDesktopProblem;
        char pattern[] = "/tmp/kelvara-a11y-e2e-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        Folder = pattern;
        fs::copy_file(KELVARA_PROGRAM, Folder / "kelvara");
        // A portable copy: its history is the one beside it.
        std::ofstream(Folder / "portable").close();
        std::ofstream history(Folder / "txt.txt", std::ios::binary);
        for (int i = 0; i < Entries; ++i)
            history << "AT+DATA=" << i << " 0123456789abcd\r\n";
    }

    void TearDown() override
    {
        Program.Stop();
        std::error_code ignored;
        fs::remove_all(Folder, ignored);
    }

    static constexpr int Entries = 2'000'000;
    fs::path Folder;
    TChild Program;
};

TEST_F(HistoryOnTheAccessibilityBus, AClientWalksTheOpenHistoryWindowAndReadsAnyRowOnRequest)
{
    ASSERT_TRUE(Program.Start(
        { (Folder / "kelvara").string() }, { "KELVARA_REPORT_SHOWN=1", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1" }));
    for (;;) {
        std::string line = Program.ReadLine(15s, true);
        ASSERT_FALSE(line.empty()) << "the program did not show its main window";
        if (line.rfind("kelvara-shown ", 0) == 0)
            break;
    }
    TAccessibilityClient client;
    ASSERT_TRUE(client.Connect()) << "no accessibility bus";

    // The program's application node, once it has registered.
    std::optional<TNode> application;
    ASSERT_TRUE(WaitFor(
        [&] {
            QString error;
            for (const TNode &candidate : client.Applications(error)) {
                TWalk walk;
                Walk(client, candidate, 5000, QStringLiteral("push button"), QStringLiteral("历史数据"), walk);
                if (walk.Found) {
                    application = candidate;
                    return client.Call(*walk.Found, "org.a11y.atspi.Action", "DoAction", { 0 }).type()
                        == QDBusMessage::ReplyMessage;
                }
            }
            return false;
        },
        20s, [] { QCoreApplication::processEvents(); }))
        << "no \"历史数据\" button on the accessibility bus";

    // The history window is open once its list holds the entries.
    TWalk walk;
    ASSERT_TRUE(WaitFor(
        [&] {
            walk = {};
            Walk(client, *application, 10'000, QStringLiteral("filler"), QStringLiteral("历史数据"), walk);
            return walk.Found.has_value() || !walk.Error.isEmpty();
        },
        30s))
        << "the history window did not open";

    // A whole walk of the program's tree, as a client walking the window tree makes it.
    walk = {};
    Walk(client, *application, 10'000, QString(), QString(), walk);
    EXPECT_TRUE(walk.Error.isEmpty()) << walk.Error.toStdString();
    EXPECT_LT(walk.Reached, 5000) << "the walk was handed the history's entries";

    // The history list: its rows on screen as children, every row on request through its table interface.
    std::optional<TNode> list;
    QString error;
    TWalk window;
    Walk(client, *application, 10'000, QStringLiteral("filler"), QStringLiteral("历史数据"), window);
    ASSERT_TRUE(window.Found);
    for (const TNode &child : client.Children(*window.Found, error))
        if (client.Role(child) == QStringLiteral("list"))
            list = child;
    ASSERT_TRUE(list) << error.toStdString();
    const QList<TNode> shown = client.Children(*list, error);
    ASSERT_FALSE(shown.isEmpty()) << error.toStdString();
    EXPECT_LT(shown.size(), 100);
    EXPECT_EQ(client.Name(shown.front()), QStringLiteral("AT+DATA=0 0123456789abcd"));

    QDBusMessage rows = client.Call(*list, PropertiesInterface, "Get", { "org.a11y.atspi.Table", "NRows" });
    ASSERT_EQ(rows.type(), QDBusMessage::ReplyMessage) << rows.errorMessage().toStdString();
    EXPECT_EQ(rows.arguments().first().value<QDBusVariant>().variant().toInt(), Entries);
    const TNode last = NodeOf(client.Call(*list, "org.a11y.atspi.Table", "GetAccessibleAt", { Entries - 1, 0 }));
    EXPECT_EQ(client.Name(last), QString("AT+DATA=%1 0123456789abcd").arg(Entries - 1));

    // And the program still answers.
    EXPECT_EQ(client.Role(*application), QStringLiteral("application"));
}

} // namespace
