// SPDX-License-Identifier: GPL-3.0-or-later
// The companion strip and the information windows in a real X server: Xvfb with openbox, started by this program
// through tests/e2e/xsession.sh and ended by process id when the tests are done. Window positions and properties are
// read back from the X server with xwininfo and xprop; the mouse is driven with xdotool. Without an X server every
// case is skipped.
#include "auxwin/CompanionForm.h"
#include "auxwin/HelpForm.h"
#include "auxwin/UpgradeForm.h"
#include "tests/support/WaitUntil.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDeadlineTimer>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QThread>
#include <QWindow>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace
{

using namespace std::chrono_literals;

bool GXServer = false;
std::string GNoXServerReason = "no X server could be started";

std::string Shell(const std::string &command)
{
    std::string output;
    if (FILE *pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, n);
        pclose(pipe);
    }
    return output;
}

std::string Id(const QWidget &window)
{
    return std::to_string(window.winId());
}

std::string Property(const QWidget &window, const char *name)
{
    return Shell("xprop -id " + Id(window) + " " + name + " 2>&1");
}

// The window's client area on the screen as the X server has it.
QRect ClientOnScreen(const QWidget &window)
{
    const QString info = QString::fromStdString(Shell("xwininfo -id " + Id(window) + " 2>/dev/null"));
    const auto field = [&](const char *label) {
        const QRegularExpression pattern(QString::fromLatin1(label) + QStringLiteral(":\\s+(-?\\d+)"));
        return pattern.match(info).captured(1).toInt();
    };
    return QRect(field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height"));
}

// The window with the frame the window manager put around it (left, right, top, bottom from _NET_FRAME_EXTENTS).
std::optional<QRect> OuterOnScreen(const QWidget &window)
{
    const QRegularExpressionMatch extents = QRegularExpression(QStringLiteral("= (\\d+), (\\d+), (\\d+), (\\d+)"))
                                                .match(QString::fromStdString(Property(window, "_NET_FRAME_EXTENTS")));
    if (!extents.hasMatch())
        return std::nullopt;
    return ClientOnScreen(window).adjusted(-extents.captured(1).toInt(), -extents.captured(3).toInt(),
        extents.captured(2).toInt(), extents.captured(4).toInt());
}

// The window's _NET_WM_WINDOW_OPACITY, or "none" when the window has no such property.
std::string Opacity(const QWidget &window)
{
    const std::string text = Property(window, "_NET_WM_WINDOW_OPACITY");
    const size_t equals = text.find("= ");
    if (equals == std::string::npos)
        return "none";
    return text.substr(equals + 2, text.find_first_of("\n", equals) - equals - 2);
}

void Click(QPoint onScreen, int button)
{
    Shell("xdotool mousemove " + std::to_string(onScreen.x()) + " " + std::to_string(onScreen.y()) + " click "
        + std::to_string(button));
}

bool ShownAndFramed(QWidget &window)
{
    return WaitUntil([&] {
        return window.windowHandle() && window.windowHandle()->isExposed() && OuterOnScreen(window).has_value();
    });
}

// Counts right presses and context-menu requests that reach it.
class TRightClickSpy : public QWidget
{
public:
    using QWidget::QWidget;
    int Presses = 0;
    int ContextMenus = 0;

protected:
    void mousePressEvent(QMouseEvent *event) override { Presses += event->button() == Qt::RightButton; }
    void contextMenuEvent(QContextMenuEvent *) override { ++ContextMenus; }
};

class AuxwinX11 : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!GXServer)
            GTEST_SKIP() << GNoXServerReason;
        FMain.setWindowTitle(QStringLiteral("Kelvara"));
        FMain.setGeometry(120, 100, 520, 300);
        FSpy = new TRightClickSpy(&FMain);
        FSpy->setGeometry(0, 0, 520, 300);
        FStrip.SetFollowedWindow(&FMain);
    }

    // The main window and the strip on screen, the strip placed under the main window.
    void ShowBoth()
    {
        FMain.show();
        FStrip.show();
        ASSERT_TRUE(ShownAndFramed(FMain));
        ASSERT_TRUE(ShownAndFramed(FStrip));
        ASSERT_TRUE(WaitUntil([&] { return StripIsUnderMain(); }));
    }

    bool StripIsUnderMain()
    {
        const std::optional<QRect> main = OuterOnScreen(FMain);
        return main && ClientOnScreen(FStrip).topLeft() == QPoint(main->left(), main->bottom() + 1);
    }

    QWidget FMain;
    TRightClickSpy *FSpy = nullptr;
    TForm4 FStrip;
};

