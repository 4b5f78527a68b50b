// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PlotTypes.h"

#include <QColor>
#include <QRegion>
#include <QTimer>
#include <QWidget>

class TPlotClock;

// A control that paints itself and limits its repaints to UpdateFrameRate a second. A repaint request that falls within
// 1/UpdateFrameRate s of the last granted one is held and granted by a one-shot timer at the end of that window, so
// the newest state is always drawn, even when changes stop. Requests inside a BeginUpdate/EndUpdate bracket are held
// until the bracket ends.
//
// A request for a part (RequestPartRepaint) repaints only what PartRegion() names when it is granted, unless a whole
// repaint was asked for meanwhile: the rest of the picture stays as it was drawn.
class TPaintedControl : public QWidget
{
    Q_OBJECT

public:
    TPaintedControl(TPlotClock &clock, QWidget *parent = nullptr);

    void RequestRepaint();
    void RequestPartRepaint();
    void BeginUpdate();
    void EndUpdate();

    bool RepaintPending() const { return FRepaintPending; }
    // Monotonic seconds of the last granted request.
    double LastRepaintTime() const { return FLastRepaintTime; }
    // How many requests were granted (each invalidates the control once), and how many of them only a part.
    int GrantedRepaints() const { return FGrantedRepaints; }
    int GrantedPartRepaints() const { return FGrantedPartRepaints; }

    int UpdateFrameRate() const { return FUpdateFrameRate; }
    void SetUpdateFrameRate(int rate);
    bool AutoFrameRate() const { return FAutoFrameRate; }
    void SetAutoFrameRate(bool automatic);
    const QColor &BackGroundColor() const { return FBackGroundColor; }
    void SetBackGroundColor(const QColor &color);
    TPlotBevelStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TPlotBevelStyle style);
    int BorderWidth() const { return FBorderStyle == bsNone ? 0 : 2; }

    TPlotClock &Clock() const { return FClock; }

protected:
    // Draws the whole picture, every pixel of it (the control is opaque). Failures are shown as the error picture.
    virtual void PaintControl(QPainter &painter, const QSize &size) = 0;
    // Called as a repaint is granted, before the control is invalidated: the last changes made here (the trigger
    // placing the time axis) go into this repaint without asking for another. Must not throw.
    virtual void PrepareRepaint() { }
    // What a part repaint covers, asked when it is granted; the whole control unless a subclass knows better.
    virtual QRegion PartRegion() { return rect(); }
    // The bounding rectangle of what the paint in progress must cover: drawing that falls wholly outside it can be
    // left out.
    const QRect &PaintRect() const { return FPaintRect; }
    // A black picture with the failure's text in white.
    static void DrawErrorPicture(QPainter &painter, const QSize &size, const QString &message);
    void DrawBorder(QPainter &painter, const QSize &size) const;

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void Request();
    void GrantRepaint(double now);
    void RepaintTimerFired();

    TPlotClock &FClock;
    QTimer FRepaintTimer;
    bool FRepaintScheduled = false; // the timer runs (kept here: asking the timer costs a call per change)
    bool FPreparing = false; // inside PrepareRepaint
    int FUpdateCount = 0;
    bool FRepaintPending = false;
    bool FWholeRepaintPending = false;
    QRect FPaintRect;
    double FLastRepaintTime = -1e300;
    int FGrantedRepaints = 0;
    int FGrantedPartRepaints = 0;
    int FUpdateFrameRate = 60;
    bool FAutoFrameRate = true;
    QColor FBackGroundColor = Qt::black;
    TPlotBevelStyle FBorderStyle = bsLowered;
};
