// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QString>

class TPlotAxis;
class TPlotLegend;
class TPlotMasterManager;
class TPlotMeasure;
class TPlotObject;
class TPlotToolBar;

// What lies under a point of the chart, in chart pixels of the last layout. Toolbars, legends and axes are found only
// when visible and placed by the layout; data cursors answer for themselves (a hidden cursor is never hit).

enum TPlotHitKind { phkNone, phkToolBar, phkDataCursor, phkLegend, phkAxis, phkDataView };

struct TPlotHit {
    TPlotHitKind Kind = phkNone;
    // The object of that kind: a TPlotToolBar, TPlotDataCursor, TPlotLegend, TPlotAxis or TPlotDataView. Null for
    // none, and for the data view's area when the chart has no data view object.
    TPlotObject *Object = nullptr;
    // The visible toolbar button under the point (enabled or not); -1 on the toolbar's band between buttons.
    int Button = -1;
};

// Where things overlap, the first of toolbar, data cursor, legend, axis and data view wins.
TPlotHit PlotHitAt(TPlotMasterManager &master, const QPoint &point);
// The toolbar under the point and, in buttonIndex, its button there or -1.
TPlotToolBar *PlotToolBarAt(TPlotMasterManager &master, const QPoint &point, int &buttonIndex);
// The axis under the point (X axes before Y axes).
TPlotAxis *PlotAxisAt(TPlotMasterManager &master, const QPoint &point);
// The legend entry whose row holds the point, or -1; measure gives the text measures the legend was laid out with.
int PlotLegendEntryAt(const TPlotLegend &legend, const TPlotMeasure &measure, const QPoint &point);

// The hint for the point: a toolbar button's hint text, its top-left corner at the button's left edge 3 pixels below
// the button; or the title of an axis that does not show its title, 20 pixels above the point. Object is null when
// there is no hint there.
struct TPlotHintTarget {
    TPlotObject *Object = nullptr;
    int Button = -1;
    QString Text;
    QPoint Point;
};
TPlotHintTarget PlotHintAt(TPlotMasterManager &master, const QPoint &point);
