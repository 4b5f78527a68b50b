// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotLayoutObject.h"
#include "chart/PlotToolBarButton.h"

#include <QImage>
#include <vector>

// The toolbar band across the top of the chart: 36 pixels high (28 with small buttons), buttons of 30 x 30 pixels
// (22 x 22 small) laid out from 3 pixels inside its top-left corner, with 10-pixel gaps between button groups.
// Hidden buttons and gaps take no room.
class TPlotToolBar : public TPlotLayoutObject
{
public:
    // Button indexes, as reported to the toolbar's click event.
    enum TButton {
        tbResume = 0,
        tbPause = 1,
        tbScroll = 2,
        tbZoom = 3,
        tbSelect = 4,
        tbZoomBox = 5,
        tbZoomOut = 6,
        tbZoomIn = 7,
        tbCursor = 8,
        tbEdit = 9,
        tbCopy = 10,
        tbSave = 11,
        tbPrint = 12,
        tbPreview = 13
    };

    TPlotToolBar(TPlotMasterManager *owner, const TPlotObjectHooks &hooks);

    int Thickness(const TPlotMeasure &) const override { return SmallButtons() ? 28 : 36; }
    TPlotLayoutKind LayoutKind() const override { return TPlotLayoutKind::ToolBar; }
    void Place(const TPlotLayoutPlacement &placement) override;
    void Draw(QPainter &painter, const TPlotDrawContext &context) override;

    // Buttons in screen order.
    const std::vector<TPlotToolBarButton> &Buttons() const { return FButtons; }
    // The button with a given index (tbResume ...).
    TPlotToolBarButton &Button(int index);
    // Lays the buttons out in the current band and refreshes their visibility and enabled states.
    void LayoutButtons();
    // The image list: each button's glyph, loaded the first time the button is drawn (index in ImageIndex).
    const std::vector<QImage> &Images() const { return FImages; }

    PLOT_LAYOUT_PROPERTY(bool, ShowResumeButton, true)
    PLOT_LAYOUT_PROPERTY(bool, ShowPauseButton, true)
    PLOT_LAYOUT_PROPERTY(bool, ShowAxesModeButtons, true)
    PLOT_LAYOUT_PROPERTY(bool, ShowZoomInOutButtons, true)
    PLOT_LAYOUT_PROPERTY(bool, ShowSelectButton, false)
    PLOT_LAYOUT_PROPERTY(bool, ShowZoomBoxButton, true)
    PLOT_LAYOUT_PROPERTY(bool, ShowCursorButton, true)
    PLOT_LAYOUT_PROPERTY(bool, ShowEditButton, true)
    PLOT_LAYOUT_PROPERTY(bool, ShowCopyButton, true)
    PLOT_LAYOUT_PROPERTY(bool, ShowSaveButton, true)
    PLOT_LAYOUT_PROPERTY(bool, ShowPrintButton, true)
    PLOT_LAYOUT_PROPERTY(bool, ShowPreviewButton, false)
    PLOT_PROPERTY(double, ZoomInOutFactor, 2.0)
    PLOT_PROPERTY(bool, FlatBorder, false)
    PLOT_PROPERTY(bool, FlatButtons, false)
    PLOT_LAYOUT_PROPERTY(bool, SmallButtons, false)

private:
    void RefreshStates();
    const QImage &Glyph(TPlotToolBarButton &button);

    std::vector<TPlotToolBarButton> FButtons;
    std::vector<QImage> FImages;
    std::vector<QImage> FGreyedImages;
    bool FImagesSmall = false;
};
