// SPDX-License-Identifier: GPL-3.0-or-later
// The real program on a private X desktop with a pty as its serial device: a copy of the executable in a folder of
// its own, whose setfile.ini names the pty. The test clicks and types through the X server as a user would: open the
// port, receive, send ABC, and save the received text through the save dialog; switch the chart to multi-channel
// mode from its menu and export the plotted data; maximize the main window through the window manager; watch a sine
// held still by the chart's trigger; read a sine and a cosine through the instrument windows.
#include "decoders/Checksum.h"
#include "settings/ExtensionSettings.h"
#include "settings/PortSettings.h"
#include "tests/e2e/AccessibilityClient.h"
#include "tests/e2e/DesktopSupport.h"
#include "tests/support/FileBytes.h"
#include "tests/support/Pty.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <atomic>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <numbers>
#include <set>
#include <sstream>
#include <termios.h>
#include <thread>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace
{

// Viewable windows of the program big enough not to be the tray icon.
std::vector<TXWindow> ProgramWindows()
{
    std::vector<TXWindow> found;
    for (const TXWindow &w : ListWindows())
        if (w.Class == "Kelvara" && w.Width > 32 && w.Height > 32 && IsViewable(w.Id))
            found.push_back(w);
    return found;
}

std::set<unsigned long> Ids(const std::vector<TXWindow> &windows)
{
    std::set<unsigned long> ids;
    for (const TXWindow &w : windows)
        ids.insert(w.Id);
    return ids;
}

// A screenshot of a window as rows of RGB pixels.
struct TShot {
    int Width = 0, Height = 0;
    std::string Pixels; // 3 bytes a pixel

    // Pixels within the rectangle that differ from those of `other`, a shot of the same size.
    int Differing(const TShot &other, int left, int top, int width, int height) const
    {
        int count = 0;
        for (int y = std::max(top, 0); y < std::min(top + height, Height); ++y)
            for (int x = std::max(left, 0); x < std::min(left + width, Width); ++x) {
                const std::size_t at = (std::size_t(y) * Width + x) * 3;
                count += Pixels.compare(at, 3, other.Pixels, at, 3) != 0;
            }
        return count;
    }

    // Whether `rows` rows from `top` within the columns [left, right) are those from `otherTop` in `other`.
    bool SameRows(int top, const TShot &other, int otherTop, int rows, int left, int right) const
    {
        for (int y = 0; y < rows; ++y)
            for (int x = left; x < right; ++x) {
                const std::size_t at = (std::size_t(top + y) * Width + x) * 3;
                const std::size_t otherAt = (std::size_t(otherTop + y) * other.Width + x) * 3;
                if (top + y >= Height || otherTop + y >= other.Height || x >= Width || x >= other.Width
                    || Pixels.compare(at, 3, other.Pixels, otherAt, 3) != 0)
                    return false;
            }
        return true;
    }

    bool Is(int x, int y, unsigned char r, unsigned char g, unsigned char b) const
    {
        const std::size_t at = (std::size_t(y) * Width + x) * 3;
        return Pixels[at] == char(r) && Pixels[at + 1] == char(g) && Pixels[at + 2] == char(b);
    }

    // The rightmost column with at least `least` pixels of this colour; -1 when none.
    int RightmostColumnWith(unsigned char r, unsigned char g, unsigned char b, int least) const
    {
        for (int x = Width - 1; x >= 0; --x) {
            int count = 0;
            for (int y = 0; y < Height; ++y)
                count += Is(x, y, r, g, b);
            if (count >= least)
                return x;
        }
        return -1;
    }

    // Pixels of exactly this colour within the columns [left, right).
    int Count(unsigned char r, unsigned char g, unsigned char b, int left, int right) const
    {
        int count = 0;
        for (int y = 0; y < Height; ++y)
            for (int x = std::max(left, 0); x < std::min(right, Width); ++x) {
                const std::size_t at = (std::size_t(y) * Width + x) * 3;
                count += Pixels[at] == char(r) && Pixels[at + 1] == char(g) && Pixels[at + 2] == char(b);
            }
        return count;
    }
};

TShot Screenshot(unsigned long window)
{
    TShot shot;
    const std::string ppm = RunTool("import -window " + std::to_string(window) + " -depth 8 ppm:-");
    std::istringstream in(ppm);
    std::string magic;
    int maxValue = 0;
    in >> magic >> shot.Width >> shot.Height >> maxValue;
    in.get();
    if (magic != "P6" || maxValue != 255)
        return TShot();
    shot.Pixels.assign(std::istreambuf_iterator<char>(in), {});
    if (shot.Pixels.size() != std::size_t(shot.Width) * shot.Height * 3)
        return TShot();
    return shot;
}

void Click(int x, int y)
{
    RunTool("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
}

class ProgramWithPty : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(GDesktopReady) << GDesktopProblem;
        ASSERT_TRUE(Pty.Valid());
        char pattern[] = "/tmp/kelvara-console-e2e-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        Folder = pattern;
        fs::copy_file(KELVARA_PROGRAM, Folder / "kelvara");
        SavePortSettings((Folder / "setfile.ini").string(),
            { .CommName = Pty.SlavePath,
                .BaudRate = "115200",
                .ByteSize = "8",
                .Parity = "无",
                .ParityCheck = "否",
                .StopBits = "1" });
        std::ofstream(Folder / "txt.txt").close();
        StartProgram();
    }

    // accessible: the program's widgets on the accessibility bus, as with a screen reader running.
    void StartProgram(bool accessible = false)
    {
        std::vector<std::string> environment { "KELVARA_REPORT_SHOWN=1" };
        if (accessible)
            environment.push_back("QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1");
        ASSERT_TRUE(Program.Start({ (Folder / "kelvara").string() }, environment));
        for (;;) {
            std::string line = Program.ReadLine(15s, true);
            ASSERT_FALSE(line.empty()) << "the program did not show its main window";
            if (line.rfind("kelvara-shown ", 0) == 0)
                break;
        }
        ASSERT_TRUE(WaitFor(
            [this] {
                for (const TXWindow &w : ProgramWindows())
                    if (w.Width == 860 && w.Height == 455) {
                        Main = w;
                        return true;
                    }
                return false;
            },
            10s))
            << "no main window";
    }

    void TearDown() override
    {
        Program.Stop();
        std::error_code ignored;
        fs::remove_all(Folder, ignored);
    }

    // Waits for a window of the program that is not among `before` and wider than `minWidth`; an empty window (id 0)
    // when none came.
    static TXWindow NewWindow(const std::set<unsigned long> &before, int minWidth = 0)
    {
        TXWindow shown;
        WaitFor(
            [&] {
                for (const TXWindow &w : ProgramWindows())
                    if (!before.count(w.Id) && w.Width > minWidth) {
                        shown = w;
                        return true;
                    }
                return false;
            },
            10s);
        return shown;
    }

    // Clicks at a point of the main window with `button` and waits for a window of the program that was not there
    // before (a box, a dialog, a menu).
    TXWindow ClickForNewWindow(int x, int y, int button = 1)
    {
        std::set<unsigned long> before = Ids(ProgramWindows());
        RunTool("xdotool mousemove " + std::to_string(Main.X + x) + " " + std::to_string(Main.Y + y) + " click "
            + std::to_string(button));
        return NewWindow(before);
    }

    bool WaitGone(unsigned long id)
    {
        return WaitFor([id] { return !Ids(ProgramWindows()).count(id); }, 10s);
    }

    // "打开串口", and its success box closed with Enter.
    void OpenThePort()
    {
        TXWindow box = ClickForNewWindow(8 + 37, 8 + 12);
        ASSERT_NE(box.Id, 0u) << "no message box after opening the port";
        EXPECT_LT(box.Width, 860);
        // The window manager may still be starting and refuse the first activation: try again.
        bool closed = false;
        for (int attempt = 0; attempt < 3 && !closed; ++attempt) {
            RunTool("xdotool windowactivate --sync " + std::to_string(box.Id) + " key Return");
            closed = WaitFor([&] { return !Ids(ProgramWindows()).count(box.Id); }, 3s);
        }
        ASSERT_TRUE(closed) << "the message box stayed open";
    }

    // Unfolds the data panel and waits for the end of its animation: the fold button's top rows, which stood at the
    // window's foot, at the top of the panel at its full height.
    void UnfoldTheDataPanel()
    {
        const TShot folded = Screenshot(Main.Id);
        ASSERT_EQ(folded.Width, 860) << "no screenshot";
        Click(Main.X + 430, Main.Y + 455 - 15);
        ASSERT_TRUE(WaitFor(
            [&] {
                const TShot now = Screenshot(Main.Id);
                return now.Width == 860 && now.SameRows(PanelTop, folded, 455 - 30, 4, 0, 200);
            },
            10s))
            << "the data panel did not unfold";
    }

    // Waits until the receive pane of the unfolded data panel looks other than in `shown`, and takes the new look
    // into it: the program has taken the bytes written meanwhile.
    void WaitForThePaneToChange(TShot &shown)
    {
        TShot now;
        ASSERT_TRUE(WaitFor(
            [&] {
                now = Screenshot(Main.Id);
                return now.Width == 860 && now.Differing(shown, PaneLeft, PaneTop, PaneWidth, PaneHeight) > 0;
            },
            10s))
            << "the receive pane did not show the bytes";
        shown = now;
    }

    // Right-clicks a point of the main window and presses `keys` in the context menu that opens.
    void ChooseFromMenu(int x, int y, const std::string &keys)
    {
        TXWindow menu = ClickForNewWindow(x, y, 3);
        ASSERT_NE(menu.Id, 0u) << "no context menu";
        RunTool("xdotool key --delay 100 " + keys);
        ASSERT_TRUE(WaitGone(menu.Id)) << "the menu stayed open";
    }

    // Types a full path into a file dialog, presses Enter and waits for the file.
    void SaveThroughTheDialog(const TXWindow &dialog, const fs::path &path)
    {
        ASSERT_NE(dialog.Id, 0u) << "no file dialog";
        RunTool("xdotool windowactivate --sync " + std::to_string(dialog.Id) + " key ctrl+a type --delay 30 '"
            + path.string() + "'");
        RunTool("xdotool key Return");
        ASSERT_TRUE(WaitGone(dialog.Id)) << "the file dialog stayed open";
        ASSERT_TRUE(WaitFor([&] { return fs::exists(path); }, 10s)) << "no file " << path;
    }

    // The data panel's top when unfolded, and the receive pane within the main window.
    static constexpr int PanelTop = 455 - 370;
    static constexpr int PaneLeft = 3, PaneTop = PanelTop + 30 + 56, PaneWidth = 854, PaneHeight = 140;

    TPty Pty { TPty::Raw };
    fs::path Folder;
    TChild Program;
    TXWindow Main;
};

} // namespace

