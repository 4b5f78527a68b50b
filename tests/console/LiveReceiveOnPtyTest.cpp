// The main window receiving from a pty that sends a short line every 50 ms: never a pause as long as the read
// interval, so only the limit on how long a read may hold its first byte keeps the lines live.
#include "comm/SerialComm.h"
#include "console/MainForm.h"
#include "console/ReceivePane.h"
#include "tests/support/Pty.h"

#include <QApplication>
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

} // namespace