TEST_F(AuxwinX11, StripFollowsTheMainWindowsBottomLeftCorner)
{
    ShowBoth();
    for (const QPoint to : { QPoint(300, 180), QPoint(40, 60), QPoint(500, 320) }) {
        SCOPED_TRACE(to.x());
        const QRect before = *OuterOnScreen(FMain);
        Shell("xdotool windowmove " + Id(FMain) + " " + std::to_string(to.x()) + " " + std::to_string(to.y()));
        ASSERT_TRUE(WaitUntil([&] { return OuterOnScreen(FMain) != before; })) << "the main window did not move";
        EXPECT_TRUE(WaitUntil([&] { return StripIsUnderMain(); }))
            << "main " << OuterOnScreen(FMain)->x() << "," << OuterOnScreen(FMain)->bottom() << " strip "
            << ClientOnScreen(FStrip).x() << "," << ClientOnScreen(FStrip).y();
        EXPECT_EQ(ClientOnScreen(FStrip).size(), QSize(867, 101));
    }
}

TEST_F(AuxwinX11, RightClickOnThePageOpensTheStripsMenuAndNeverThePagesOwn)
{
    ShowBoth();
    const QPoint onPage = ClientOnScreen(FStrip).topLeft() + QPoint(430, 50);
    Click(onPage, 3);
    ASSERT_TRUE(WaitUntil([&] { return FStrip.PopupMenu1->isVisible(); }));
    EXPECT_EQ(QApplication::activePopupWidget(), FStrip.PopupMenu1);
    EXPECT_EQ(FStrip.PopupMenu1->pos(), onPage);
    QCoreApplication::processEvents();
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMenu *>(window) && window != FStrip.PopupMenu1) {
            EXPECT_FALSE(window->isVisible()) << "another menu opened";
        }
    }
    Shell("xdotool key Escape");
    ASSERT_TRUE(WaitUntil([&] { return !FStrip.PopupMenu1->isVisible(); }));

    // The main window's own right clicks are left alone.
    Click(ClientOnScreen(FMain).center(), 3);
    EXPECT_TRUE(WaitUntil([&] { return FSpy->ContextMenus == 1; }));
    EXPECT_EQ(FSpy->Presses, 1);
    EXPECT_FALSE(FStrip.PopupMenu1->isVisible());
}

TEST_F(AuxwinX11, TransparencyReadsBackFromTheWindow)
{
    ShowBoth();
    EXPECT_EQ(Opacity(FStrip), "none");

    // "30%" chosen the user's way: right click, "调节透明", "30%".
    Click(ClientOnScreen(FStrip).topLeft() + QPoint(430, 50), 3);
    ASSERT_TRUE(WaitUntil([&] { return FStrip.PopupMenu1->isVisible(); }));
    const QRect submenuItem = FStrip.PopupMenu1->actionGeometry(FStrip.TransparencyMenu->menuAction());
    Click(FStrip.PopupMenu1->mapToGlobal(submenuItem.center()), 1);
    ASSERT_TRUE(WaitUntil([&] { return FStrip.TransparencyMenu->isVisible(); }));
    Click(FStrip.TransparencyMenu->mapToGlobal(FStrip.TransparencyMenu->actionGeometry(FStrip.N01).center()), 1);
    // 60/255 and 100/255 of the property's full scale 0xFFFFFFFF.
    EXPECT_TRUE(WaitUntil([&] { return Opacity(FStrip) == "1010580540"; })) << Opacity(FStrip);
    EXPECT_FALSE(FStrip.PopupMenu1->isVisible());

    struct TStep {
        QAction *Item;
        const char *Opacity;
    };
    for (const TStep &step : { TStep { FStrip.N1001, "none" }, TStep { FStrip.N01, "1010580540" },
             TStep { FStrip.N101, "1684300900" }, TStep { FStrip.N1001, "none" } }) {
        SCOPED_TRACE(step.Item->text().toStdString());
        step.Item->trigger();
        EXPECT_TRUE(WaitUntil([&] { return Opacity(FStrip) == step.Opacity; })) << Opacity(FStrip);
    }
}

