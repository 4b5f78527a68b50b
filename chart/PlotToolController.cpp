#include "chart/PlotToolController.h"

#include "chart/PlotAxis.h"
#include "chart/PlotChannelCustom.h"
#include "chart/PlotComponent.h"
#include "chart/PlotDataCursor.h"
#include "chart/PlotDataView.h"
#include "chart/PlotFontMeasure.h"
#include "chart/PlotLayoutManager.h"
#include "chart/PlotLegend.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotToolActions.h"
#include "chart/PlotToolBar.h"

#include <QActionGroup>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <algorithm>

namespace
{

bool InRect(const TPlotRect &r, const QPoint &p)
{
    return p.x() >= r.Left && p.x() <= r.Right && p.y() >= r.Top && p.y() <= r.Bottom;
}

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

// Hit tests ---------------------------------------------------------------------------------------------------------

TPlotToolBar *TPlotToolController::ToolBarAt(const QPoint &point, int &buttonIndex) const
{
    TPlotMasterManager &master = FPlot.Master();
    for (int i = 0; i < master.ToolBars().Count(); ++i) {
        TPlotToolBar *toolBar = master.ToolBars().Item(i);
        if (!toolBar->Visible() || !master.Layout().IsPlaced(toolBar))
            continue;
        for (const TPlotToolBarButton &button : toolBar->Buttons())
            if (button.Visible && button.Contains(point)) {
                buttonIndex = button.Index;
                return toolBar;
            }
        if (InRect(toolBar->Band(), point)) {
            buttonIndex = -1;
            return toolBar;
        }
    }
    return nullptr;
}

TPlotAxis *TPlotToolController::AxisAt(const QPoint &point) const
{
    TPlotMasterManager &master = FPlot.Master();
    for (TPlotAxis *axis : master.Axes())
        if (axis->Visible() && master.Layout().IsPlaced(axis) && InRect(axis->Band(), point))
            return axis;
    return nullptr;
}

TPlotObject *TPlotToolController::ObjectAt(const QPoint &point) const
{
    TPlotMasterManager &master = FPlot.Master();
    int button = -1;
    if (TPlotToolBar *toolBar = ToolBarAt(point, button))
        return toolBar;
    for (int i = 0; i < master.DataCursors().Count(); ++i)
        if (master.DataCursors().Item(i)->HitTest(point))
            return master.DataCursors().Item(i);
    for (int i = 0; i < master.Legends().Count(); ++i) {
        TPlotLegend *legend = master.Legends().Item(i);
        if (legend->Visible() && master.Layout().IsPlaced(legend) && InRect(legend->Band(), point))
            return legend;
    }
    if (TPlotAxis *axis = AxisAt(point))
        return axis;
    if (InRect(master.Layout().DataViewRect(), point) && master.DataViews().Count() > 0)
        return master.DataViews().Item(0);
    return nullptr;
}

// Mouse and keys -----------------------------------------------------------------------------------------------------

void TPlotToolController::MousePress(const QPoint &point, Qt::MouseButton button, Qt::KeyboardModifiers)
{
    HideHint();
    FHintTarget = THintTarget();
    if (button != Qt::LeftButton)
        return;
    TPlotMasterManager &master = FPlot.Master();
    FLastPoint = point;

    int buttonIndex = -1;
    if (TPlotToolBar *toolBar = ToolBarAt(point, buttonIndex)) {
        if (buttonIndex >= 0 && toolBar->Button(buttonIndex).Enabled) {
            FPressedToolBar = toolBar;
            FPressedButton = buttonIndex;
            toolBar->Button(buttonIndex).Pressed = true;
            Repaint();
        }
        return;
    }
    for (int i = 0; i < master.DataCursors().Count(); ++i) {
        TPlotDataCursor *cursor = master.DataCursors().Item(i);
        if (cursor->HitTest(point)) {
            Select(cursor);
            FDragCursor = cursor;
            cursor->MouseDown(point);
            return;
        }
    }
    for (int i = 0; i < master.Legends().Count(); ++i) {
        TPlotLegend *legend = master.Legends().Item(i);
        if (!legend->Visible() || !master.Layout().IsPlaced(legend) || !InRect(legend->Band(), point))
            continue;
        Select(legend);
        // The legend's rows are laid out with the screen's text measures.
        TPlotFontMeasure measure(&FPlot);
        int entry = -1;
        for (int e = 0; e < static_cast<int>(legend->Entries().size()); ++e)
            if (InRect(legend->EntryRect(measure, e), point))
                entry = e;
        legend->SetSelectedEntry(entry);
        return;
    }
    if (TPlotAxis *axis = AxisAt(point)) {
        FDragAxis = axis;
        FDragStarted = false;
        return;
    }
    if (InRect(master.Layout().DataViewRect(), point)) {
        if (ToolBarButtonDown(TPlotToolBar::tbZoomBox)) {
            PauseAllAxes(master);
            FZoomBoxDragging = true;
            FZoomBoxStart = FZoomBoxEnd = point;
            Repaint();
        }
        if (master.DataViews().Count() > 0)
            Select(master.DataViews().Item(0));
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
    const THintTarget target = HintAt(point);
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
        if (axis && AxisAt(point) == axis)
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
    FHintTarget = THintTarget();
}

// Hints -------------------------------------------------------------------------------------------------------------

TPlotToolController::THintTarget TPlotToolController::HintAt(const QPoint &point) const
{
    THintTarget target;
    int buttonIndex = -1;
    if (TPlotToolBar *toolBar = ToolBarAt(point, buttonIndex)) {
        if (buttonIndex >= 0) {
            const TPlotToolBarButton &button = toolBar->Button(buttonIndex);
            target.Object = toolBar;
            target.Button = buttonIndex;
            target.Text = button.Hint;
            target.Point = QPoint(button.Rect().Left, button.Rect().Bottom + 3);
        }
        return target;
    }
    if (TPlotAxis *axis = AxisAt(point)) {
        if (!axis->TitleShow() && !axis->Title().isEmpty()) {
            target.Object = axis;
            target.Text = axis->Title();
            target.Point = QPoint(point.x(), point.y() - 20);
        }
    }
    return target;
}

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
    HideHint();
    TPlotObject *object = ObjectAt(point);
    if (!object || !object->PopupEnabled() || dynamic_cast<TPlotToolBar *>(object))
        return nullptr;
    auto *menu = new QMenu(parent);
    if (auto *axis = dynamic_cast<TPlotAxis *>(object)) {
        QAction *tracking = menu->addAction(QStringLiteral("Tracking Enabled"));
        tracking->setCheckable(true);
        tracking->setChecked(axis->TrackingEnabled());
        connect(tracking, &QAction::triggered, this, [this, axis]() {
            if (Alive(axis))
                axis->SetTrackingEnabled(!axis->TrackingEnabled());
        });
        QAction *update = menu->addAction(QStringLiteral("Update Resume Values"));
        update->setEnabled(
            !axis->TrackingEnabled() && (axis->Min() != axis->ResumeMin() || axis->Span() != axis->ResumeSpan()));
        connect(update, &QAction::triggered, this, [this, axis]() {
            if (Alive(axis))
                axis->SetResumeValues(axis->Min(), axis->Span());
        });
        connect(menu->addAction(QStringLiteral("Zoom to Fit")), &QAction::triggered, this, [this, axis]() {
            if (Alive(axis))
                ZoomAxisToFit(*axis);
        });
    } else if (auto *cursor = dynamic_cast<TPlotDataCursor *>(object)) {
        QMenu *channels = menu->addMenu(QStringLiteral("Channel"));
        auto addChannel = [&](const QString &caption, const QString &name) {
            QAction *action = channels->addAction(caption);
            action->setCheckable(true);
            action->setChecked(cursor->ChannelName() == name);
            connect(action, &QAction::triggered, this, [this, cursor, name]() {
                if (Alive(cursor))
                    cursor->SetChannelName(name);
            });
        };
        if (cursor->ChannelAllowAll())
            addChannel(
                QString::fromLatin1(TPlotDataCursor::AllChannels), QString::fromLatin1(TPlotDataCursor::AllChannels));
        auto &list = FPlot.Master().Channels();
        for (int i = 0; i < list.Count(); ++i) {
            TPlotChannelCustom *channel = list.Item(i);
            if (!channel->Visible())
                continue;
            QString caption = channel->TitleText();
            caption.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
            addChannel(caption, channel->Name());
        }
        QMenu *styles = menu->addMenu(QStringLiteral("Style"));
        const struct {
            TPlotDataCursorStyle Style;
            QString Caption;
            bool Visible;
        } items[] = {
            { pcsValueXY, cursor->MenuItemCaptionValueXY(), cursor->MenuItemVisibleValueXY() },
            { pcsValueX, cursor->MenuItemCaptionValueX(), cursor->MenuItemVisibleValueX() },
            { pcsValueY, cursor->MenuItemCaptionValueY(), cursor->MenuItemVisibleValueY() },
            { pcsDeltaX, cursor->MenuItemCaptionDeltaX(), cursor->MenuItemVisibleDeltaX() },
            { pcsDeltaY, cursor->MenuItemCaptionDeltaY(), cursor->MenuItemVisibleDeltaY() },
            { pcsInverseDeltaX, cursor->MenuItemCaptionInverseDeltaX(), cursor->MenuItemVisibleInverseDeltaX() },
        };
        for (const auto &item : items) {
            if (!item.Visible)
                continue;
            QAction *action = styles->addAction(item.Caption);
            action->setCheckable(true);
            action->setChecked(cursor->Style() == item.Style);
            const TPlotDataCursorStyle style = item.Style;
            connect(action, &QAction::triggered, this, [this, cursor, style]() {
                if (Alive(cursor))
                    cursor->SetStyle(style);
            });
        }
        if (cursor->MenuUserCanChangeOptions()) {
            QMenu *options = menu->addMenu(QStringLiteral("Options"));
            QAction *useColor = options->addAction(QStringLiteral("Use Channel Color"));
            useColor->setCheckable(true);
            useColor->setChecked(cursor->UseChannelColor());
            connect(useColor, &QAction::triggered, this, [this, cursor]() {
                if (Alive(cursor))
                    cursor->SetUseChannelColor(!cursor->UseChannelColor());
            });
            QAction *hideHint = options->addAction(QStringLiteral("Hide Hint On Release"));
            hideHint->setCheckable(true);
            hideHint->setChecked(cursor->HintHideOnRelease());
            connect(hideHint, &QAction::triggered, this, [this, cursor]() {
                if (Alive(cursor))
                    cursor->SetHintHideOnRelease(!cursor->HintHideOnRelease());
            });
        }
        QAction *flip = menu->addAction(QStringLiteral("Flip Alignment"));
        flip->setEnabled(!cursor->IsAllChannels()
            && (cursor->Style() == pcsValueXY || cursor->Style() == pcsValueX || cursor->Style() == pcsValueY));
        connect(flip, &QAction::triggered, this, [this, cursor]() {
            if (Alive(cursor))
                cursor->SetHintOrientationSide(
                    cursor->HintOrientationSide() == osBottomRight ? osTopLeft : osBottomRight);
        });
    }
    if (FPlot.UserCanEditObjects())
        connect(menu->addAction(QStringLiteral("Edit...")), &QAction::triggered, this,
            [this, object]() { EditObject(Alive(object) ? object : nullptr); });
    if (menu->isEmpty()) {
        delete menu;
        return nullptr;
    }
    return menu;
}

// Drawing -----------------------------------------------------------------------------------------------------------

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