TEST_F(ProgramWithPty, OpensThePortNamedInSetfileReceivesSendsAndSavesTheReceivedText)
{
    ASSERT_NO_FATAL_FAILURE(OpenThePort());
    ASSERT_NO_FATAL_FAILURE(UnfoldTheDataPanel());

    // Two reads: the second chunk is written once the pane shows the first.
    TShot pane = Screenshot(Main.Id);
    Pty.Write("12345\r\n");
    ASSERT_NO_FATAL_FAILURE(WaitForThePaneToChange(pane));
    Pty.Write("678");
    ASSERT_NO_FATAL_FAILURE(WaitForThePaneToChange(pane));

    // Type ABC into the send box and press "发送".
    const int panelTop = PanelTop;
    Click(Main.X + 400, Main.Y + panelTop + 228 + 15 + 40);
    RunTool("xdotool type --delay 50 ABC");
    Click(Main.X + 8 + 37, Main.Y + panelTop + 332 + 8 + 12);
    EXPECT_EQ(Pty.Read(7, 5000ms), "ABC[RS]");

    // "保存": the save dialog takes a full path; the file holds the received bytes exactly.
    const fs::path saved = Folder / "received.txt";
    ASSERT_NO_FATAL_FAILURE(SaveThroughTheDialog(ClickForNewWindow(8 + 37, panelTop + 30 + 15 + 8 + 12), saved));
    EXPECT_EQ(FileBytes(saved), "12345\r\n678") << "as received: no line break the device did not send";
    EXPECT_TRUE(Program.Running());
}

