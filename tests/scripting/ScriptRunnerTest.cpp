// SPDX-License-Identifier: GPL-3.0-or-later
// The script engine without a port: the sandbox, errors, the stop request, and expect's matching rules.
#include "scripting/ScriptRunner.h"

#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{

using namespace std::chrono_literals;

// Hooks that record what a script sends and logs; safe from the script's thread.
class TRecorder
{
public:
    TScriptHooks Hooks()
    {
        return {
            .Send =
                [this](std::string_view bytes) {
                    if (!PortOpen)
                        return THookReply::PortClosed;
                    if (Refusals > 0) {
                        --Refusals;
                        return THookReply::Busy;
                    }
                    std::this_thread::sleep_for(SendTakes.load());
                    return Add(Sent, "send:" + std::string(bytes));
                },
            .SetDtr = [this](bool on) { return Add(Sent, on ? "dtr:1" : "dtr:0"); },
            .SetRts = [this](bool on) { return Add(Sent, on ? "rts:1" : "rts:0"); },
            .Log = [this](std::string_view text) { return Add(Logged, std::string(text)); },
        };
    }

    std::vector<std::string> Logs()
    {
        std::lock_guard lock(FMutex);
        return Logged;
    }
    std::vector<std::string> Sends()
    {
        std::lock_guard lock(FMutex);
        return Sent;
    }
    // Waits until the script has logged count lines.
    bool WaitForLogs(std::size_t count, std::chrono::milliseconds limit = 5s)
    {
        std::unique_lock lock(FMutex);
        return FChanged.wait_for(lock, limit, [&] { return Logged.size() >= count; });
    }

    THookReply Add(std::vector<std::string> &to, std::string item)
    {
        {
            std::lock_guard lock(FMutex);
            to.push_back(std::move(item));
        }
        FChanged.notify_all();
        return THookReply::Taken;
    }

    // Sends the hook refuses (the port's thread is busy) before it takes one.
    std::atomic<int> Refusals = 0;
    std::atomic<bool> PortOpen = true;
    // How long the send hook takes: a stand-in for a script stuck where the stop request cannot reach it.
    std::atomic<std::chrono::milliseconds> SendTakes = 0ms;

private:
    std::mutex FMutex;
    std::condition_variable FChanged;
    std::vector<std::string> Sent;
    std::vector<std::string> Logged;
};

TScriptOutcome RunHere(const std::string &source, TRecorder &recorder, std::vector<std::string> allowed = {})
{
    TScriptInput input;
    return TScriptRunner::Run(source, "=脚本", std::move(allowed), input, recorder.Hooks());
}

TEST(ScriptSandbox, OnlyTheHarmlessPartsOfTheLibrariesAreThere)
{
    const std::pair<const char *, const char *> cases[] = {
        { "os.execute", "nil" },
        { "os.remove", "nil" },
        { "os.getenv", "nil" },
        { "io.popen", "nil" },
        { "io.lines", "nil" },
        { "require", "nil" },
        { "package", "nil" },
        { "dofile", "nil" },
        { "loadfile", "nil" },
        { "debug", "nil" },
        { "type(os.time())", "number" },
        { "type(os.clock())", "number" },
        { "os.date('%Y', 0)", "1970" },
        { "string.format('%03d', math.max(7, 2))", "007" },
        { "table.concat({1, 2}, ',')", "1,2" },
        { "load('return 1 + 1')()", "2" },
        { "select(2, load(string.dump(function() end)))", "attempt to load a binary chunk (mode is 't')" },
        { "select(2, pcall(load, string.dump(function() end), 'x', 'b'))", "nil" },
    };
    for (const auto &[expression, shown] : cases) {
        TRecorder recorder;
        TScriptOutcome outcome = RunHere(std::string("port.log(tostring(") + expression + "))", recorder);
        EXPECT_EQ(outcome.Kind, TScriptOutcome::Finished) << expression << ": " << outcome.Message;
        EXPECT_EQ(recorder.Logs(), std::vector<std::string> { shown }) << expression;
    }
}

