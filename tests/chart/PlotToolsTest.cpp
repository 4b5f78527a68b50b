// SPDX-License-Identifier: GPL-3.0-or-later
// The chart's tools driven by real mouse, wheel and key events on the main window's chart.

#include "PlotTestSupport.h"
#include "chart/PlotAxis.h"
#include "chart/PlotDataCursor.h"
#include "chart/PlotError.h"
#include "chart/PlotFontMeasure.h"
#include "chart/PlotLegend.h"
#include "chart/PlotToolActions.h"
#include "chart/PlotToolBar.h"
#include "chart/PlotToolController.h"
#include "chart/PlotYAxis.h"
#include "tests/support/WaitUntil.h"
#include "ui/DialogFolder.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>
#include <cmath>
#include <gtest/gtest.h>

namespace
{

using namespace std::chrono_literals;

class PlotTools : public ::testing::Test
{
protected:
    TStripChart Chart;
    TPlot &Plot = *Chart.Plot;
    std::vector<std::pair<int, int>> Clicks;

    void SetUp() override
    {
        Plot.OnToolBarButtonClick = [this](int toolBar, int button) { Clicks.emplace_back(toolBar, button); };
        Chart.Paint(); // lays the chart out
    }

    TPlotXAxis &X() { return *Plot.XAxis(0); }
    TPlotYAxis &Y() { return *Plot.YAxis(0); }
    TPlotToolBar &Bar() { return *Plot.ToolBar(0); }