TEST_F(ProgramWithPty, MultiChannelModeFromTheChartMenuPlotsLabelledValuesAndExportsThemUnderTheirNames)
{
    ASSERT_NO_FATAL_FAILURE(OpenThePort());

    // The data view's menu: "Edit..." (disabled, so the keys pass over it), then "多通道模式" and "导出数据 (CSV)…".
    const int viewX = 300, viewY = 200;
    ASSERT_NO_FATAL_FAILURE(ChooseFromMenu(viewX, viewY, "Down Return"));
    ASSERT_TRUE(
        WaitFor([&] { return FileBytes(Folder / "setfile.ini").find("multichannel=1") != std::string::npos; }, 5s))
        << "the mode was not stored";

    // The device sends a line every 20 ms: two labelled values (one with blanks around its '=') and an unlabelled one.
    // A line break first: what comes before the first one after an opening may be the end of a cut line, never plotted.
    Pty.Write("\r\n");
    const int lines = 60;
    for (int i = 0; i < lines; ++i) {
        Pty.Write("temp:1,hum = 2 3\r\n");
        std::this_thread::sleep_for(20ms);
    }

    // Three traces and three legend samples: red, green and yellow both in the data view and in the legend band on
    // the right.
    const struct {
        const char *Name;
        unsigned char R, G, B;
    } colours[] = { { "red", 255, 0, 0 }, { "green", 0, 255, 0 }, { "yellow", 255, 255, 0 } };
    TShot shot;
    const auto plotted = [&] {
        shot = Screenshot(Main.Id);
        for (const auto &c : colours)
            if (shot.Count(c.R, c.G, c.B, 100, 600) <= 100 || shot.Count(c.R, c.G, c.B, 795, 860) < 10)
                return false;
        return true;
    };
    WaitFor(plotted, 10s);
    ASSERT_EQ(shot.Width, 860) << "no screenshot";
    for (const auto &c : colours) {
        EXPECT_GT(shot.Count(c.R, c.G, c.B, 100, 600), 100) << c.Name << " trace";
        EXPECT_GE(shot.Count(c.R, c.G, c.B, 795, 860), 10) << c.Name << " legend sample";
    }
    EXPECT_EQ(shot.Count(0, 255, 255, 0, 860), 0) << "a fourth channel";

    // "导出数据 (CSV)…": the save dialog takes a full path; the file holds what was sent. The traces show before the
    // last lines are plotted: the export is made again until it holds every line.
    const fs::path exported = Folder / "export.csv";
    const auto rowsExported = [&] {
        fs::remove(exported);
        std::set<unsigned long> before = Ids(ProgramWindows());
        ChooseFromMenu(viewX, viewY, "Down Down Return");
        SaveThroughTheDialog(NewWindow(before, 200), exported);
        const std::string text = FileBytes(exported);
        return std::count(text.begin(), text.end(), '\n') - 1;
    };
    ASSERT_TRUE(WaitFor([&] { return HasFatalFailure() || rowsExported() >= lines; }, 30s))
        << "the export never held every line";
    ASSERT_FALSE(HasFatalFailure());

    std::istringstream csv(FileBytes(exported));
    std::string line;
    std::getline(csv, line);
    EXPECT_EQ(line, "\xEF\xBB\xBFtime_s,temp,hum,数据1\r") << "the channels' names, as in the legend";
    int rows = 0;
    double lastTime = -1;
    while (std::getline(csv, line)) {
        ++rows;
        const std::size_t comma = line.find(',');
        ASSERT_NE(comma, std::string::npos) << line;
        EXPECT_EQ(line.substr(comma), ",1,2,3\r") << "row " << rows;
        const double time = std::stod(line.substr(0, comma));
        EXPECT_GE(time, lastTime);
        lastTime = time;
    }
    EXPECT_EQ(rows, lines);
    EXPECT_TRUE(Program.Running());
}

TEST_F(ProgramWithPty, BinaryFramesFromTheSettingsArePlottedAndFramesWithABadChecksumAreNot)
{
    // Frames AA 55, three int16 little-endian, CRC-16/MODBUS, as the demo device sends them.
    Program.Stop();
    const std::string settings = (Folder / "setfile.ini").string();
    namespace E = ExtensionSettings;
    ASSERT_TRUE(E::WriteFlag(settings, "binary", true));
    ASSERT_TRUE(E::WriteText(settings, "frame_header", "AA55"));
    ASSERT_TRUE(E::WriteInteger(settings, "frame_channels", 3));
    ASSERT_TRUE(E::WriteText(settings, "frame_type", "int16"));
    ASSERT_TRUE(E::WriteText(settings, "frame_checksum", "crc16modbus"));
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ASSERT_NO_FATAL_FAILURE(OpenThePort());

    const auto frame = [](int16_t a, int16_t b, int16_t c, bool good) {
        std::string payload;
        for (int16_t v : { a, b, c }) {
            payload += char(v & 0xFF);
            payload += char((v >> 8) & 0xFF);
        }
        const uint32_t crc = ComputeChecksum(TChecksumKind::Crc16Modbus, payload) ^ (good ? 0 : 1);
        return std::string("\xAA\x55", 2) + payload + char(crc & 0xFF) + char(crc >> 8);
    };
    // Every tenth frame is damaged; the values hold X-on, X-off and zero bytes (flow control is off by default).
    const int frames = 60;
    std::vector<std::string> expected;
    for (int i = 0; i < frames; ++i) {
        const bool good = i % 10 != 9;
        const int16_t a = int16_t(i * 0x11), b = int16_t(-i - 0x1300), c = int16_t(i * 256);
        Pty.Write(frame(a, b, c, good));
        if (good)
            expected.push_back("," + std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c) + "\r");
        std::this_thread::sleep_for(10ms);
    }

    const int viewX = 300, viewY = 200;
    const fs::path exported = Folder / "frames.csv";
    const auto rowsExported = [&] {
        fs::remove(exported);
        std::set<unsigned long> before = Ids(ProgramWindows());
        ChooseFromMenu(viewX, viewY, "Down Down Return");
        SaveThroughTheDialog(NewWindow(before, 200), exported);
        const std::string text = FileBytes(exported);
        return std::count(text.begin(), text.end(), '\n') - 1;
    };
    ASSERT_TRUE(WaitFor([&] { return HasFatalFailure() || rowsExported() >= int(expected.size()); }, 30s))
        << "the export never held every good frame";
    ASSERT_FALSE(HasFatalFailure());

    std::istringstream csv(FileBytes(exported));
    std::string line;
    std::getline(csv, line);
    EXPECT_EQ(line, "\xEF\xBB\xBFtime_s,数据1,数据2,数据3\r");
    std::vector<std::string> rows;
    while (std::getline(csv, line))
        rows.push_back(line.substr(line.find(',')));
    EXPECT_EQ(rows, expected) << "exactly the good frames' values, in order";
    EXPECT_TRUE(Program.Running());
}

