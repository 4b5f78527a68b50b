// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotHitTest.h"

#include <QObject>
#include <QPoint>
#include <QString>
#include <QTimer>

class QMenu;
class QPainter;
class QWidget;
class TPlotAxis;
class TPlotComponent;
class TPlotDataCursor;
class TPlotMeasure;
class TPlotObject;
class TPlotToolBar;

// Everything the user does with the mouse and keys on the chart: toolbar buttons (clicked on release), axis drags,
// wheel notches and keys on the selected axis, the zoom box, the legend and the data cursor, the selection, context
// menus and hints. Points are in chart pixels of the last screen layout. Objects are looked up again at each use, so
// replacing the chart's objects never leaves a stale one here. What lies under a point (PlotHitTest) and what a
// context menu offers (PlotContextMenu) are decided outside; this class keeps the mouse, key, selection and hint
// state and carries out what they decide.
class TPlotToolController : public QObject
{
    Q_OBJECT

public:
    explicit TPlotToolController(TPlotComponent &plot);

    // Runs a toolbar button as a click on it: releases the other buttons of its group, runs its action, then the
    // chart's OnToolBarButtonClick.
    void ClickButton(TPlotToolBar &toolBar, int index);
    // Sets a button's down state and runs its toggle action when it changes.
    void SetButtonDown(TPlotToolBar &toolBar, int index, bool down);
    // Dragging an axis zooms it (Zoom down) rather than scrolling it (Scroll down).
    bool AxesZoomMode() const { return FAxesZoomMode; }
    bool ToolBarButtonDown(int index) const;

    TPlotObject *Selected() const;
    void Select(TPlotObject *object);
    void ClearSelection();

    void MousePress(const QPoint &point, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void MouseMove(const QPoint &point, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
    void MouseRelease(const QPoint &point, Qt::MouseButton button);
    void Wheel(int notches, Qt::KeyboardModifiers modifiers);
    void KeyPress(int key, Qt::KeyboardModifiers modifiers);
    void MouseLeave();

    // The zoom box being dragged (start and current end), if any.
    bool ZoomBoxDragging() const { return FZoomBoxDragging; }

    // Hint shown now, its text and its top-left corner.
    bool HintShown() const { return FHintShown; }
    const QString &HintText() const { return FHintText; }
    QPoint HintPoint() const { return FHintPoint; }

    // The context menu of the object at a point (null when there is none); the caller owns it.
    QMenu *CreateContextMenu(const QPoint &point, QWidget *parent);
    // The data view's context menu, as a right click on the data view opens it (null when there is none); the caller
    // owns it. The keyboard's way to the menu, wherever the pointer is.
    QMenu *CreateDataViewMenu(QWidget *parent);

    // Selection frames, the zoom box and the hint: drawn over the finished screen picture.
    void DrawOverlay(QPainter &painter, const TPlotMeasure &measure);
    // Whether DrawOverlay draws anything.
    bool HasOverlay() const;

private:
    QMenu *CreateObjectMenu(TPlotObject *object, QWidget *parent);
    bool Alive(const TPlotObject *object) const;
    TPlotAxis *SelectedAxis() const;
    void ShowHint();
    void HideHint();
    void ButtonAction(TPlotToolBar &toolBar, int index);
    void ButtonToggled(TPlotToolBar &toolBar, int index, bool down);
    void SetAllCursorsVisible(bool visible);
    void PauseAllRaising(TPlotToolBar &toolBar);
    void EditObject(TPlotObject *object);
    void Repaint();

    TPlotComponent &FPlot;
    bool FAxesZoomMode = false;
    TPlotObject *FSelected = nullptr;

    TPlotToolBar *FPressedToolBar = nullptr;
    int FPressedButton = -1;
    TPlotAxis *FDragAxis = nullptr;
    bool FDragStarted = false;
    QPoint FLastPoint;
    TPlotDataCursor *FDragCursor = nullptr;
    bool FZoomBoxDragging = false;
    QPoint FZoomBoxStart, FZoomBoxEnd;

    TPlotHintTarget FHintTarget;
    bool FHintShown = false;
    QString FHintText;
    QPoint FHintPoint;
    QTimer FHintShowTimer;
    QTimer FHintHideTimer;
};