TEST(ScriptSandbox, IoOpenOpensOnlyTheChosenFiles)
{
    const std::filesystem::path folder
        = std::filesystem::temp_directory_path() / ("kelvara-script-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "sub");
    const std::string chosen = (folder / "chosen.txt").string();
    std::ofstream(chosen) << "first line\n";
    std::ofstream(folder / "other.txt") << "secret\n";

    TRecorder recorder;
    const std::string script = "local f = assert(io.open('" + (folder / "sub/../chosen.txt").string()
        + "'))\nport.log(f:read('l'))\nf:close()\n"
          "local g, message = io.open('"
        + (folder / "other.txt").string()
        + "')\nport.log(tostring(g), message)\n"
          "local w = assert(io.open('"
        + chosen + "', 'a'))\nw:write('second\\n')\nw:close()\n";
    TScriptOutcome outcome = RunHere(script, recorder, { chosen });
    EXPECT_EQ(outcome.Kind, TScriptOutcome::Finished) << outcome.Message;
    ASSERT_EQ(recorder.Logs().size(), 2u);
    EXPECT_EQ(recorder.Logs()[0], "first line");
    EXPECT_EQ(recorder.Logs()[1], "nil\t" + (folder / "other.txt").string() + ": 只能打开在对话框中选择的文件");
    std::ifstream written(chosen);
    std::string all((std::istreambuf_iterator<char>(written)), {});
    EXPECT_EQ(all, "first line\nsecond\n");
    std::filesystem::remove_all(folder);
}

TEST(ScriptRunner, AnErrorGivesItsMessageWithTheLine)
{
    const std::pair<const char *, const char *> cases[] = {
        { "local a = 1\nlocal b = nil\nb()", "脚本:3: attempt to call a nil value (local 'b')" },
        { "x = 1\nerror('no prompt')", "脚本:2: no prompt" },
        { "port.log('a')\nport.sendhex('AA 5')", "脚本:2: 十六进制格式错误：第 4 个字符" },
        { "port.expect('(', 10)", "unfinished capture" },
        { "port.log('a')\nport.expect('[', 10)", "脚本:2: malformed pattern" },
        { "setmetatable({}, {__gc = function() end})", "脚本:1: 脚本不能使用 __gc" },
        { "error(('x'):rep(5e7))", "xxx…（共 50000010 字节）" },
        { "while true do\nend end", "脚本:2: <eof> expected near 'end'" },
        { "os.execute('true')", "脚本:1: attempt to call a nil value (field 'execute')" },
        { "local s = string.rep('x', 1 << 30)", "not enough memory" },
    };
    for (const auto &[source, message] : cases) {
        TRecorder recorder;
        TScriptOutcome outcome = RunHere(source, recorder);
        EXPECT_EQ(outcome.Kind, TScriptOutcome::Failed) << source;
        EXPECT_NE(outcome.Message.find(message), std::string::npos)
            << source << " gave " << outcome.Message.substr(0, 200);
        EXPECT_LE(outcome.Message.size(), MaxLogBytes + 40) << source;
    }
}

TEST(ScriptRunner, PortCallsReachTheHooksInOrderASendWaitingWhileThePortIsBusy)
{
    TRecorder recorder;
    recorder.Refusals = 3;
    TScriptOutcome outcome = RunHere(
        "port.send('AT\\r\\n')\nport.sendhex('aa,55')\nport.dtr(false)\nport.rts(true)\nprint('x', 1, nil)", recorder);
    EXPECT_EQ(outcome.Kind, TScriptOutcome::Finished) << outcome.Message;
    EXPECT_EQ(
        recorder.Sends(), (std::vector<std::string> { "send:AT\r\n", std::string("send:\xAA\x55"), "dtr:0", "rts:1" }));
    EXPECT_EQ(recorder.Logs(), std::vector<std::string> { "x\t1\tnil" });
}

// Starts a script on the runner's thread and returns how long Stop took.
std::chrono::milliseconds StopAfterStart(const std::string &source, TScriptOutcome &outcome)
{
    TRecorder recorder;
    TScriptRunner runner(recorder.Hooks());
    std::mutex mutex;
    bool done = false;
    runner.Start("port.log('started')\n" + source, "=脚本", {}, [&](const TScriptOutcome &ended) {
        std::lock_guard lock(mutex);
        outcome = ended;
        done = true;
    });
    EXPECT_TRUE(recorder.WaitForLogs(1));
    std::this_thread::sleep_for(20ms); // well into the loop or the wait
    const auto before = std::chrono::steady_clock::now();
    runner.Stop();
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - before);
    EXPECT_FALSE(runner.Running());
    std::lock_guard lock(mutex);
    EXPECT_TRUE(done);
    return took;
}

