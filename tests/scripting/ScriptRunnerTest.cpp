// SPDX-License-Identifier: GPL-3.0-or-later
// The script engine without a port: the sandbox, errors, the stop request, and expect's matching rules.
#include "scripting/ScriptRunner.h"

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
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
                [this](std::string bytes) {
                    if (Refusals > 0) {
                        --Refusals;
                        return false;
                    }
                    Add(Sent, "send:" + bytes);
                    return true;
                },
            .SetDtr = [this](bool on) { Add(Sent, on ? "dtr:1" : "dtr:0"); },
            .SetRts = [this](bool on) { Add(Sent, on ? "rts:1" : "rts:0"); },
            .Log = [this](std::string text) { Add(Logged, std::move(text)); },
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

    void Add(std::vector<std::string> &to, std::string item)
    {
        {
            std::lock_guard lock(FMutex);
            to.push_back(std::move(item));
        }
        FChanged.notify_all();
    }

    // Sends the hook refuses (the port's thread is busy) before it takes one.
    std::atomic<int> Refusals = 0;

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
        { "while true do\nend end", "脚本:2: <eof> expected near 'end'" },
        { "os.execute('true')", "脚本:1: attempt to call a nil value (field 'execute')" },
        { "local s = string.rep('x', 1 << 30)", "not enough memory" },
    };
    for (const auto &[source, message] : cases) {
        TRecorder recorder;
        TScriptOutcome outcome = RunHere(source, recorder);
        EXPECT_EQ(outcome.Kind, TScriptOutcome::Failed) << source;
        EXPECT_NE(outcome.Message.find(message), std::string::npos) << source << " gave " << outcome.Message;
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
    };
    for (const auto &[name, source] : cases) {
        TScriptOutcome outcome;
        const std::chrono::milliseconds took = StopAfterStart(source, outcome);
        EXPECT_LT(took.count(), 100) << name;
        EXPECT_EQ(outcome.Kind, TScriptOutcome::Stopped) << name << ": " << outcome.Message;
    }
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