TEST_F(AuxwinX11, InformationWindowsCentredHelpKeptAboveCloseButtonHides)
{
    TForm5 help;
    TForm6 upgrade;
    for (const auto &[window, above] : { std::pair<TInfoWindow *, bool> { &help, true }, { &upgrade, false } }) {
        SCOPED_TRACE(window->windowTitle().toStdString());
        window->Show();
        ASSERT_TRUE(ShownAndFramed(*window));
        EXPECT_TRUE(WaitUntil([&, above = above] {
            return (Property(*window, "_NET_WM_STATE").find("_NET_WM_STATE_ABOVE") != std::string::npos) == above;
        }));
        EXPECT_EQ(ClientOnScreen(*window).size(), window->size());

        // The whole framed window centred on the screen's free area.
        QPoint off;
        EXPECT_TRUE(WaitUntil([&] {
            off = OuterOnScreen(*window).value_or(QRect()).center() - window->screen()->availableGeometry().center();
            return std::abs(off.x()) <= 2 && std::abs(off.y()) <= 2;
        })) << off.x()
            << "," << off.y();

        EXPECT_TRUE(window->Label1->isVisible());
        Click(window->BitBtn1->mapToGlobal(window->BitBtn1->rect().center()), 1);
        EXPECT_TRUE(WaitUntil([&] { return !window->isVisible(); }));
        EXPECT_TRUE(
            WaitUntil([&] { return Shell("xwininfo -id " + Id(*window)).find("IsViewable") == std::string::npos; }));
    }
}

// Starts the private X desktop; returns the process ids to end, empty when it could not be started.
std::string StartXSession()
{
    const std::string exports = Shell("bash " KELVARA_XSESSION_SCRIPT " start 2>/dev/null");
    const auto value = [&](const std::string &name, char end) {
        const size_t at = exports.find(name + "=");
        if (at == std::string::npos)
            return std::string();
        const size_t from = at + name.size() + 1 + (end == '\'' ? 1 : 0);
        return exports.substr(from, exports.find_first_of(std::string(1, end) + "\n", from) - from);
    };
    const std::string display = value("DISPLAY", ' ');
    const std::string pids = value("XSESSION_PIDS", '\'');
    if (display.empty() || pids.empty())
        return {};
    if (display == ":") {
        GNoXServerReason = "Xvfb did not start";
        return pids;
    }
    setenv("DISPLAY", display.c_str(), 1);
    setenv("DBUS_SESSION_BUS_ADDRESS", value("DBUS_SESSION_BUS_ADDRESS", ' ').c_str(), 1);
    // The window manager is ready once it has announced itself on the root window.
    QDeadlineTimer deadline(10000);
    while (Shell("xprop -root _NET_SUPPORTING_WM_CHECK 2>&1").find("window id") == std::string::npos) {
        if (deadline.hasExpired()) {
            GNoXServerReason = "the window manager did not start";
            return pids;
        }
        QThread::msleep(20);
    }
    GXServer = true;
    return pids;
}

} // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const bool listing = ::testing::GTEST_FLAG(list_tests);
    const std::string pids = listing ? std::string() : StartXSession();
    setenv("QT_QPA_PLATFORM", GXServer ? "xcb" : "offscreen", 1);
    int result;
    {
        QApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    if (!pids.empty()) {
        setenv("XSESSION_PIDS", pids.c_str(), 1);
        Shell("bash " KELVARA_XSESSION_SCRIPT " stop");
    }
    return result;
}
