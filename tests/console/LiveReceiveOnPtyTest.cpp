// SPDX-License-Identifier: GPL-3.0-or-later
// The main window receiving from a pty that sends a short line every 50 ms: never a pause as long as the read
// interval, so only the limit on how long a read may hold its first byte keeps the lines live.
#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "comm/SerialComm.h"
#include "console/MainForm.h"
#include "console/receive/ReceiveLog.h"
#include "console/receive/ReceivePane.h"
#include "console/receive/ReceiveView.h"
#include "tests/support/Pty.h"

#include <QApplication>
#include <QDateTime>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{

using namespace std::chrono_literals;
using TClock = std::chrono::steady_clock;

// The line's number when it is one of the writer's lines, else -1.
int LineNumber(const QString &line)
{
    bool ok = false;
    int n = line.size() == 5 ? line.toInt(&ok) : -1;
    return ok ? n : -1;
}

TEST(LiveReceiveOnPty, ALineEvery50msShowsInTheReceivePaneWithin200ms)
{
    TPty pty { TPty::Raw };
    ASSERT_TRUE(pty.Valid());
    TMainForm form;
    form.show();
    form.Comm1->SetCommName(pty.SlavePath);
    form.Comm1->OpenPort();
    ASSERT_TRUE(form.Comm1->IsOpen());

    constexpr int Lines = 60; // 3 s
    std::vector<TClock::time_point> written(Lines);
    std::vector<TClock::time_point> shown(Lines);
    std::vector<bool> seen(Lines, false);
    std::thread writer([&] {
        TClock::time_point next = TClock::now();
        for (int i = 0; i < Lines; ++i) {
            std::this_thread::sleep_until(next);
            char line[16];
            std::snprintf(line, sizeof line, "%05d\r\n", i);
            written[i] = TClock::now();
            pty.Write(line);
            next += 50ms;
        }
    });

    // A line counts as shown once the pane's view has caught up with a model that holds it.
    int seenCount = 0;
    uint64_t scanned = 0;
    TClock::time_point limit = TClock::now() + 15s;
    while (seenCount < Lines && TClock::now() < limit) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        if (form.Memo1->RefreshPending()) {
            usleep(500);
            continue;
        }
        TClock::time_point now = TClock::now();
        uint64_t count = form.Memo1->LineCount();
        for (; scanned < count; ++scanned) {
            int n = LineNumber(form.Memo1->LineText(scanned));
            if (n >= 0 && n < Lines && !seen[n]) {
                seen[n] = true;
                shown[n] = now;
                ++seenCount;
            }
        }
        // The last line may still grow; look at it again next time.
        if (scanned > 0)
            --scanned;
        usleep(500);
    }
    writer.join();
    ASSERT_EQ(seenCount, Lines);

    std::vector<double> latencies;
    for (int i = 0; i < Lines; ++i)
        latencies.push_back(std::chrono::duration<double, std::milli>(shown[i] - written[i]).count());
    std::vector<double> sorted = latencies;
    std::sort(sorted.begin(), sorted.end());
    double median = sorted[Lines / 2];
    double p95 = sorted[Lines * 95 / 100];
    double worst = sorted.back();
    std::printf("line latency: median %.1f ms, 95th percentile %.1f ms, worst %.1f ms\n", median, p95, worst);
    // The engine holds a byte at most about 100 ms; the rest is posting and one refresh of the pane (60 a second),
    // so each line is due within 200 ms. On a shared machine under heavy load single wake-ups come late (a worst
    // case of 450 ms was seen at a load of 10 on 2 cores), so the typical line carries the 200 ms bound and every
    // line must stay under a second. Held lines, the fault this guards against, wait until the writer stops: seconds.
    EXPECT_LT(median, 150.0);
    EXPECT_LT(worst, 1000.0);
}

// A device at 4800 baud: a byte every 2 ms, so the reads (at most 100 ms from their first byte) cut most lines in
// two. Every value is plotted once, whole.
TEST(LiveReceiveOnPty, ValuesSentAt4800BaudArePlottedWholeWhereverTheReadsCutThem)
{
    TPty pty { TPty::Raw };
    ASSERT_TRUE(pty.Valid());
    TMainForm form;
    form.Comm1->SetCommName(pty.SlavePath);
    form.Comm1->OpenPort();
    ASSERT_TRUE(form.Comm1->IsOpen());

    std::vector<double> sent;
    // A line break first: what comes before the first one after an opening may be the end of a cut line.
    std::string stream = "\n";
    for (int i = 0; i < 30; ++i) {
        sent.push_back(500000000 + i * 7);
        stream += std::to_string(500000000 + i * 7) + (i % 2 ? "\n" : "\r\n");
    }
    sent.push_back(512); // a short value, as an analog reading prints it
    stream += "512\n";
    std::thread writer([&] {
        TClock::time_point next = TClock::now();
        for (char c : stream) {
            std::this_thread::sleep_until(next);
            pty.Write(std::string(1, c));
            next += 2ms;
        }
    });

    const TPlotChannel &channel = *form.Plot1->Channel(0);
    const TClock::time_point limit = TClock::now() + 15s;
    while (channel.Count() < static_cast<int>(sent.size()) && TClock::now() < limit)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    writer.join();
    std::vector<double> plotted;
    for (int i = 0; i < channel.Count(); ++i)
        plotted.push_back(channel.Y(i));
    EXPECT_EQ(plotted, sent);
    EXPECT_GT(form.Memo1->Log()->EndChunk(), 2u) << "the stream came in several reads";
}

// A line every 50 ms with timestamps on: every line carries its own stamp, the time its last byte came, however the
// reads group the lines.
TEST(LiveReceiveOnPty, EveryLineOfASteadyStreamCarriesTheTimeItArrived)
{
    TPty pty { TPty::Raw };
    ASSERT_TRUE(pty.Valid());
    TMainForm form;
    form.SetOptions({ .View = { .Timestamps = true } });
    form.Comm1->SetCommName(pty.SlavePath);
    form.Comm1->OpenPort();
    ASSERT_TRUE(form.Comm1->IsOpen());

    constexpr int Lines = 30;
    std::vector<int64_t> written(Lines); // milliseconds since the epoch
    std::thread writer([&] {
        TClock::time_point next = TClock::now();
        for (int i = 0; i < Lines; ++i) {
            std::this_thread::sleep_until(next);
            char line[16];
            std::snprintf(line, sizeof line, "%05d\r\n", i);
            written[i] = QDateTime::currentMSecsSinceEpoch();
            pty.Write(line);
            next += 50ms;
        }
    });
    const TClock::time_point limit = TClock::now() + 15s;
    while (form.Memo1->LineCount() < Lines && TClock::now() < limit)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    writer.join();
    ASSERT_EQ(form.Memo1->LineCount(), static_cast<uint64_t>(Lines));
    const TReceiveLog &log = *form.Memo1->Log();
    for (int i = 0; i < Lines; ++i) {
        const QString shown = form.Memo1->LineText(i);
        EXPECT_TRUE(shown.startsWith(QString::fromStdString(TimestampPrefix(log.LineArrival(i)))))
            << shown.toStdString();
        EXPECT_TRUE(shown.endsWith(QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0')))) << shown.toStdString();
        // Dated by when the line's last byte left the kernel, not when the read that held it ended (up to 100 ms on).
        EXPECT_GE(log.LineArrival(i), written[i] - 1) << i;
        EXPECT_LE(log.LineArrival(i), written[i] + 60) << i;
    }
}

} // namespace
