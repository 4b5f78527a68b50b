// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotToolController.h"

#include "chart/PlotAxis.h"
#include "chart/PlotComponent.h"
#include "chart/PlotContextMenu.h"
#include "chart/PlotContextMenuBuilder.h"
#include "chart/PlotDataCursor.h"
#include "chart/PlotDataView.h"
#include "chart/PlotFontMeasure.h"
#include "chart/PlotHitTest.h"
#include "chart/PlotLayoutManager.h"
#include "chart/PlotLegend.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotToolActions.h"
#include "chart/PlotToolBar.h"

#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <algorithm>

namespace
{

// A white dotted frame (the selection's focus frame).
void DrawFocusFrame(QPainter &painter, const QRect &rect)
{
    QPen pen(Qt::white, 0, Qt::DotLine);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect);
}

QRect ToQRect(const TPlotRect &r)
{
    return QRect(QPoint(r.Left, r.Top), QPoint(r.Right, r.Bottom));
}

} // namespace

TPlotToolController::TPlotToolController(TPlotComponent &plot)
    : QObject(&plot)
    , FPlot(plot)
{
    FHintShowTimer.setSingleShot(true);
    FHintHideTimer.setSingleShot(true);
    connect(&FHintShowTimer, &QTimer::timeout, this, &TPlotToolController::ShowHint);
    connect(&FHintHideTimer, &QTimer::timeout, this, &TPlotToolController::HideHint);
}

bool TPlotToolController::Alive(const TPlotObject *object) const
{
    if (!object)
        return false;
    const std::vector<TPlotObject *> objects = FPlot.Master().Objects();
    return std::find(objects.begin(), objects.end(), object) != objects.end();
}

void TPlotToolController::Repaint()
{
    FPlot.RequestRepaint();
}

// Toolbar ----------------------------------------------------------------------------------------------------------

bool TPlotToolController::ToolBarButtonDown(int index) const
{
    auto &toolBars = FPlot.Master().ToolBars();
    return toolBars.Count() > 0 && toolBars.Item(0)->Button(index).Down;
}

void TPlotToolController::SetButtonDown(TPlotToolBar &toolBar, int index, bool down)
{
    TPlotToolBarButton &button = toolBar.Button(index);
    if (button.Down == down)
        return;
    button.Down = down;
    Repaint();
    ButtonToggled(toolBar, index, down);
}

void TPlotToolController::ButtonToggled(TPlotToolBar &toolBar, int index, bool down)
{
    switch (index) {
    case TPlotToolBar::tbSelect:
        if (down)
            PauseAllAxes(FPlot.Master());
        break;
    case TPlotToolBar::tbCursor:
        if (down) {
            SetAllCursorsVisible(true);
            PauseAllAxes(FPlot.Master());
            if (FPlot.Master().DataCursors().Count() > 0)
                Select(FPlot.Master().DataCursors().Item(0));
        } else {
            SetAllCursorsVisible(false);
        }
        break;
    default:
        break;
    }
    (void)toolBar;
}

void TPlotToolController::SetAllCursorsVisible(bool visible)
{
    auto &cursors = FPlot.Master().DataCursors();
    for (int i = 0; i < cursors.Count(); ++i)
        cursors.Item(i)->SetVisible(visible);
}

void TPlotToolController::PauseAllRaising(TPlotToolBar &toolBar)
{
    PauseAllAxes(FPlot.Master());
    if (FPlot.OnToolBarButtonClick)
        FPlot.OnToolBarButtonClick(FPlot.Master().ToolBars().IndexOf(&toolBar), TPlotToolBar::tbPause);
}

void TPlotToolController::ClickButton(TPlotToolBar &toolBar, int index)
{
    const int group = toolBar.Button(index).Group;
    if (group != 0)
        for (const TPlotToolBarButton &other : toolBar.Buttons())
            if (other.Group == group && other.Index != index)
                SetButtonDown(toolBar, other.Index, false);
    ButtonAction(toolBar, index);
    if (FPlot.OnToolBarButtonClick)
        FPlot.OnToolBarButtonClick(FPlot.Master().ToolBars().IndexOf(&toolBar), index);
}