TEST_F(ProgramWithPty, SendBoxMenuSwitchesHexSendAndTheEndingAndBothComeBackAfterARestart)
{
    const std::string portSection = FileBytes(Folder / "setfile.ini");
    const int panelTop = PanelTop;
    const int boxX = 400, boxY = panelTop + 228 + 15 + 40;
    // The send box's menu: from the bottom, "发送结尾" comes first, "十六进制发送" next.
    auto sendBoxMenu = [&](const std::string &keys) { ChooseFromMenu(boxX, boxY, keys); };
    auto typeIntoBox = [&](const std::string &text) {
        Click(Main.X + boxX, Main.Y + boxY);
        RunTool("xdotool key ctrl+a BackSpace type --delay 50 '" + text + "'");
    };
    auto send = [&] { Click(Main.X + 8 + 37, Main.Y + panelTop + 332 + 8 + 12); };

    ASSERT_NO_FATAL_FAILURE(OpenThePort());
    ASSERT_NO_FATAL_FAILURE(UnfoldTheDataPanel());
    typeIntoBox("01 a0 FF");
    ASSERT_NO_FATAL_FAILURE(sendBoxMenu("Up Up Return")); // "十六进制发送"
    send();
    EXPECT_EQ(Pty.Read(4, std::chrono::milliseconds(1000)), std::string("\x01\xA0\xFF", 3)) << "no ending at first";

    // The hex sends' own ending.
    ASSERT_NO_FATAL_FAILURE(sendBoxMenu("Up Right Down Return")); // "发送结尾" > "回车换行 (CR LF)"
    send();
    EXPECT_EQ(Pty.Read(5, std::chrono::milliseconds(5000)), "\x01\xA0\xFF\r\n");

    // A bad hex text: a box, and nothing on the line (the box came after the refusal; the quiet 300 ms are the check).
    typeIntoBox("0G");
    TXWindow error = ClickForNewWindow(8 + 37, panelTop + 332 + 8 + 12);
    ASSERT_NE(error.Id, 0u) << "no box for the bad hex text";
    RunTool("xdotool windowactivate --sync " + std::to_string(error.Id) + " key Return");
    ASSERT_TRUE(WaitGone(error.Id));
    EXPECT_EQ(Pty.Read(1, std::chrono::milliseconds(300)), "");

    // The port section stays byte for byte; the choices are back after a restart.
    const std::string saved = FileBytes(Folder / "setfile.ini");
    EXPECT_EQ(saved.substr(0, portSection.size()), portSection);
    EXPECT_NE(saved.find("[\xC0\xA9\xD5\xB9\xC9\xE8\xD6\xC3]"), std::string::npos);
    Program.Stop();
    ASSERT_TRUE(WaitFor([this] { return ProgramWindows().empty(); }, 10s));
    StartProgram();
    ASSERT_NO_FATAL_FAILURE(OpenThePort());
    ASSERT_NO_FATAL_FAILURE(UnfoldTheDataPanel());
    typeIntoBox("41");
    send();
    EXPECT_EQ(Pty.Read(3, std::chrono::milliseconds(5000)), "A\r\n");
}

TEST_F(ProgramWithPty, ReceivePaneMenuShowsHexAndArrivalTimesAndSaveTakesWhatThePaneShows)
{
    const int panelTop = PanelTop;
    const int paneX = 400, paneY = panelTop + 30 + 56 + 70;
    ASSERT_NO_FATAL_FAILURE(OpenThePort());
    ASSERT_NO_FATAL_FAILURE(UnfoldTheDataPanel());

    // Two reads a second apart: the pause is what the arrival times below show.
    TShot pane = Screenshot(Main.Id);
    Pty.Write("AB\r\n");
    ASSERT_NO_FATAL_FAILURE(WaitForThePaneToChange(pane));
    std::this_thread::sleep_for(1000ms);
    Pty.Write(std::string("1\0"
                          "2",
        3));
    ASSERT_NO_FATAL_FAILURE(WaitForThePaneToChange(pane));

    // The receive pane's menu, from the bottom: "保存接收数据到文件…", "每次接收另起一行", "显示时间戳",
    // "十六进制显示", "自动重连".
    auto paneMenu = [&](const std::string &keys) { ChooseFromMenu(paneX, paneY, keys); };
    // "保存" under the receive pane.
    auto save = [&](const fs::path &path) {
        SaveThroughTheDialog(ClickForNewWindow(8 + 37, panelTop + 30 + 15 + 8 + 12), path);
    };

    ASSERT_NO_FATAL_FAILURE(paneMenu("Up Up Up Up Return")); // "十六进制显示"
    ASSERT_NO_FATAL_FAILURE(save(Folder / "hex.txt"));
    EXPECT_EQ(FileBytes(Folder / "hex.txt"), "41 42 0D 0A\r\n31 00 32\r\n");

    ASSERT_NO_FATAL_FAILURE(paneMenu("Up Up Up Return")); // "显示时间戳"
    ASSERT_NO_FATAL_FAILURE(save(Folder / "stamped.txt"));
    const std::string stamped = FileBytes(Folder / "stamped.txt");
    ASSERT_EQ(stamped.size(), 2 * 15 + 13 + 10u) << stamped;
    EXPECT_EQ(stamped.substr(15, 13), "41 42 0D 0A\r\n");
    EXPECT_EQ(stamped.substr(15 + 13 + 15), "31 00 32\r\n");
    // The two chunks arrived about a second apart: their times differ by more than half a second and less than three.
    auto millis = [](const std::string &stamp) {
        return ((std::stoi(stamp.substr(1, 2)) * 60 + std::stoi(stamp.substr(4, 2))) * 60
                   + std::stoi(stamp.substr(7, 2)))
            * 1000
            + std::stoi(stamp.substr(10, 3));
    };
    const int apart = millis(stamped.substr(28, 15)) - millis(stamped.substr(0, 15));
    EXPECT_GT(apart, 500);
    EXPECT_LT(apart, 3000);

    // Both back to text: the text view keeps the cut at the zero byte, and the line "1" stays open.
    ASSERT_NO_FATAL_FAILURE(paneMenu("Up Up Up Return"));
    ASSERT_NO_FATAL_FAILURE(paneMenu("Up Up Up Up Return"));
    ASSERT_NO_FATAL_FAILURE(save(Folder / "text.txt"));
    EXPECT_EQ(FileBytes(Folder / "text.txt"), "AB\r\n1");

    // "每次接收另起一行": the next read starts a line of its own and ends it, as older terminals show reads.
    ASSERT_NO_FATAL_FAILURE(paneMenu("Up Up Return"));
    Pty.Write("45");
    const fs::path chunked = Folder / "chunked.txt";
    ASSERT_TRUE(WaitFor(
        [&] {
            save(chunked);
            return FileBytes(chunked) == "AB\r\n1\r\n45\r\n";
        },
        10s))
        << FileBytes(chunked);
}

