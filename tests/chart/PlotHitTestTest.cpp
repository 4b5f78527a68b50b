// SPDX-License-Identifier: GPL-3.0-or-later
// What lies under a point of the main window's chart, laid out at its size.

#include "chart/PlotHitTest.h"

#include "PlotTestSupport.h"
#include "chart/PlotDataCursor.h"
#include "chart/PlotDataView.h"
#include "chart/PlotFontMeasure.h"
#include "chart/PlotLegend.h"
#include "chart/PlotToolBar.h"
#include "chart/PlotYAxis.h"

#include <gtest/gtest.h>

namespace
{

QPoint Centre(const TPlotRect &r)
{
    return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
}

class PlotHitTest : public ::testing::Test
{
protected:
    TStripChart Chart;
    TPlot &Plot = *Chart.Plot;
    TPlotMasterManager &Master = Plot.Master();

    void SetUp() override { Chart.Paint(); }

    TPlotToolBar &Bar() { return *Plot.ToolBar(0); }
    QPoint XAxisPoint() { return QPoint(Centre(Plot.DataViewRect()).x(), Plot.XAxis(0)->Band().Top + 10); }
    QPoint YAxisPoint() { return QPoint(Plot.YAxis(0)->Band().Right - 10, Centre(Plot.DataViewRect()).y()); }
    // A point on the toolbar's band that no button covers.
    QPoint ToolBarGap()
    {
        const TPlotRect &band = Bar().Band();
        const QPoint gap(band.Right - 1, (band.Top + band.Bottom) / 2);
        for (const TPlotToolBarButton &button : Bar().Buttons())
            EXPECT_FALSE(button.Visible && button.Contains(gap)) << "the toolbar's last pixel is on a button";
        return gap;
    }
};

TEST_F(PlotHitTest, EachPartOfTheChartIsFoundWhereItIsDrawn)
{
    struct TCase {
        const char *Name;
        QPoint Point;
        TPlotHitKind Kind;
        TPlotObject *Object;
        int Button;
    };
    const TCase cases[] = {
        { "toolbar between buttons", ToolBarGap(), phkToolBar, &Bar(), -1 },
        { "time axis", XAxisPoint(), phkAxis, Plot.XAxis(0), -1 },
        { "value axis", YAxisPoint(), phkAxis, Plot.YAxis(0), -1 },
        { "legend", Centre(Plot.Legend(0)->Band()), phkLegend, Plot.Legend(0), -1 },
        { "data view", Centre(Plot.DataViewRect()), phkDataView, Plot.DataView(0), -1 },
        { "data view, hidden cursor", QPoint(Plot.DataCursor(0)->PointerPixel(1), Centre(Plot.DataViewRect()).y()),
            phkDataView, Plot.DataView(0), -1 },
        { "outside the chart", QPoint(-5, -5), phkNone, nullptr, -1 },
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        const TPlotHit hit = PlotHitAt(Master, c.Point);
        EXPECT_EQ(hit.Kind, c.Kind);
        EXPECT_EQ(hit.Object, c.Object);
        EXPECT_EQ(hit.Button, c.Button);
    }

    int shown = 0;
    for (const TPlotToolBarButton &button : Bar().Buttons()) {
        if (!button.Visible)
            continue;
        ++shown;
        const TPlotHit hit = PlotHitAt(Master, Centre(button.Rect()));
        EXPECT_EQ(hit.Kind, phkToolBar);
        EXPECT_EQ(hit.Button, button.Index);
    }
    EXPECT_EQ(shown, 12);
}

TEST_F(PlotHitTest, AVisibleCursorLiesOverTheDataViewAndHiddenPartsAreNotFound)
{
    TPlotDataCursor &cursor = *Plot.DataCursor(0);
    cursor.SetVisible(true);
    Chart.Paint();
    const QPoint onPointer(cursor.PointerPixel(1), Centre(Plot.DataViewRect()).y());
    EXPECT_EQ(PlotHitAt(Master, onPointer).Object, &cursor);
    EXPECT_EQ(PlotHitAt(Master, onPointer - QPoint(30, 0)).Kind, phkDataView)
        << "left of the pointer, away from its hint";

    const QPoint onYAxis = YAxisPoint();
    const QPoint onLegend = Centre(Plot.Legend(0)->Band());
    const QPoint onButton = Centre(Bar().Button(TPlotToolBar::tbPause).Rect());
    Plot.YAxis(0)->SetVisible(false);
    Plot.Legend(0)->SetVisible(false);
    Bar().SetVisible(false);
    Chart.Paint();
    EXPECT_NE(PlotHitAt(Master, onYAxis).Object, Plot.YAxis(0));
    EXPECT_EQ(PlotAxisAt(Master, onYAxis), nullptr);
    EXPECT_NE(PlotHitAt(Master, onLegend).Kind, phkLegend);
    int button = 7;
    EXPECT_EQ(PlotToolBarAt(Master, onButton, button), nullptr);
    EXPECT_EQ(button, 7) << "untouched when no toolbar is hit";
}

TEST_F(PlotHitTest, LegendEntriesByTheirRows)
{
    const TPlotLegend &legend = *Plot.Legend(0);
    const TFixedMeasure measure;
    const TPlotRect row = legend.EntryRect(measure, 0);
    EXPECT_EQ(PlotLegendEntryAt(legend, measure, Centre(row)), 0);
    EXPECT_EQ(PlotLegendEntryAt(legend, measure, QPoint(row.Left, row.Top)), 0);
    EXPECT_EQ(PlotLegendEntryAt(legend, measure, QPoint(row.Left, row.Bottom + 1)), -1);
    EXPECT_EQ(PlotLegendEntryAt(legend, measure, QPoint(row.Left - 1, row.Top)), -1);
}

TEST_F(PlotHitTest, HintsOfButtonsAndOfAxesWithoutShownTitles)
{
    const TPlotToolBarButton &pause = Bar().Button(TPlotToolBar::tbPause);
    const QPoint onX = XAxisPoint();
    struct TCase {
        const char *Name;
        QPoint Point;
        TPlotObject *Object;
        int Button;
        QString Text;
        QPoint At;
    };
    const TCase cases[] = {
        { "button", Centre(pause.Rect()), &Bar(), TPlotToolBar::tbPause, pause.Hint,
            QPoint(pause.Rect().Left, pause.Rect().Bottom + 3) },
        { "time axis", onX, Plot.XAxis(0), -1, "Time (Seconds)", onX - QPoint(0, 20) },
        { "value axis", YAxisPoint(), Plot.YAxis(0), -1, "Y-Axis 1", YAxisPoint() - QPoint(0, 20) },
        { "toolbar between buttons", ToolBarGap(), nullptr, -1, "", QPoint() },
        { "data view", Centre(Plot.DataViewRect()), nullptr, -1, "", QPoint() },
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        const TPlotHintTarget hint = PlotHintAt(Master, c.Point);
        EXPECT_EQ(hint.Object, c.Object);
        EXPECT_EQ(hint.Button, c.Button);
        EXPECT_EQ(hint.Text, c.Text);
        EXPECT_EQ(hint.Point, c.At);
    }
    EXPECT_FALSE(pause.Hint.isEmpty());

    Plot.XAxis(0)->SetTitleShow(true);
    Chart.Paint();
    EXPECT_EQ(PlotHintAt(Master, XAxisPoint()).Object, nullptr) << "a shown title needs no hint";
}

} // namespace