void TPlotToolController::ButtonAction(TPlotToolBar &toolBar, int index)
{
    TPlotMasterManager &master = FPlot.Master();
    switch (index) {
    case TPlotToolBar::tbResume:
        SetButtonDown(toolBar, TPlotToolBar::tbCursor, false);
        SetButtonDown(toolBar, TPlotToolBar::tbSelect, false);
        ClearSelection();
        ResumeAllAxes(master);
        break;
    case TPlotToolBar::tbPause:
        PauseAllAxes(master);
        break;
    case TPlotToolBar::tbScroll:
    case TPlotToolBar::tbZoom:
        SetButtonDown(toolBar, index, true);
        FAxesZoomMode = index == TPlotToolBar::tbZoom;
        break;
    case TPlotToolBar::tbZoomOut:
    case TPlotToolBar::tbZoomIn: {
        const double factor = toolBar.ZoomInOutFactor();
        PauseAllRaising(toolBar);
        ZoomAllAxes(master, index == TPlotToolBar::tbZoomOut ? factor : (factor > 0 ? 1.0 / factor : factor));
        break;
    }
    case TPlotToolBar::tbSelect:
    case TPlotToolBar::tbZoomBox:
    case TPlotToolBar::tbCursor:
        SetButtonDown(toolBar, index, !toolBar.Button(index).Down);
        break;
    case TPlotToolBar::tbEdit:
        EditObject(nullptr);
        break;
    case TPlotToolBar::tbCopy:
        FPlot.CopyToClipboard();
        break;
    case TPlotToolBar::tbSave:
        FPlot.SaveToFileWithDialog();
        break;
    case TPlotToolBar::tbPrint:
        FPlot.Print();
        break;
    default:
        break;
    }
}

void TPlotToolController::EditObject(TPlotObject *object)
{
    // There is no property editor window; a host may supply one.
    if (FPlot.OnEditObject)
        FPlot.OnEditObject(object);
}

// Selection ---------------------------------------------------------------------------------------------------------

TPlotObject *TPlotToolController::Selected() const
{
    return Alive(FSelected) ? FSelected : nullptr;
}

void TPlotToolController::Select(TPlotObject *object)
{
    if (Selected() == object)
        return;
    if (TPlotObject *old = Selected())
        old->LostFocus();
    FSelected = object;
    if (object)
        object->GotFocus();
    Repaint();
}

void TPlotToolController::ClearSelection()
{
    Select(nullptr);
    auto &legends = FPlot.Master().Legends();
    for (int i = 0; i < legends.Count(); ++i)
        legends.Item(i)->SetSelectedEntry(-1);
}

TPlotAxis *TPlotToolController::SelectedAxis() const
{
    return dynamic_cast<TPlotAxis *>(Selected());
}

// Mouse and keys -----------------------------------------------------------------------------------------------------

void TPlotToolController::MousePress(const QPoint &point, Qt::MouseButton button, Qt::KeyboardModifiers)
{
    HideHint();
    FHintTarget = TPlotHintTarget();
    if (button != Qt::LeftButton)
        return;
    TPlotMasterManager &master = FPlot.Master();
    FLastPoint = point;

    const TPlotHit hit = PlotHitAt(master, point);
    switch (hit.Kind) {
    case phkToolBar: {
        auto *toolBar = static_cast<TPlotToolBar *>(hit.Object);
        if (hit.Button >= 0 && toolBar->Button(hit.Button).Enabled) {
            FPressedToolBar = toolBar;
            FPressedButton = hit.Button;
            toolBar->Button(hit.Button).Pressed = true;
            Repaint();
        }
        break;
    }
    case phkDataCursor: {
        auto *cursor = static_cast<TPlotDataCursor *>(hit.Object);
        Select(cursor);
        FDragCursor = cursor;
        cursor->MouseDown(point);
        break;
    }
    case phkLegend: {
        auto *legend = static_cast<TPlotLegend *>(hit.Object);
        Select(legend);
        // The legend's rows are laid out with the screen's text measures.
        legend->SetSelectedEntry(PlotLegendEntryAt(*legend, TPlotFontMeasure(&FPlot), point));
        break;
    }
    case phkAxis:
        FDragAxis = static_cast<TPlotAxis *>(hit.Object);
        FDragStarted = false;
        break;
    case phkDataView:
        if (ToolBarButtonDown(TPlotToolBar::tbZoomBox)) {
            PauseAllAxes(master);
            FZoomBoxDragging = true;
            FZoomBoxStart = FZoomBoxEnd = point;
            Repaint();
        }
        if (hit.Object)
            Select(hit.Object);
        break;
    case phkNone:
        break;
    }
}