TEST_F(ProgramWithPty, SigtermEndsAsTheExitDoesWithTheCaptureWrittenOutAndTheLineGivenBack)
{
    termios fresh {};
    ASSERT_EQ(::tcgetattr(Pty.Master(), &fresh), 0);
    ASSERT_NO_FATAL_FAILURE(OpenThePort());
    termios opened {};
    ASSERT_EQ(::tcgetattr(Pty.Master(), &opened), 0);
    ASSERT_NE(::cfgetospeed(&opened), ::cfgetospeed(&fresh)) << "opening changed nothing to give back";
    ASSERT_NO_FATAL_FAILURE(UnfoldTheDataPanel());

    // How the receive pane looks while nothing has been received.
    const TShot empty = Screenshot(Main.Id);
    ASSERT_EQ(empty.Width, 860) << "no screenshot";

    // The receive pane's menu, from the bottom: "保存接收数据到文件…".
    std::set<unsigned long> before = Ids(ProgramWindows());
    ASSERT_NO_FATAL_FAILURE(ChooseFromMenu(400, PaneTop + 70, "Up Return"));
    const fs::path capture = Folder / "capture.bin";
    ASSERT_NO_FATAL_FAILURE(SaveThroughTheDialog(NewWindow(before, 200), capture));

    // The capture writes out at most once a second: the bytes are in the program, not yet in the file, when the
    // signal comes. The pane showing them says that the program has taken them.
    std::string bytes;
    for (int line = 0; line < 20; ++line)
        bytes += "line " + std::to_string(line) + " 0123456789\r\n";
    Pty.Write(bytes);
    ASSERT_TRUE(WaitFor(
        [&] { return Screenshot(Main.Id).Differing(empty, PaneLeft, PaneTop, PaneWidth, PaneHeight) > 200; }, 10s))
        << "the pane did not show the bytes";
    ::kill(Program.Pid(), SIGTERM);

    int status = -1;
    ASSERT_TRUE(Program.Wait(10s, status)) << "SIGTERM did not end the program";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(FileBytes(capture), bytes);
    termios after {};
    ASSERT_EQ(::tcgetattr(Pty.Master(), &after), 0);
    EXPECT_EQ(::cfgetospeed(&after), ::cfgetospeed(&fresh)) << "the line settings were not given back";
    EXPECT_EQ(after.c_cflag, fresh.c_cflag);
}

TEST_F(ProgramWithPty, QuickSendByClickAndByCtrl2AndAScriptThatAnswersAPrompt)
{
    std::ofstream(Folder / "quicksend.ini") << "[1]\nname=one\ncontent=AT\nhex=0\nending=crlf\nrepeat_ms=0\n\n"
                                               "[2]\nname=two\ncontent=55 AA\nhex=1\nending=none\nrepeat_ms=0\n";
    const int boxX = 400, boxY = PanelTop + 228 + 15 + 40;
    ASSERT_NO_FATAL_FAILURE(OpenThePort());
    ASSERT_NO_FATAL_FAILURE(UnfoldTheDataPanel());

    // The send box's menu from the bottom: "发送结尾", "十六进制发送", "脚本…", "快捷发送…".
    std::set<unsigned long> before = Ids(ProgramWindows());
    ASSERT_NO_FATAL_FAILURE(ChooseFromMenu(boxX, boxY, "Up Up Up Up Return"));
    const TXWindow quick = NewWindow(before, 200);
    ASSERT_NE(quick.Id, 0u) << "no quick-send window";
    // The first entry's button stands at the window's top left.
    Click(quick.X + 60, quick.Y + 32);
    EXPECT_EQ(Pty.Read(4, 5000ms), "AT\r\n");
    // Ctrl+2 with the focus in the main window's send box.
    RunTool("xdotool windowactivate --sync " + std::to_string(Main.Id));
    Click(Main.X + boxX, Main.Y + boxY);
    RunTool("xdotool key ctrl+2");
    EXPECT_EQ(Pty.Read(2, 5000ms), "\x55\xAA");

    before = Ids(ProgramWindows());
    ASSERT_NO_FATAL_FAILURE(ChooseFromMenu(boxX, boxY, "Up Up Up Return"));
    const TXWindow script = NewWindow(before, 200);
    ASSERT_NE(script.Id, 0u) << "no script window";
    // Type into the editor (the upper part), then "运行" below it on the left.
    Click(script.X + 300, script.Y + 150);
    RunTool("xdotool type --delay 20 'port.send(\"ready\") port.expect(\"login:\", 20000) port.send(\"root\\r\")'");
    Click(script.X + 51, script.Y + 330);
    ASSERT_EQ(Pty.Read(5, 5000ms), "ready") << "the script did not start";
    Pty.Write("Welcome\r\nlogin:");
    EXPECT_EQ(Pty.Read(5, 5000ms), "root\r");
    EXPECT_TRUE(Program.Running());
}

namespace
{

// The chart's data view: its frame and grid are the only dark green pixels of the main window.
struct TDataView {
    int Left = -1, Right = -1, Bottom = -1;

