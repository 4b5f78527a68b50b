// SPDX-License-Identifier: GPL-3.0-or-later
// The real program on a private X desktop with a pty as its serial device: a copy of the executable in a folder of
// its own, whose setfile.ini names the pty. The test clicks and types through the X server as a user would: open the
// port, receive, send ABC, and save the received text through the save dialog; switch the chart to multi-channel
// mode from its menu and export the plotted data.
#include "decoders/Checksum.h"
#include "settings/ExtensionSettings.h"
#include "settings/PortSettings.h"
#include "tests/e2e/DesktopSupport.h"
#include "tests/support/FileBytes.h"
#include "tests/support/Pty.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
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

    void StartProgram()
    {
        ASSERT_TRUE(Program.Start({ (Folder / "kelvara").string() }, { "KELVARA_REPORT_SHOWN=1" }));
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