void TPlotToolController::MouseMove(const QPoint &point, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    if (buttons & Qt::LeftButton) {
        if (FDragAxis && Alive(FDragAxis)) {
            TPlotAxis &axis = *FDragAxis;
            if (!FDragStarted) {
                axis.SetTrackingEnabled(false);
                FDragStarted = true;
            }
            const int length = axis.Scale().Length();
            if (length > 0) {
                const int moved = axis.IsHorizontal() ? point.x() - FLastPoint.x() : FLastPoint.y() - point.y();
                const bool zoom = FAxesZoomMode != bool(modifiers & Qt::ControlModifier);
                if (moved != 0)
                    DragAxis(axis, double(moved) / length, zoom);
            }
        } else if (FDragCursor && Alive(FDragCursor)) {
            FDragCursor->MouseMove(point);
        } else if (FZoomBoxDragging) {
            FZoomBoxEnd = point;
            Repaint();
        } else if (FPressedToolBar && Alive(FPressedToolBar)) {
            // A held button looks pressed only while the mouse is on it.
            TPlotToolBarButton &button = FPressedToolBar->Button(FPressedButton);
            const bool on = button.Contains(point);
            if (button.Pressed != on) {
                button.Pressed = on;
                Repaint();
            }
        }
        FLastPoint = point;
        return;
    }
    FLastPoint = point;
    if (!FPlot.HintsShow())
        return;
    const TPlotHintTarget target = PlotHintAt(FPlot.Master(), point);
    const bool same = target.Object == FHintTarget.Object && target.Button == FHintTarget.Button;
    if (same) {
        // A hint waits for the mouse to rest: every move over the same object starts the pause again, and the hint
        // appears where the mouse came to rest. A hint already shown stays where it is.
        if (target.Object && !FHintShown) {
            FHintTarget = target;
            FHintShowTimer.start(FPlot.HintsPause());
        }
        return;
    }
    FHintTarget = target;
    if (!target.Object) {
        FHintShowTimer.stop();
        HideHint();
    } else if (FHintShown) {
        ShowHint(); // replaces the shown hint at once
    } else {
        FHintShowTimer.start(FPlot.HintsPause());
    }
}

void TPlotToolController::MouseRelease(const QPoint &point, Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return;
    TPlotMasterManager &master = FPlot.Master();
    if (FPressedToolBar) {
        TPlotToolBar *toolBar = Alive(FPressedToolBar) ? FPressedToolBar : nullptr;
        const int index = FPressedButton;
        FPressedToolBar = nullptr;
        FPressedButton = -1;
        if (toolBar) {
            TPlotToolBarButton &pressed = toolBar->Button(index);
            pressed.Pressed = false;
            Repaint();
            if (pressed.Contains(point))
                ClickButton(*toolBar, index);
        }
        return;
    }
    if (FDragAxis) {
        TPlotAxis *axis = Alive(FDragAxis) ? FDragAxis : nullptr;
        FDragAxis = nullptr;
        if (axis && PlotAxisAt(master, point) == axis)
            Select(axis);
        return;
    }
    if (FDragCursor) {
        if (Alive(FDragCursor))
            FDragCursor->MouseUp(point);
        FDragCursor = nullptr;
        return;
    }
    if (FZoomBoxDragging) {
        FZoomBoxDragging = false;
        FZoomBoxEnd = point;
        if (IsZoomBoxAccepted(FZoomBoxStart, FZoomBoxEnd)
            && (!FPlot.OnBeforeZoomBox || FPlot.OnBeforeZoomBox(FZoomBoxStart, FZoomBoxEnd)))
            ApplyZoomBox(master, FZoomBoxStart, FZoomBoxEnd);
        Repaint();
    }
}

void TPlotToolController::Wheel(int notches, Qt::KeyboardModifiers modifiers)
{
    TPlotAxis *axis = SelectedAxis();
    if (!axis || notches == 0)
        return;
    axis->SetTrackingEnabled(false);
    const bool zoom = FAxesZoomMode != bool(modifiers & Qt::ControlModifier);
    for (int i = 0; i < std::abs(notches); ++i)
        WheelAxis(*axis, notches > 0, zoom);
}