    explicit TDataView(const TShot &shot)
    {
        // The bottom edge may lie under the trigger level's red dashes.
        for (int y = shot.Height - 1; y >= 0 && Bottom < 0; --y) {
            int count = 0;
            for (int x = 0; x < shot.Width; ++x)
                count += shot.Is(x, y, 0, 128, 0) || shot.Is(x, y, 255, 0, 0);
            if (count >= shot.Width / 3)
                Bottom = y;
        }
        Right = shot.RightmostColumnWith(0, 128, 0, 100);
        for (int x = 0; x < shot.Width && Left < 0; ++x) {
            int count = 0;
            for (int y = 0; y < shot.Height; ++y)
                count += shot.Is(x, y, 0, 128, 0);
            if (count >= 100)
                Left = x;
        }
    }
};

// The trace's pixels in the data view: red, leaving out the row of the dashed level line.
bool TracePixel(const TShot &shot, int x, int y, int levelRow)
{
    return y != levelRow && shot.Is(x, y, 255, 0, 0);
}

// The share of the trace's pixels in `a` that `b` has within `reach` columns on the same row: near 1 for the same
// picture drawn from data dated with a few milliseconds of jitter; a sine shifted by 20 columns (27 ms at 5 Hz) keeps
// less than a fifth of its pixels within 6 columns.
double TraceAlike(const TShot &a, const TShot &b, const TDataView &view, int levelRow, int reach)
{
    int traced = 0, matched = 0;
    for (int y = 0; y < view.Bottom; ++y)
        for (int x = view.Left + 1; x < view.Right; ++x) {
            if (!TracePixel(a, x, y, levelRow))
                continue;
            ++traced;
            for (int dx = -reach; dx <= reach; ++dx)
                if (x + dx > view.Left && x + dx < view.Right && TracePixel(b, x + dx, y, levelRow)) {
                    ++matched;
                    break;
                }
        }
    return traced ? double(matched) / traced : 0.0;
}

// The rows of the trace's pixels in a column: the lowest and the highest; -1 when there are none.
std::pair<int, int> TraceRows(const TShot &shot, int x, const TDataView &view, int levelRow)
{
    int low = -1, high = -1;
    for (int y = 0; y < view.Bottom; ++y)
        if (TracePixel(shot, x, y, levelRow)) {
            if (low < 0)
                low = y;
            high = y;
        }
    return { low, high };
}

} // namespace

TEST_F(ProgramWithPty, TheMaximizedMainWindowsChartTakesTheAddedRoomAndTheSizeIsKept)
{
    const TShot start = Screenshot(Main.Id);
    ASSERT_EQ(start.Width, 860) << "no screenshot";
    const TDataView startView(start);
    ASSERT_GT(startView.Bottom, 0);
    ASSERT_GT(startView.Right, 0);

    // The request is made again while the window keeps its size: on a busy machine the window manager may not yet
    // manage the window when the first one comes, and then drops it.
    const std::string maximize = std::string(KELVARA_XCLIENT) + " maximize " + std::to_string(Main.Id);
    RunTool(maximize);
    TShot grown;
    auto lastRequest = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitFor(
        [&] {
            grown = Screenshot(Main.Id);
            if (grown.Width > 1100 && grown.Height > 600)
                return true;
            if (std::chrono::steady_clock::now() - lastRequest > 2s) {
                RunTool(maximize);
                lastRequest = std::chrono::steady_clock::now();
            }
            return false;
        },
        20s))
        << "the window manager did not maximize the main window";
    // The window manager's last word on the size, and a picture drawn at it.
    ASSERT_TRUE(WaitFor(
        [&] {
            const TShot again = Screenshot(Main.Id);
            const bool settled = again.Width == grown.Width && again.Height == grown.Height
                && again.Differing(grown, 0, 0, grown.Width, grown.Height) == 0;
            grown = again;
            return settled && TDataView(grown).Right > startView.Right + 200;
        },
        10s));

    // The top bar keeps its height and look; the chart area takes the added width and height (its layout follows
    // the chart's own rules: the data view's right and bottom edges move by the room added).
    EXPECT_TRUE(grown.SameRows(0, start, 0, 43 - 2, 0, 700)) << "the top bar changed";
    const TDataView grownView(grown);
    EXPECT_NEAR(grownView.Left, startView.Left, 2);
    EXPECT_NEAR(grownView.Right - startView.Right, grown.Width - 860, 2);
    EXPECT_NEAR(grownView.Bottom - startView.Bottom, grown.Height - 455, 2);
    // The folded data panel's row keeps the foot of the window: the same 30 rows as at the start, over the start's
    // width less its right edge.
    EXPECT_TRUE(grown.SameRows(grown.Height - 30, start, 455 - 30, 30, 0, 300)) << "the data panel's row changed";

    ASSERT_TRUE(
        WaitFor([&] { return FileBytes(Folder / "setfile.ini").find("windowmaximized=1") != std::string::npos; }, 5s))
        << "the maximized state was not kept";
}