TEST(ScriptRunner, StopEndsAnyScriptWithin100Ms)
{
    const std::pair<const char *, const char *> cases[] = {
        { "endless loop", "while true do end" },
        { "loop that catches errors", "while true do pcall(function() while true do end end) end" },
        { "blocked in expect", "port.expect('never', 60000)" },
        { "blocked in read", "port.read(60000)" },
        { "asleep", "port.sleep(60000)" },
        { "sending in a loop", "while true do port.send('x') end" },
        { "stop caught by pcall", "pcall(port.sleep, 60000) while true do end" },
        { "looping in xpcall's handler", "xpcall(error, function() while true do end end)" },
        { "looping in xpcall's handler for the stop",
            "xpcall(function() while true do end end, function() while true do end end)" },
        { "read for longer than a clock counts", "port.read(9.2e12)" },
        { "expect for the largest integer", "port.expect('never', math.maxinteger)" },
        { "asleep for longer than a clock counts", "port.sleep(1e300)" },
    };
    for (const auto &[name, source] : cases) {
        TScriptOutcome outcome;
        const std::chrono::milliseconds took = StopAfterStart(source, outcome);
        EXPECT_LT(took.count(), 100) << name;
        EXPECT_EQ(outcome.Kind, TScriptOutcome::Stopped) << name << ": " << outcome.Message;
    }
}

TEST(ScriptRunner, AScriptStuckInABuiltInCallIsAbandonedAndItsThreadNeverWaitedFor)
{
    const std::pair<const char *, const char *> cases[] = {
        { "backtracking find", "string.find(('a'):rep(1e5), '.-.-.-.-b')" },
        { "plain find", "local s = ('a'):rep(2e7) string.find(s, s:sub(1, 1e7) .. 'b', 1, true)" },
        { "expect over a megabyte", "port.expect('(.-)(.-)(.-)%d', 60000)" },
    };
    for (const bool destroy : { false, true })
        for (const auto &[name, source] : cases) {
            TRecorder recorder;
            auto runner = std::make_unique<TScriptRunner>(recorder.Hooks());
            std::atomic<bool> finished = false;
            runner->Start(std::string("port.log('started')\n") + source + "\nport.log('after')", "=脚本", {},
                [&](const TScriptOutcome &) { finished = true; });
            runner->Received(std::string(1 << 20, 'x'));
            ASSERT_TRUE(recorder.WaitForLogs(1)) << name;
            std::this_thread::sleep_for(50ms); // inside the call
            const auto before = std::chrono::steady_clock::now();
            if (destroy) {
                runner.reset();
            } else {
                EXPECT_EQ(runner->Stop(), TScriptRunner::TStopResult::Abandoned) << name;
                EXPECT_FALSE(runner->Running()) << name;
            }
            EXPECT_LT(std::chrono::steady_clock::now() - before, 3s) << name << (destroy ? " (destroyed)" : "");
            EXPECT_FALSE(finished) << name;
        }
}