void TPlotToolController::KeyPress(int key, Qt::KeyboardModifiers modifiers)
{
    TPlotAxis *axis = SelectedAxis();
    if (!axis)
        return;
    axis->SetTrackingEnabled(false);
    const double step = AxisKeyStep(key);
    if (step != 0)
        StepAxis(*axis, step, FAxesZoomMode != bool(modifiers & Qt::ControlModifier));
}

void TPlotToolController::MouseLeave()
{
    FHintShowTimer.stop();
    FHintTarget = TPlotHintTarget();
}

// Hints -------------------------------------------------------------------------------------------------------------

void TPlotToolController::ShowHint()
{
    if (!FHintTarget.Object || !Alive(FHintTarget.Object))
        return;
    FHintShown = true;
    FHintText = FHintTarget.Text;
    FHintPoint = FHintTarget.Point;
    FHintHideTimer.start(FPlot.HintsHidePause());
    Repaint();
}

void TPlotToolController::HideHint()
{
    FHintShowTimer.stop();
    FHintHideTimer.stop();
    if (!FHintShown)
        return;
    FHintShown = false;
    Repaint();
}

// Context menus -----------------------------------------------------------------------------------------------------

QMenu *TPlotToolController::CreateContextMenu(const QPoint &point, QWidget *parent)
{
    return CreateObjectMenu(PlotHitAt(FPlot.Master(), point).Object, parent);
}

QMenu *TPlotToolController::CreateDataViewMenu(QWidget *parent)
{
    const auto &views = FPlot.Master().DataViews();
    return views.Count() > 0 ? CreateObjectMenu(views.Item(0), parent) : nullptr;
}

QMenu *TPlotToolController::CreateObjectMenu(TPlotObject *object, QWidget *parent)
{
    HideHint();
    const std::vector<TPlotMenuItem> hostItems
        = FPlot.OnDataViewMenuItems ? FPlot.OnDataViewMenuItems() : std::vector<TPlotMenuItem>();
    // The chart has no property editor of its own: "Edit..." is offered but disabled unless a host supplies one.
    const bool hasEditor = static_cast<bool>(FPlot.OnEditObject);
    return BuildPlotContextMenu(PlotContextMenuItems(object, FPlot.UserCanEditObjects(), hostItems, hasEditor), parent,
        this, [this, object](const TPlotMenuItem &item) {
            if (item.Command == pmcHost) {
                if (FPlot.OnHostMenuCommand)
                    FPlot.OnHostMenuCommand(item);
            } else if (item.Command == pmcEdit)
                EditObject(Alive(object) ? object : nullptr);
            else if (Alive(object))
                RunPlotMenuCommand(*object, item);
        });
}

// Drawing -----------------------------------------------------------------------------------------------------------

bool TPlotToolController::HasOverlay() const
{
    return Selected() || FZoomBoxDragging || (FHintShown && !FHintText.isEmpty());
}

void TPlotToolController::DrawOverlay(QPainter &painter, const TPlotMeasure &measure)
{
    TPlotMasterManager &master = FPlot.Master();
    if (TPlotObject *selected = Selected()) {
        if (auto *axis = dynamic_cast<TPlotAxis *>(selected)) {
            if (master.Layout().IsPlaced(axis))
                DrawFocusFrame(painter, ToQRect(axis->Band()));
        } else if (auto *legend = dynamic_cast<TPlotLegend *>(selected)) {
            if (master.Layout().IsPlaced(legend))
                DrawFocusFrame(painter, ToQRect(legend->Band()).adjusted(2, 2, -2, -2));
        }
    }
    if (FZoomBoxDragging)
        DrawFocusFrame(painter, QRect(FZoomBoxStart, FZoomBoxEnd).normalized());
    if (FHintShown && !FHintText.isEmpty()) {
        const QFont &font = FPlot.HintsFont().Font;
        const QPalette palette = QGuiApplication::palette();
        const QRect box(
            FHintPoint, QSize(measure.TextWidth(font, FHintText) + 4, measure.TextHeight(font, FHintText) + 4));
        painter.fillRect(box, palette.color(QPalette::ToolTipBase));
        painter.setFont(font);
        painter.setPen(palette.color(QPalette::ToolTipText));
        painter.drawText(QRect(box.topLeft() + QPoint(2, 2), box.size() - QSize(4, 4)),
            Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, FHintText);
    }
}