TEST_F(ProgramWithPty, ATriggeredSineStandsStillAndCrossesTheLevelAtTheViewsMiddle)
{
    // The trigger on: "正常", level 0, rising, 50 %; then the program starts again to read it.
    const std::string settings = (Folder / "setfile.ini").string();
    ExtensionSettings::WriteFlag(settings, ExtensionSettings::TriggerOnKey, true);
    ExtensionSettings::WriteText(settings, ExtensionSettings::TriggerModeKey, "normal");
    ExtensionSettings::WriteText(settings, ExtensionSettings::TriggerPositionKey, "50");
    Program.Stop();
    ASSERT_TRUE(WaitFor([this] { return ProgramWindows().empty(); }, 10s));
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ASSERT_NO_FATAL_FAILURE(OpenThePort());

    // The device: a 5 Hz sine of amplitude 100 as whole numbers, 200 samples a second, paced by the clock.
    std::atomic<bool> stop = false;
    std::thread device([&] {
        const auto begin = std::chrono::steady_clock::now();
        for (int k = 0; !stop && k < 200 * 60; ++k) {
            std::this_thread::sleep_until(begin + k * 5ms);
            const long value = std::lround(100 * std::sin(2 * std::numbers::pi * 5 * k / 200.0));
            Pty.Write(std::to_string(value) + "\r\n");
        }
    });
    struct TJoin {
        std::atomic<bool> &Stop;
        std::thread &Device;
        ~TJoin()
        {
            Stop = true;
            Device.join();
        }
    } join { stop, device };

    // Two pictures of held triggers, one after the other: the first once the data fills the view and a trigger is
    // marked under it, the second once the time axis's labels show that the view has moved on to a later trigger.
    const auto marked = [](const TShot &shot) {
        const TDataView view(shot);
        if (view.Left <= 0 || view.Bottom <= 0)
            return false;
        // The data fills the view: a trace in nearly every column.
        int traced = 0;
        for (int x = view.Left + 1; x < view.Right; ++x)
            for (int y = 0; y < view.Bottom - 1; ++y)
                if (shot.Is(x, y, 255, 0, 0) && !shot.Is(x + 1, y, 255, 0, 0) && !shot.Is(x - 1, y, 255, 0, 0)) {
                    ++traced;
                    break;
                }
        return traced >= (view.Right - view.Left) * 9 / 10 && [&] {
            // Below the rows that a line along the data view's bottom edge could take.
            for (int y = view.Bottom + 3; y < view.Bottom + 6 && y < shot.Height; ++y)
                for (int x = view.Left; x <= view.Right; ++x)
                    if (shot.Is(x, y, 255, 0, 0))
                        return true;
            return false;
        }();
    };
    TShot first, second;
    ASSERT_TRUE(WaitFor(
        [&] {
            first = Screenshot(Main.Id);
            return marked(first);
        },
        20s))
        << "no trigger marked";
    const TDataView firstView(first);
    ASSERT_TRUE(WaitFor(
        [&] {
            second = Screenshot(Main.Id);
            return second.Width == first.Width && marked(second)
                && second.Differing(first, 0, firstView.Bottom + 8, first.Width, 20) > 0;
        },
        20s))
        << "the view did not move on to a later trigger";
    const TDataView view(first);
    // The level's dashed line: the row of the data view with the most red pixels.
    int levelRow = -1, most = 0;
    for (int y = 0; y < view.Bottom; ++y) {
        int count = 0;
        for (int x = view.Left + 1; x < view.Right; ++x)
            count += first.Is(x, y, 255, 0, 0);
        if (count > most) {
            most = count;
            levelRow = y;
        }
    }
    ASSERT_GT(most, (view.Right - view.Left) / 4) << "no level line";

    // The same picture: nearly every pixel of the trace within a few columns of where it was.
    // Six columns are 8 ms: room for the jitter of the arrival times the lines are dated with.
    EXPECT_GE(TraceAlike(first, second, view, levelRow, 6), 0.8) << "the trace moved between two triggered pictures";
    EXPECT_GE(TraceAlike(second, first, view, levelRow, 6), 0.8);

    // At the middle the trace crosses the level, rising: below it (larger rows) before, above it after.
    const int middle = (view.Left + view.Right) / 2;
    bool crosses = false;
    for (int x = middle - 3; x <= middle + 3; ++x) {
        const auto [low, high] = TraceRows(first, x, view, levelRow);
        crosses = crosses || (low >= 0 && low - 1 <= levelRow && levelRow <= high + 1);
    }
    EXPECT_TRUE(crosses) << "the trace is not at the level in the middle";
    EXPECT_GT(TraceRows(first, middle - 15, view, levelRow).first, levelRow + 5) << "below the level before the middle";
    EXPECT_LT(TraceRows(first, middle + 15, view, levelRow).second, levelRow - 5) << "above the level after the middle";

    // The data view's menu: "Edit..." (disabled), "多通道模式", "导出数据 (CSV)…", "二进制帧…", "触发…", which opens
    // the window.
    std::set<unsigned long> before = Ids(ProgramWindows());
    ASSERT_NO_FATAL_FAILURE(ChooseFromMenu(300, 200, "Down Down Down Down Return"));
    const TXWindow form = NewWindow(before, 100);
    EXPECT_EQ(form.Name, "触发");
    EXPECT_TRUE(Program.Running());
}

namespace
{

// Where a trace of one colour lies in a shot below row `top` (the window's controls above it show the colour too): the
// columns holding at least two of its pixels (a closed curve crosses a column twice, a legend's sample line once), and
// the rows holding any within those columns.
struct TTraceBox {
    int Left = 0, Right = -1, Top = 0, Bottom = -1;
    int Width() const { return Right - Left + 1; }
    int Height() const { return Bottom - Top + 1; }
};

bool IsColour(const TShot &shot, int x, int y, unsigned char r, unsigned char g, unsigned char b)
{
    const std::size_t at = (std::size_t(y) * shot.Width + x) * 3;
    return shot.Pixels[at] == char(r) && shot.Pixels[at + 1] == char(g) && shot.Pixels[at + 2] == char(b);
}

TTraceBox FindTrace(const TShot &shot, int top, unsigned char r, unsigned char g, unsigned char b)
{
    TTraceBox box { shot.Width, -1, shot.Height, -1 };
    for (int x = 0; x < shot.Width; ++x) {
        int count = 0;
        for (int y = top; y < shot.Height; ++y)
            count += IsColour(shot, x, y, r, g, b);
        if (count >= 2) {
            box.Left = std::min(box.Left, x);
            box.Right = std::max(box.Right, x);
        }
    }
    for (int y = top; y < shot.Height; ++y)
        for (int x = box.Left; x <= box.Right; ++x)
            if (IsColour(shot, x, y, r, g, b)) {
                box.Top = std::min(box.Top, y);
                box.Bottom = std::max(box.Bottom, y);
            }
    return box;
}

// Pixels of the colour within a share of the box (0 ... 1 from its left and top).
int CountIn(const TShot &shot, const TTraceBox &box, double left, double top, double right, double bottom,
    unsigned char r, unsigned char g, unsigned char b)
{
    int count = 0;
    for (int y = box.Top + int(top * box.Height()); y < box.Top + int(bottom * box.Height()); ++y)
        for (int x = box.Left + int(left * box.Width()); x < box.Left + int(right * box.Width()); ++x)
            count += IsColour(shot, x, y, r, g, b);
    return count;
}

// A device sending "sin,cos" lines of a 5 Hz sine and cosine of amplitude 100 at 200 lines a second, paced by its own
// clock, until it is stopped.
class TSineDevice
{
public:
    explicit TSineDevice(TPty &pty)
        : FThread([this, &pty] {
            const auto start = std::chrono::steady_clock::now();
            for (int i = 0; !FStop; ++i) {
                const double t = i / 200.0, phase = 2 * 3.14159265358979323846 * 5 * t;
                char line[64];
                std::snprintf(line, sizeof line, "%.3f,%.3f\r\n", 100 * std::sin(phase), 100 * std::cos(phase));
                pty.Write(line);
                std::this_thread::sleep_until(start + std::chrono::microseconds(5000 * (i + 1)));
            }
        })
    {
    }
    ~TSineDevice()
    {
        FStop = true;
        FThread.join();
    }

private:
    std::atomic<bool> FStop { false };
    std::thread FThread;
};

} // namespace