    void Mouse(QEvent::Type type, QPoint point, Qt::MouseButton button, Qt::MouseButtons buttons,
        Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QMouseEvent event(type, QPointF(point), QPointF(Plot.mapToGlobal(point)), button, buttons, modifiers);
        QApplication::sendEvent(&Plot, &event);
    }
    void Press(QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier, Qt::MouseButton b = Qt::LeftButton)
    {
        Mouse(QEvent::MouseButtonPress, p, b, b, m);
    }
    void Drag(QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        Mouse(QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton, m);
    }
    void Hover(QPoint p) { Mouse(QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton); }
    void Release(QPoint p, Qt::MouseButton b = Qt::LeftButton) { Mouse(QEvent::MouseButtonRelease, p, b, {}); }
    void Click(QPoint p)
    {
        Press(p);
        Release(p);
    }
    void ClickButton(int index)
    {
        Chart.Paint();
        const TPlotRect &r = Bar().Button(index).Rect();
        Click(QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    }
    void WheelNotch(int delta, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QWheelEvent event(QPointF(10, 10), QPointF(Plot.mapToGlobal(QPoint(10, 10))), QPoint(), QPoint(0, delta),
            Qt::NoButton, m, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&Plot, &event);
    }
    void Key(int key, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QKeyEvent event(QEvent::KeyPress, key, m);
        QApplication::sendEvent(&Plot, &event);
    }
    QPoint XAxisPoint(double fraction)
    {
        return QPoint(
            X().ExtentLow() + int(std::lround(fraction * (X().ExtentHigh() - X().ExtentLow()))), X().Band().Top + 10);
    }
    QPoint YAxisPoint() { return QPoint(Y().Band().Right - 10, (Y().ExtentLow() + Y().ExtentHigh()) / 2); }
    // Ten seconds of a ramp, one point a second, the window scrolled to 10 s.
    void FillTenSeconds()
    {
        X().SetSpan(10);
        for (int i = 0; i < 30; ++i)
            Chart.AddAfter(1.0, i);
        Chart.Paint();
    }
};

TEST_F(PlotTools, ButtonsHaveGlyphsAndEnabledStates)
{
    int shown = 0;
    for (const TPlotToolBarButton &button : Bar().Buttons()) {
        if (!button.Visible)
            continue;
        ++shown;
        ASSERT_GE(button.ImageIndex, 0) << button.GlyphName.toStdString();
        EXPECT_EQ(Bar().Images()[std::size_t(button.ImageIndex)].size(), QSize(24, 24));
    }
    EXPECT_EQ(shown, 12);
    EXPECT_FALSE(Bar().Button(TPlotToolBar::tbResume).Enabled);
    EXPECT_TRUE(Bar().Button(TPlotToolBar::tbPause).Enabled);
    EXPECT_TRUE(Bar().Button(TPlotToolBar::tbScroll).Down);

    ClickButton(TPlotToolBar::tbPause);
    Chart.Paint();
    EXPECT_TRUE(Bar().Button(TPlotToolBar::tbResume).Enabled);
    EXPECT_FALSE(Bar().Button(TPlotToolBar::tbPause).Enabled);
    ClickButton(TPlotToolBar::tbResume);
    Chart.Paint();
    EXPECT_FALSE(Bar().Button(TPlotToolBar::tbResume).Enabled);
    EXPECT_TRUE(Bar().Button(TPlotToolBar::tbPause).Enabled);
    EXPECT_EQ(Clicks, (std::vector<std::pair<int, int>> { { 0, 1 }, { 0, 0 } }));
}

TEST_F(PlotTools, ButtonsActOnReleaseInsideThePressedButton)
{
    const TPlotRect r = Bar().Button(TPlotToolBar::tbPause).Rect();
    const QPoint inside((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    Press(inside);
    EXPECT_TRUE(Bar().Button(TPlotToolBar::tbPause).Pressed);
    EXPECT_TRUE(X().TrackingEnabled()) << "nothing happens on the press";
    Drag(QPoint(inside.x(), 200));
    Release(QPoint(inside.x(), 200));
    EXPECT_FALSE(Bar().Button(TPlotToolBar::tbPause).Pressed);
    EXPECT_TRUE(X().TrackingEnabled());
    EXPECT_TRUE(Clicks.empty());

    // Zoom and Scroll form a group: one down releases the other.
    ClickButton(TPlotToolBar::tbZoom);
    EXPECT_TRUE(Bar().Button(TPlotToolBar::tbZoom).Down);
    EXPECT_FALSE(Bar().Button(TPlotToolBar::tbScroll).Down);
    EXPECT_TRUE(Plot.Tools().AxesZoomMode());
    ClickButton(TPlotToolBar::tbScroll);
    EXPECT_FALSE(Bar().Button(TPlotToolBar::tbZoom).Down);
    EXPECT_FALSE(Plot.Tools().AxesZoomMode());
}

TEST_F(PlotTools, PauseFreezesTheTimeAxisAndResumeJumpsBackThenFollows)
{
    FillTenSeconds();
    const double min = X().Min();
    ClickButton(TPlotToolBar::tbPause);
    Chart.AddAfter(1.0, 5);
    Chart.AddAfter(1.0, 6);
    EXPECT_EQ(X().Min(), min) << "the window stays while points are stored";
    EXPECT_EQ(Plot.Channel(0)->Count(), 32);

    X().SetMin(min - 50); // a look into the past while paused
    ClickButton(TPlotToolBar::tbResume);
    EXPECT_EQ(X().Min(), min) << "back to the saved window";
    Chart.AddAfter(1.0, 7);
    EXPECT_DOUBLE_EQ(X().Max(), Plot.Channel(0)->X(32)) << "and following the newest point again";
}

TEST_F(PlotTools, ZoomInTwiceQuartersEverySpanAboutItsCentreAndPauses)
{
    FillTenSeconds();
    const double xCentre = X().Min() + X().Span() / 2;
    const double yCentre = Y().Min() + Y().Span() / 2;
    const double ySpan = Y().Span();
    ClickButton(TPlotToolBar::tbZoomIn);
    ClickButton(TPlotToolBar::tbZoomIn);
    EXPECT_NEAR(X().Span(), 2.5, 1e-9);
    EXPECT_NEAR(X().Min() + X().Span() / 2, xCentre, 1e-9);
    EXPECT_NEAR(Y().Span(), ySpan / 4, 1e-9);
    EXPECT_NEAR(Y().Min() + Y().Span() / 2, yCentre, 1e-9);
    EXPECT_FALSE(X().TrackingEnabled());
    EXPECT_FALSE(Y().TrackingEnabled());
    // Each zoom also reports the pause it did.
    EXPECT_EQ(Clicks, (std::vector<std::pair<int, int>> { { 0, 1 }, { 0, 7 }, { 0, 1 }, { 0, 7 } }));

    ClickButton(TPlotToolBar::tbZoomOut);
    EXPECT_NEAR(X().Span(), 5, 1e-9);
    EXPECT_THROW(ZoomAllAxes(Plot.Master(), 0), EPlotError);
}

TEST_F(PlotTools, DraggingTheTimeAxisScrollsOrWithCtrlZooms)
{
    FillTenSeconds();
    const double min = X().Min();
    Press(XAxisPoint(0));
    Drag(XAxisPoint(0.5));
    Drag(XAxisPoint(1));
    Release(XAxisPoint(1));
    EXPECT_FALSE(X().TrackingEnabled());
    EXPECT_NEAR(X().Min(), min - 10, 1e-9) << "one span into the past";
    EXPECT_NEAR(X().Span(), 10, 1e-9);
    EXPECT_EQ(Plot.Tools().Selected(), &X()) << "releasing over the axis selects it";

    const double centre = X().Min() + X().Span() / 2;
    Press(XAxisPoint(0));
    Drag(XAxisPoint(1), Qt::ControlModifier);
    Release(XAxisPoint(1));
    EXPECT_NEAR(X().Span(), 10 / std::pow(10.0, 0.25), 1e-9);
    EXPECT_NEAR(X().Min() + X().Span() / 2, centre, 1e-9);

    // The value axis moves upwards with the mouse.
    const double yMin = Y().Min();
    const QPoint start = YAxisPoint();
    Press(start);
    Drag(start - QPoint(0, 10));
    Release(start - QPoint(0, 10));
    EXPECT_LT(Y().Min(), yMin);
}

TEST_F(PlotTools, WheelAndKeysMoveTheSelectedAxis)
{
    WheelNotch(120);
    EXPECT_TRUE(X().TrackingEnabled()) << "no axis selected";
    Click(XAxisPoint(0.5));
    ASSERT_EQ(Plot.Tools().Selected(), &X());
    WheelNotch(120);
    EXPECT_FALSE(X().TrackingEnabled());
    EXPECT_NEAR(X().Min(), 0.05, 1e-12);
    WheelNotch(120, Qt::ControlModifier);
    EXPECT_NEAR(X().Span(), 1 / std::pow(10.0, 0.025), 1e-12);

    X().SetMinSpan(0, 1);
    struct {
        int Key;
        double Min;
    } scroll[] = { { Qt::Key_PageUp, 1 }, { Qt::Key_End, 2 }, { Qt::Key_Home, 1 }, { Qt::Key_PageDown, 0 },
        { Qt::Key_Right, 0.01 }, { Qt::Key_Up, 0.02 }, { Qt::Key_Left, 0.01 }, { Qt::Key_Down, 0 }, { Qt::Key_A, 0 } };
    for (const auto &c : scroll) {
        Key(c.Key);
        EXPECT_NEAR(X().Min(), c.Min, 1e-12) << c.Key;
    }
    Key(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_NEAR(X().Span(), 0.1, 1e-12) << "Ctrl zooms: the span divided by 10";
}

TEST_F(PlotTools, ZoomBoxCountsOnlyWhenDraggedRightAndDown)
{
    FillTenSeconds();
    ClickButton(TPlotToolBar::tbZoomBox);
    ASSERT_TRUE(Bar().Button(TPlotToolBar::tbZoomBox).Down);
    const TPlotRect dv = Plot.DataViewRect();
    const QPoint a(dv.Left + 100, dv.Top + 50), b(dv.Left + 300, dv.Top + 150);
    const double x0 = X().Min(), s0 = X().Span(), y0 = Y().Min(), ys0 = Y().Span();

    Press(b);
    EXPECT_FALSE(X().TrackingEnabled()) << "pressing in the plot area pauses";
    Drag(a);
    EXPECT_TRUE(Plot.Tools().ZoomBoxDragging());
    Release(a);
    EXPECT_EQ(X().Min(), x0);
    EXPECT_EQ(X().Span(), s0);
    EXPECT_EQ(Y().Min(), y0);
    EXPECT_EQ(Y().Span(), ys0);

    const double left = X().PixelToValue(a.x()), right = X().PixelToValue(b.x());
    const double bottom = Y().PixelToValue(b.y()), top = Y().PixelToValue(a.y());
    Press(a);
    Drag(b);
    Release(b);
    EXPECT_DOUBLE_EQ(X().Min(), left);
    EXPECT_DOUBLE_EQ(X().Span(), right - left);
    EXPECT_DOUBLE_EQ(Y().Min(), bottom);
    EXPECT_DOUBLE_EQ(Y().Span(), top - bottom);

    Plot.OnBeforeZoomBox = [](const QPoint &, const QPoint &) { return false; };
    const double vetoed = X().Min();
    Press(a);
    Drag(b);
    Release(b);
    EXPECT_EQ(X().Min(), vetoed);
}

TEST_F(PlotTools, CursorReadsTheTraceAtHalfTheWidth)
{
    X().SetSpan(10);
    for (int i = 0; i < 11; ++i)
        Chart.AddAfter(i == 0 ? 2.0 : 1.0, i * 10);
    Chart.Paint();
    TPlotDataCursor &cursor = *Plot.DataCursor(0);
    ClickButton(TPlotToolBar::tbCursor);
    EXPECT_TRUE(cursor.Visible());
    EXPECT_FALSE(X().TrackingEnabled());
    EXPECT_EQ(Plot.Tools().Selected(), &cursor);
    Chart.Paint();
    const TPlotRect dv = Plot.DataViewRect();
    EXPECT_EQ(cursor.PointerPixel(1), dv.Left + int(std::lround(dv.Width() / 2.0)));
    const double x = X().PixelToValue(cursor.PointerPixel(1));
    const QString expected = X().LabelText(x) + ", ";
    ASSERT_TRUE(cursor.Text().startsWith(expected)) << cursor.Text().toStdString();
    const double y = cursor.Text().mid(expected.size()).toDouble();
    EXPECT_NEAR(y, (x - Plot.Channel(0)->X(0)) * 10, 1.5) << "the ramp rises by 10 a second";

    // Past the newest point the channel has nothing to read.
    X().SetMin(X().Min() + 100);
    Chart.Paint();
    EXPECT_TRUE(cursor.Text().endsWith(", Empty")) << cursor.Text().toStdString();

    // The pointer is dragged and stays within the plot area.
    const QPoint grab(cursor.PointerPixel(1) + 3, (dv.Top + dv.Bottom) / 2);
    Press(grab);
    Drag(QPoint(dv.Left + dv.Width() / 4, grab.y()));
    EXPECT_NEAR(cursor.Pointer1Position(), 25, 0.5);
    Drag(QPoint(dv.Left - 50, grab.y()));
    EXPECT_EQ(cursor.Pointer1Position(), 0);
    Release(QPoint(dv.Left - 50, grab.y()));

    cursor.SetChannelName("Nothing");
    Chart.Paint();
    EXPECT_EQ(cursor.Text(), "No Channel");
    cursor.SetChannelName(Plot.Channel(0)->Name());
    cursor.SetStyle(pcsInverseDeltaX);
    cursor.SetPointer2Position(cursor.Pointer1Position());
    Chart.Paint();
    EXPECT_EQ(cursor.Text(), "Infinite");

    ClickButton(TPlotToolBar::tbResume);
    EXPECT_FALSE(cursor.Visible());
    EXPECT_FALSE(Bar().Button(TPlotToolBar::tbCursor).Down);
    EXPECT_TRUE(X().TrackingEnabled());
}

TEST_F(PlotTools, CursorOnAllChannelsFillsTheLegendInsteadOfAHint)
{
    X().SetSpan(10);
    for (int i = 0; i < 11; ++i)
        Chart.AddAfter(1.0, i * 10);
    TPlotDataCursor &cursor = *Plot.DataCursor(0);
    TPlotLegend &legend = *Plot.Legend(0);
    TPlotFontMeasure measure(&Plot);
    Chart.Paint();
    const int narrow = legend.Thickness(measure);
    ClickButton(TPlotToolBar::tbCursor);
    cursor.SetChannelName("<All>");
    Chart.Paint();
    EXPECT_FALSE(cursor.HintVisible());
    ASSERT_EQ(legend.CursorColumns(), &cursor);
    const TPlotChannelCustom &channel = *Plot.Channel(0);
    const int wide = legend.Thickness(measure);
    EXPECT_GT(wide, narrow + measure.TextWidth(legend.Font().Font, cursor.XText(channel)));
    EXPECT_EQ(cursor.XText(channel), X().LabelText(X().PixelToValue(cursor.PointerPixel(1))));
    EXPECT_NE(cursor.YText(channel), "Empty");
}

TEST_F(PlotTools, HintBoxFlipsToTheLeftNearTheRightEdge)
{
    TPlotDataCursor &cursor = *Plot.DataCursor(0);
    ClickButton(TPlotToolBar::tbCursor);
    Chart.Paint();
    TPlotFontMeasure measure(&Plot);
    const TPlotRect dv = Plot.DataViewRect();
    TPlotRect box = cursor.HintRect(measure);
    EXPECT_EQ(box.Left, cursor.PointerPixel(1) + 5);
    cursor.SetPointer1Position(99);
    Chart.Paint();
    box = cursor.HintRect(measure);
    EXPECT_EQ(box.Right, cursor.PointerPixel(1) - 5);
    EXPECT_LE(box.Right, dv.Right);
    cursor.SetPointer1Position(1);
    cursor.SetHintOrientationSide(osTopLeft);
    Chart.Paint();
    box = cursor.HintRect(measure);
    EXPECT_EQ(box.Left, cursor.PointerPixel(1) + 5) << "back to the right when the left has no room";
}

TEST_F(PlotTools, ClickingALegendEntrySelectsIt)
{
    TPlotLegend &legend = *Plot.Legend(0);
    TPlotFontMeasure measure(&Plot);
    const TPlotRect row = legend.EntryRect(measure, 0);
    Click(QPoint((row.Left + row.Right) / 2, (row.Top + row.Bottom) / 2));
    EXPECT_EQ(legend.SelectedEntry(), 0);
    EXPECT_EQ(Plot.Tools().Selected(), &legend);
    const QImage image = Chart.Paint();
    EXPECT_EQ(image.pixelColor(row.Right - 1, row.Top), legend.SelectedItemBackGroundColor());
    ClickButton(TPlotToolBar::tbResume);
    ClickButton(TPlotToolBar::tbPause);
    ClickButton(TPlotToolBar::tbResume);
    EXPECT_EQ(legend.SelectedEntry(), -1) << "Resume clears the selection";
}

QAction *FindAction(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

TEST_F(PlotTools, AxisMenuOffersTrackingResumeValuesAndZoomToFit)
{
    FillTenSeconds();
    std::unique_ptr<QMenu> menu(Plot.Tools().CreateContextMenu(YAxisPoint(), &Plot));
    ASSERT_TRUE(menu);
    QStringList captions;
    for (QAction *action : menu->actions())
        captions << action->text();
    EXPECT_EQ(captions, QStringList({ "Tracking Enabled", "Update Resume Values", "Zoom to Fit", "Edit..." }));
    EXPECT_TRUE(FindAction(menu.get(), "Tracking Enabled")->isChecked());
    EXPECT_FALSE(FindAction(menu.get(), "Update Resume Values")->isEnabled());

    // Zoom to Fit takes the points drawn at the last paint, and keeps tracking.
    FindAction(menu.get(), "Zoom to Fit")->trigger();
    double low = 0, high = 0;
    ASSERT_TRUE(Plot.Channel(0)->VisibleYRange(low, high));
    EXPECT_EQ(Y().Min(), low);
    EXPECT_EQ(Y().Span(), high - low);
    EXPECT_TRUE(Y().TrackingEnabled());

    FindAction(menu.get(), "Tracking Enabled")->trigger();
    EXPECT_FALSE(Y().TrackingEnabled());
    Y().SetMin(Y().Min() + 3);
    menu.reset(Plot.Tools().CreateContextMenu(YAxisPoint(), &Plot));
    QAction *update = FindAction(menu.get(), "Update Resume Values");
    ASSERT_TRUE(update->isEnabled());
    update->trigger();
    EXPECT_EQ(Y().ResumeMin(), Y().Min());

    // The cursor's menu.
    ClickButton(TPlotToolBar::tbCursor);
    Chart.Paint();
    TPlotDataCursor &cursor = *Plot.DataCursor(0);
    const TPlotRect dv = Plot.DataViewRect();
    menu.reset(Plot.Tools().CreateContextMenu(QPoint(cursor.PointerPixel(1), (dv.Top + dv.Bottom) / 2), &Plot));
    ASSERT_TRUE(menu);
    captions.clear();
    for (QAction *action : menu->actions())
        captions << action->text();
    EXPECT_EQ(captions, QStringList({ "Channel", "Style", "Options", "Flip Alignment", "Edit..." }));
    QMenu *channels = FindAction(menu.get(), "Channel")->menu();
    EXPECT_EQ(channels->actions().size(), 2);
    EXPECT_EQ(channels->actions()[0]->text(), "<All>");
    EXPECT_EQ(channels->actions()[1]->text(), "数据");
    EXPECT_TRUE(channels->actions()[1]->isChecked());
    QMenu *styles = FindAction(menu.get(), "Style")->menu();
    ASSERT_EQ(styles->actions().size(), 6);
    styles->actions()[4]->trigger();
    EXPECT_EQ(cursor.Style(), pcsDeltaY);
    FindAction(menu.get(), "Flip Alignment")->trigger();
    EXPECT_EQ(cursor.HintOrientationSide(), osTopLeft);
}

TEST_F(PlotTools, EditIsDisabledWhileThereIsNoEditorAndOpensTheHostsEditorOnItsObject)
{
    const TPlotRect dv = Plot.DataViewRect();
    const struct {
        const char *Name;
        QPoint Point;
        TPlotObject *Object;
    } objects[] = {
        { "axis", YAxisPoint(), &Y() },
        { "data view", QPoint((dv.Left + dv.Right) / 2, (dv.Top + dv.Bottom) / 2), nullptr },
    };
    TPlotObject *edited = nullptr;
    int edits = 0;
    for (bool withEditor : { false, true }) {
        if (withEditor)
            Plot.OnEditObject = [&](TPlotObject *object) {
                edited = object;
                ++edits;
            };
        for (const auto &o : objects) {
            std::unique_ptr<QMenu> menu(Plot.Tools().CreateContextMenu(o.Point, &Plot));
            ASSERT_TRUE(menu) << o.Name;
            QAction *edit = FindAction(menu.get(), "Edit...");
            ASSERT_TRUE(edit) << o.Name;
            EXPECT_EQ(edit->isEnabled(), withEditor) << o.Name;
            if (withEditor) {
                edit->trigger();
                if (o.Object) {
                    EXPECT_EQ(edited, o.Object) << o.Name;
                }
            }
        }
    }
    EXPECT_EQ(edits, 2);
}

TEST_F(PlotTools, HintsShowAfterAPauseAndHideOnPress)
{
    Plot.SetHintsHidePause(60000);
    Hover(XAxisPoint(0.5));
    ASSERT_TRUE(WaitUntil([&] { return Plot.Tools().HintShown(); }));
    EXPECT_EQ(Plot.Tools().HintText(), "Time (Seconds)");
    EXPECT_EQ(Plot.Tools().HintPoint(), XAxisPoint(0.5) - QPoint(0, 20));

    // Another object with a hint replaces it at once.
    const TPlotRect r = Bar().Button(TPlotToolBar::tbCopy).Rect();
    Hover(QPoint(r.Left + 5, r.Top + 5));
    EXPECT_EQ(Plot.Tools().HintText(), "Copy to Clipboard");
    EXPECT_EQ(Plot.Tools().HintPoint(), QPoint(r.Left, r.Bottom + 3));
    Press(YAxisPoint());
    EXPECT_FALSE(Plot.Tools().HintShown());
    Release(YAxisPoint());

    Plot.SetHintsHidePause(50);
    Hover(XAxisPoint(0.3));
    ASSERT_TRUE(WaitUntil([&] { return Plot.Tools().HintShown(); }));
    EXPECT_TRUE(WaitUntil([&] { return !Plot.Tools().HintShown(); }));
}

TEST_F(PlotTools, AHintWaitsUntilTheMouseRestsAndAppearsWhereItRested)
{
    Plot.SetHintsPause(1000);
    Plot.SetHintsHidePause(60000);
    // Moving along the time axis for longer than the pause: each move starts the pause again.
    QElapsedTimer moving, sinceLastMove;
    moving.start();
    QPoint rest;
    for (double fraction = 0.2; moving.elapsed() < 1600; fraction += 0.01) {
        rest = XAxisPoint(fraction);
        Hover(rest);
        sinceLastMove.start();
        PumpFor(50ms);
        ASSERT_FALSE(Plot.Tools().HintShown()) << "shown while the mouse moved, after " << moving.elapsed() << " ms";
    }
    ASSERT_TRUE(WaitUntil([&] { return Plot.Tools().HintShown(); }));
    EXPECT_GE(sinceLastMove.elapsed(), 900); // the pause, less the timer's coarseness
    EXPECT_EQ(Plot.Tools().HintText(), "Time (Seconds)");
    EXPECT_EQ(Plot.Tools().HintPoint(), rest - QPoint(0, 20));
}

// The toolbar's band in a picture with toolbars is painted in the button face; without them it is chart background.
bool HasToolBar(const QImage &image)
{
    return image.pixelColor(200, 10) != QColor(Qt::black);
}

TEST_F(PlotTools, PicturesLeaveTheToolBarOutAndItComesBack)
{
    FillTenSeconds();
    ASSERT_TRUE(HasToolBar(Chart.Paint()));
    Plot.SetCopyToClipBoardFormat(pefBitmap);
    Plot.CopyToClipboard();
    const QImage copied = qvariant_cast<QImage>(QGuiApplication::clipboard()->mimeData()->imageData());
    ASSERT_EQ(copied.size(), Plot.size());
    EXPECT_FALSE(HasToolBar(copied));
    EXPECT_TRUE(Bar().Visible());
    EXPECT_TRUE(HasToolBar(Chart.Paint()));

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(Plot.SaveToFile(dir.filePath("chart.png")));
    const QImage saved(dir.filePath("chart.png"));
    ASSERT_EQ(saved.size(), Plot.size());
    EXPECT_FALSE(HasToolBar(saved));
    EXPECT_TRUE(Bar().Visible());
    EXPECT_FALSE(Plot.SaveToFile(dir.filePath("chart.gif")));
    EXPECT_FALSE(QFile::exists(dir.filePath("chart.gif")));

    // A failed save still gives the toolbar back.
    EXPECT_THROW(Plot.SaveToFile(dir.filePath("missing/chart.bmp")), EPlotError);
    EXPECT_TRUE(Bar().Visible());
}

TEST_F(PlotTools, SaveButtonAsksForANameAndTakesTheFilterEnding)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString offeredName;
    QString offeredFolder;
    QStringList filters;
    const QString startFolder = DialogFolder();
    QTimer::singleShot(0, [&]() {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        filters = dialog->nameFilters();
        offeredName = dialog->findChild<QLineEdit *>("fileNameEdit")->text();
        offeredFolder = dialog->directory().absolutePath();
        dialog->setDirectory(dir.path());
        dialog->selectNameFilter("PNG (*.png)");
        QMetaObject::invokeMethod(dialog, "filterSelected", Q_ARG(QString, "PNG (*.png)"));
        dialog->selectFile(dir.filePath("picture"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    ClickButton(TPlotToolBar::tbSave);
    EXPECT_EQ(offeredName, "Untitled");
    EXPECT_EQ(offeredFolder, startFolder) << "the dialogs' folder, not the current one";
    EXPECT_EQ(DialogFolder(), dir.path()) << "the next dialog opens where this picture went";
    EXPECT_EQ(
        filters, QStringList({ "Bitmap (*.bmp)", "Enhanced Metafile (*.emf)", "JPEG File (*.jpg)", "PNG (*.png)" }));
    EXPECT_EQ(QImage(dir.filePath("picture.png")).size(), Plot.size());
    EXPECT_EQ(Clicks.back(), std::make_pair(0, int(TPlotToolBar::tbSave)));
}

} // namespace