TEST(ScriptRunner, AnAbandonedScriptReachesNoHookAgain)
{
    // The script blocks in a read of a pipe, where the stop request cannot reach it, until the test writes; by then
    // it has been abandoned, and its next port call and its end reach nobody.
    const std::string fifo
        = (std::filesystem::temp_directory_path() / ("kelvara-fifo-" + std::to_string(::getpid()))).string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    TRecorder recorder;
    TScriptRunner runner(recorder.Hooks());
    std::atomic<bool> finished = false;
    runner.Start("local f = io.open('" + fifo + "')\nport.log('started')\nf:read('l')\nport.log('after')", "=脚本",
        { fifo }, [&](const TScriptOutcome &) { finished = true; });
    const int writer = ::open(fifo.c_str(), O_WRONLY); // waits for the script to open its end
    ASSERT_GE(writer, 0);
    ASSERT_TRUE(recorder.WaitForLogs(1));
    EXPECT_EQ(runner.Stop(), TScriptRunner::TStopResult::Abandoned);
    EXPECT_EQ(::write(writer, "go\n", 3), 3);
    ::close(writer);
    std::this_thread::sleep_for(300ms); // the script runs on past its read
    EXPECT_EQ(recorder.Logs(), std::vector<std::string> { "started" });
    EXPECT_FALSE(finished);
    EXPECT_EQ(runner.Stop(), TScriptRunner::TStopResult::NotRunning);
    std::filesystem::remove(fifo);
}

TEST(ScriptRunner, ASendOnAClosedPortGivesFalseAndTheReasonAndASendThatGoesGivesNothing)
{
    TRecorder recorder;
    recorder.PortOpen = false;
    TScriptOutcome outcome = RunHere("print(port.send('x'))\nprint(port.sendhex('41'))", recorder);
    EXPECT_EQ(outcome.Kind, TScriptOutcome::Finished) << outcome.Message;
    EXPECT_EQ(recorder.Logs(), (std::vector<std::string> { "false\t串口未打开", "false\t串口未打开" }));
    EXPECT_TRUE(recorder.Sends().empty());

    recorder.PortOpen = true;
    outcome = RunHere("print(select('#', port.send('x')))", recorder);
    EXPECT_EQ(recorder.Logs().back(), "0");
}

TEST(ScriptRunner, BytesDroppedUnreadAreToldBeforeTheNextRead)
{
    TRecorder recorder;
    TScriptInput input;
    input.Push(std::string(TScriptInput::MaxPending / 2, 'a'));
    input.Push(std::string(TScriptInput::MaxPending, 'b'));
    TScriptOutcome outcome = TScriptRunner::Run(
        "print(#port.read(0))\nprint(tostring(port.read(0)))", "=脚本", {}, input, recorder.Hooks());
    EXPECT_EQ(outcome.Kind, TScriptOutcome::Finished) << outcome.Message;
    ASSERT_EQ(recorder.Logs().size(), 3u);
    EXPECT_NE(
        recorder.Logs()[0].find("已丢弃 " + std::to_string(TScriptInput::MaxPending / 2) + " 字节"), std::string::npos)
        << recorder.Logs()[0];
    EXPECT_EQ(recorder.Logs()[1], std::to_string(TScriptInput::MaxPending));
    EXPECT_EQ(recorder.Logs()[2], "nil") << "told once";
}

TEST(ScriptRunner, ExpectMatchesAcrossArrivalsAndTakesUpToTheMatch)
{
    TRecorder recorder;
    TScriptRunner runner(recorder.Hooks());
    std::atomic<bool> finished = false;
    TScriptOutcome outcome;
    runner.Start(R"(
        port.log(tostring(port.expect('login:', 5000)))
        port.log(table.concat({port.expect('(%a+)=(%d+);', 5000)}, ','))
        port.log(tostring(port.expect('never', 50)))
        port.log(port.read(5000))
        port.log(tostring(port.read(0)))
    )",
        "=脚本", {}, [&](const TScriptOutcome &ended) {
            outcome = ended;
            finished = true;
        });
    runner.Received("noise log");
    std::this_thread::sleep_for(10ms);
    runner.Received("in: temp=2");
    std::this_thread::sleep_for(10ms);
    runner.Received("1;rest");
    ASSERT_TRUE(recorder.WaitForLogs(5));
    runner.Stop();
    EXPECT_EQ(outcome.Kind, TScriptOutcome::Finished) << outcome.Message;
    EXPECT_EQ(recorder.Logs(), (std::vector<std::string> { "login:", "temp,21", "nil", "rest", "nil" }))
        << "a timeout takes nothing; a match takes up to its end";
}

} // namespace