TEST_F(ProgramWithPty, InstrumentWindowsReadTheFrequencyRmsSpectrumPeakAndCircleOfASineAndACosine)
{
    // The program again, with its widgets on the accessibility bus, where the figures are read as a screen reader
    // reads them.
    Program.Stop();
    ASSERT_TRUE(WaitFor([this] { return ProgramWindows().empty(); }, 10s));
    ASSERT_NO_FATAL_FAILURE(StartProgram(true));
    ASSERT_NO_FATAL_FAILURE(OpenThePort());
    const int viewX = 300, viewY = 200;
    ASSERT_NO_FATAL_FAILURE(ChooseFromMenu(viewX, viewY, "Down Return")); // "多通道模式"
    TSineDevice device(Pty);

    // The data view's menu: "多通道模式", "导出数据 (CSV)…", "二进制帧…", "触发…", "测量", "XY 图…", "频谱…". Each
    // window is moved off the chart once it shows, so that the next right click reaches the chart; the XY window last,
    // whole on the screen.
    auto openAndMove = [&](const std::string &keys, int x, int y, int minWidth) {
        std::set<unsigned long> before = Ids(ProgramWindows());
        ChooseFromMenu(viewX, viewY, keys);
        TXWindow shown = NewWindow(before, minWidth);
        EXPECT_NE(shown.Id, 0u) << "no window after " << keys;
        RunTool("xdotool windowmove --sync " + std::to_string(shown.Id) + " " + std::to_string(x) + " "
            + std::to_string(y));
        return shown;
    };
    ASSERT_NE(openAndMove("Down Down Down Down Down Return", 0, 640, 100).Id, 0u); // "测量"
    ASSERT_NE(openAndMove("Down Down Down Down Down Down Down Return", 1000, 0, 300).Id, 0u); // "频谱…"
    const TXWindow xy = openAndMove("Down Down Down Down Down Down Return", 700, 250, 300); // "XY 图…"
    ASSERT_NE(xy.Id, 0u);

    TAccessibilityClient client;
    ASSERT_TRUE(client.Connect()) << "no accessibility bus";
    std::optional<TNode> application;
    ASSERT_TRUE(WaitFor(
        [&] {
            QString error;
            for (const TNode &candidate : client.Applications(error)) {
                TWalk walk;
                Walk(client, candidate, 5000, QStringLiteral("push button"), QStringLiteral("打开串口"), walk);
                if (walk.Found)
                    application = candidate;
            }
            return application.has_value();
        },
        20s, [] { QCoreApplication::processEvents(); }))
        << "the program is not on the accessibility bus";

    // "测量": the row of "数据1" reads 5 Hz and an RMS of 100 / sqrt(2); "频谱": the peak at 5 Hz. The readings settle
    // once a second or two of the signal is in view.
    double frequency = 0, rms = 0, peak = 0;
    QStringList labels;
    const bool read = WaitFor(
        [&] {
            labels.clear();
            CollectLabels(client, *application, labels);
            const qsizetype row = labels.indexOf(QStringLiteral("数据1"));
            if (row < 0 || row + 7 >= labels.size())
                return false;
            rms = labels[row + 5].toDouble();
            frequency = labels[row + 6].section(' ', 0, 0).toDouble();
            for (const QString &label : labels) {
                const auto m = QRegularExpression(QStringLiteral("^峰值：([-0-9.e+]+) Hz，")).match(label);
                if (m.hasMatch())
                    peak = m.captured(1).toDouble();
            }
            return std::abs(frequency - 5) < 0.1 && std::abs(rms - 70.71) < 1.5 && std::abs(peak - 5) < 0.15;
        },
        30s);
    EXPECT_TRUE(read) << "frequency " << frequency << ", RMS " << rms << ", spectrum peak " << peak
                      << "; labels: " << labels.join(" | ").toStdString();

    // "XY 图": 数据1 against 数据2 in 数据2's green is a closed ring: it reaches the middle of each side of its box,
    // and leaves the middle and the corners empty.
    TShot shot;
    TTraceBox box;
    const bool circle = WaitFor(
        [&] {
            shot = Screenshot(xy.Id);
            if (shot.Width == 0)
                return false;
            box = FindTrace(shot, 80, 0, 255, 0); // below the channel choices and the chart's toolbar
            return box.Width() > 200 && box.Height() > 200;
        },
        20s);
    ASSERT_TRUE(circle) << "no trace on the XY chart (" << box.Width() << " x " << box.Height() << ")";
    const struct {
        const char *Name;
        double Left, Top, Right, Bottom;
        bool Drawn;
    } parts[] = {
        { "left", 0, 0.4, 0.05, 0.6, true },
        { "right", 0.95, 0.4, 1, 0.6, true },
        { "top", 0.4, 0, 0.6, 0.05, true },
        { "bottom", 0.4, 0.95, 0.6, 1, true },
        { "middle", 0.2, 0.2, 0.8, 0.8, false },
        { "top left corner", 0, 0, 0.1, 0.1, false },
        { "bottom right corner", 0.9, 0.9, 1, 1, false },
    };
    for (const auto &p : parts) {
        const int count = CountIn(shot, box, p.Left, p.Top, p.Right, p.Bottom, 0, 255, 0);
        if (p.Drawn)
            EXPECT_GT(count, 0) << p.Name;
        else
            EXPECT_EQ(count, 0) << p.Name;
    }
    EXPECT_TRUE(Program.Running());
}
