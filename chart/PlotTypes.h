// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// Enumerations and small value types shared by the chart's objects. Ordinals are fixed: they are the values the
// chart's properties store.

enum TPlotTrackingStyle {
    ptsScaleMinMax,
    ptsScaleMax,
    ptsScaleMin,
    ptsScrollSmooth,
    ptsScrollPage,
    ptsExpandCollapse,
    ptsExpandCollapseFast
};

enum TPlotAlignFirstStyle { pafsMin, pafsMax, pafsAuto, pafsNone };

enum TPlotDataStyle { pdsStandard, pdsCompact, pdsCompactInterval, pdsFullFeature };

enum TPlotLineStyle { plsSolid, plsDash, plsDot, plsDashDot, plsDashDotDot };

enum TPlotInterpolationStyle {
    pistStraightLine,
    pistCubicSpline,
    pistPolynomial,
    pistRational,
    pistDifferential,
    pistDifferentialTerminated
};

enum TPlotPrecisionStyle { psSignificantDigits, psFixedDecimalPoints };

enum TPlotTextFormat { ptfValue, ptfExponent, ptfPrefix, ptfDateTime, ptfPrice32nds, ptfThousands };

enum TPlotBevelStyle { bsNone, bsRaised, bsLowered };

enum TPlotRotationAngle { ra000, ra090, ra180, ra270 };

enum TPlotMarkerStyle { pmsRectangle, pmsCircle, pmsDiamond, pmsCross, pmsPlus };

enum TPlotScaleType { pstLinear, pstLog10 };

enum TPlotCartesianStyle { pcsNone, pcsChild };

enum TPlotDataCursorStyle { pcsValueXY, pcsValueX, pcsValueY, pcsDeltaX, pcsDeltaY, pcsInverseDeltaX };

enum TPlotOrientationSide { osBottomRight, osTopLeft };

enum TPlotLegendChannelNameColorStyle { plcncsFont, plcncsChannel };

enum TPlotExportFormat { pefMetaFile, pefBitmap, pefJPEG };

enum TPlotEditorFormStyle { pfsModal, pfsNonModal };

enum TPlotPrintOrientation { ppoPortrait, ppoLandscape };

enum TPlotAlignment { paLeft, paCenter, paRight };

// Where a layout object lies relative to the data view.
enum class TPlotSide { None, Left, Top, Right, Bottom };

// A rectangle in pixels with the four edges as coordinates. Right and Bottom are the last pixel column and row that
// belong to the rectangle's drawing (the data view's frame is drawn on them), so the width in pixel steps is
// Right - Left.
struct TPlotRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TPlotRect &) const = default;
};

// Bits of a stored point's flag word.
namespace PlotPointFlags
{
constexpr uint16_t Null = 0x0001; // the point breaks the line
constexpr uint16_t Empty = 0x0002; // the point is skipped
constexpr uint16_t Marker = 0x0004; // a marker is shown at the point
constexpr int MarkerStyleShift = 3; // bits 3 to 6: the marker style
constexpr uint16_t MarkerStyleMask = 0x0078;
} // namespace PlotPointFlags
