// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>

class TPlotAxis;
class TPlotMasterManager;

// What the chart's tools do to its axes, without any widget: pausing and resuming tracking, zooming all axes, and
// moving one axis by a drag, a wheel notch or a key. zoomMode selects zooming over scrolling for one axis.

// Tracking off (resume values saved) on every X axis, then every Y axis.
void PauseAllAxes(TPlotMasterManager &master);
// Tracking on (resume values restored) on every X axis, then every Y axis.
void ResumeAllAxes(TPlotMasterManager &master);
// Every span times factor about its centre. A factor not above 0 raises "Linear Scale Zoom Factor must be Greater
// than Zero".
void ZoomAllAxes(TPlotMasterManager &master, double factor);
// Zooms one axis by factor about its centre.
void ZoomAxis(TPlotAxis &axis, double factor);

// Moves an axis by a fraction of its length (positive to the right or upwards): scrolling makes the scale follow
// the mouse, zooming divides the span by 10^(fraction / 4) about the centre.
void DragAxis(TPlotAxis &axis, double fraction, bool zoomMode);
// One wheel notch (up: towards larger values, or zooming in): 5 % of the span, or a factor 10^0.025.
void WheelAxis(TPlotAxis &axis, bool up, bool zoomMode);
// The step a key gives (Page Up and End +1, Page Down and Home -1, Up and Right +0.01, Left and Down -0.01), or 0
// for any other key.
double AxisKeyStep(int key);
// Moves an axis by a key step: that many spans, or the span divided by 10 to that power.
void StepAxis(TPlotAxis &axis, double step, bool zoomMode);

// Sets the axis to the range of its visible channels' data (X: first to last stored point; Y: the points drawn at the
// last paint). Returns false and changes nothing when there is no such range or it has no width. Tracking is kept.
bool ZoomAxisToFit(TPlotAxis &axis);

// A zoom box from start to end in chart pixels: only a box dragged right and downwards counts. Every X axis takes
// the box's left and right edges, every Y axis its bottom and top edges. Returns whether the axes changed.
bool IsZoomBoxAccepted(const QPoint &start, const QPoint &end);
void ApplyZoomBox(TPlotMasterManager &master, const QPoint &start, const QPoint &end);
