// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotToolBar.h"

#include "chart/PictureGlyphs.h"
#include "chart/PlotAxis.h"
#include "chart/PlotBevel.h"
#include "chart/PlotMasterManager.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <stdexcept>

namespace
{

struct TButtonGroup {
    std::vector<int> Buttons; // screen order
    std::vector<int> SeparatorShownBy; // the gap after the group is shown when one of these is; empty: no gap
};

const std::vector<TButtonGroup> &ButtonGroups()
{
    using T = TPlotToolBar;
    static const std::vector<TButtonGroup> groups = {
        { { T::tbResume, T::tbPause }, { T::tbResume, T::tbPause } },
        { { T::tbScroll, T::tbZoom }, { T::tbScroll, T::tbZoom } },
        { { T::tbZoomOut, T::tbZoomIn }, { T::tbZoomOut, T::tbZoomIn } },
        { { T::tbSelect, T::tbZoomBox, T::tbCursor }, { T::tbZoomBox, T::tbCursor } },
        { { T::tbEdit }, { T::tbEdit } },
        { { T::tbCopy, T::tbSave, T::tbPrint, T::tbPreview }, {} },
    };
    return groups;
}

constexpr int ButtonInset = 3;
constexpr int SeparatorWidth = 10;
// Pressed or toggled-down buttons: the system white less 16 on each channel.
const QColor DownFill(239, 239, 239);

} // namespace

TPlotToolBar::TPlotToolBar(TPlotMasterManager *owner, const TPlotObjectHooks &hooks)
    : TPlotLayoutObject(owner, hooks)
{
    SetHorizontal(true);
    FButtons = {
        { tbResume, "Resume All (Tracking)", "AUTO", 0 },
        { tbPause, "Pause All (Tracking)", "PAUSE", 0 },
        { tbScroll, "Scroll (Axes)", "SCROLL", 2 },
        { tbZoom, "Zoom (Axes)", "ZOOM", 2 },
        { tbZoomOut, "Zoom Out All Axes", "ZOOMOUT", 0 },
        { tbZoomIn, "Zoom In All Axes", "ZOOMIN", 0 },
        { tbSelect, "Select", "SELECT", -1 },
        { tbZoomBox, "Zoom Box", "SCROLLBOX", -1 },
        { tbCursor, "Cursor", "CURSOR", -2 },
        { tbEdit, "Properties", "PROPERTIES", 0 },
        { tbCopy, "Copy to Clipboard", "COPY", 0 },
        { tbSave, "Save to File", "SAVE", 0 },
        { tbPrint, "Print", "PRINTER", 0 },
        { tbPreview, "Preview", "PREVIEW", 0 },
    };
    Button(tbScroll).Down = true;
    RefreshStates();
}

TPlotToolBarButton &TPlotToolBar::Button(int index)
{
    for (TPlotToolBarButton &button : FButtons)
        if (button.Index == index)
            return button;
    throw std::out_of_range("toolbar button index");
}

void TPlotToolBar::RefreshStates()
{
    Button(tbResume).Visible = ShowResumeButton();
    Button(tbPause).Visible = ShowPauseButton();
    Button(tbScroll).Visible = Button(tbZoom).Visible = ShowAxesModeButtons();
    Button(tbZoomOut).Visible = Button(tbZoomIn).Visible = ShowZoomInOutButtons();
    Button(tbSelect).Visible = ShowSelectButton();
    Button(tbZoomBox).Visible = ShowZoomBoxButton();
    Button(tbCursor).Visible = ShowCursorButton();
    Button(tbEdit).Visible = ShowEditButton();
    Button(tbCopy).Visible = ShowCopyButton();
    Button(tbSave).Visible = ShowSaveButton();
    Button(tbPrint).Visible = ShowPrintButton();
    Button(tbPreview).Visible = ShowPreviewButton();

    // Resume is offered while some axis is paused, Pause while some axis is tracking.
    bool anyPaused = false, anyTracking = false;
    for (TPlotAxis *axis : Owner().Axes()) {
        if (axis->TrackingEnabled())
            anyTracking = true;
        else
            anyPaused = true;
    }
    Button(tbResume).Enabled = anyPaused;
    Button(tbPause).Enabled = anyTracking;
}

void TPlotToolBar::LayoutButtons()
{
    RefreshStates();
    const int size = SmallButtons() ? 22 : 30;
    int x = Band().Left + ButtonInset;
    const int y = Band().Top + ButtonInset;
    for (const TButtonGroup &group : ButtonGroups()) {
        for (int index : group.Buttons) {
            TPlotToolBarButton &button = Button(index);
            if (!button.Visible)
                continue;
            button.SetRect(TPlotRect { x, y, x + size, y + size });
            x += size;
        }
        for (int index : group.SeparatorShownBy) {
            if (Button(index).Visible) {
                x += SeparatorWidth;
                break;
            }
        }
    }
}

const QImage &TPlotToolBar::Glyph(TPlotToolBarButton &button)
{
    if (FImagesSmall != SmallButtons()) {
        // Small and large buttons use different pictures: start a new image list.
        FImages.clear();
        FGreyedImages.clear();
        for (TPlotToolBarButton &each : FButtons)
            each.ImageIndex = -1;
        FImagesSmall = SmallButtons();
    }
    if (button.ImageIndex < 0) {
        QImage glyph = LoadGlyph((FImagesSmall ? QStringLiteral("SMALL") : QString()) + button.GlyphName);
        button.ImageIndex = static_cast<int>(FImages.size());
        FGreyedImages.push_back(glyph.isNull() ? glyph : GreyedGlyph(glyph));
        FImages.push_back(std::move(glyph));
    }
    const std::size_t index = static_cast<std::size_t>(button.ImageIndex);
    return button.Enabled ? FImages[index] : FGreyedImages[index];
}

void TPlotToolBar::Place(const TPlotLayoutPlacement &placement)
{
    TPlotLayoutObject::Place(placement);
    LayoutButtons();
}

void TPlotToolBar::Draw(QPainter &painter, const TPlotDrawContext &)
{
    LayoutButtons();
    const TPlotRect &band = Band();
    QRect area(QPoint(band.Left, band.Top), QPoint(band.Right, band.Bottom - 1));
    painter.fillRect(area, QGuiApplication::palette().color(QPalette::Button));
    if (!FlatBorder())
        DrawPlotBevel(painter, area, bsRaised);
    for (TPlotToolBarButton &button : FButtons) {
        if (!button.Visible)
            continue;
        const TPlotRect &r = button.Rect();
        QRect rect(QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Bottom - 1));
        bool sunken = button.Down || button.Pressed;
        if (sunken)
            painter.fillRect(rect, DownFill);
        if (!FlatButtons() || sunken)
            DrawPlotBevel(painter, rect, sunken ? bsLowered : bsRaised);
        const QImage &glyph = Glyph(button);
        if (glyph.isNull())
            continue;
        // Centred; a pressed or down button shows its glyph one pixel right and down.
        const int shift = sunken ? 1 : 0;
        painter.drawImage(QPoint(r.Left + (r.Right - r.Left - glyph.width()) / 2 + shift,
                              r.Top + (r.Bottom - r.Top - glyph.height()) / 2 + shift),
            glyph);
    }
}
