#pragma once

#include "chart/PaintedControl.h"
#include "chart/PlotFont.h"
#include "chart/PlotTypes.h"

#include <memory>

class TPlotClock;
class TPlotMasterManager;

// Declares a component setting: a getter, and a setter that requests a repaint when the value changes.
#define PLOT_COMPONENT_PROPERTY(Type, Name, ...)                                                                       \
public:                                                                                                                \
    const Type &Name() const                                                                                           \
    {                                                                                                                  \
        return F##Name;                                                                                                \
    }                                                                                                                  \
    void Set##Name(const Type &value)                                                                                  \
    {                                                                                                                  \
        if (F##Name == value)                                                                                          \
            return;                                                                                                    \
        F##Name = value;                                                                                               \
        RequestRepaint();                                                                                              \
    }                                                                                                                  \
                                                                                                                       \
private:                                                                                                               \
    Type F##Name { __VA_ARGS__ };

// The chart control: owns the chart's objects (through the master manager), lays them out and paints them on the
// screen, and renders the same picture on any other canvas (pictures, clipboard, printer).
class TPlotComponent : public TPaintedControl
{
    Q_OBJECT

public:
    // With no clock the machine's clocks are used. insidePlot selects the defaults of a chart control for new axes.
    TPlotComponent(QWidget *parent, TPlotClock *clock, bool insidePlot);
    ~TPlotComponent() override;

    TPlotMasterManager &Master() const { return *FMaster; }

    // Draws the whole chart on a painter whose device is `size` pixels large: the layout follows that device's font
    // metrics. With showToolBars false the toolbars take no room and are not drawn. A failure while drawing leaves a
    // black picture with the failure's text in white.
    void Render(QPainter &painter, const QSize &size, bool showToolBars = true);
    // The chart at the control's size as an image.
    QImage RenderImage(bool showToolBars = true);
    // The plot area of the last render.
    const TPlotRect &DataViewRect() const;

    // The title is the component's first label.
    bool TitleVisible() const;
    void SetTitleVisible(bool visible);
    QString TitleText() const;
    void SetTitleText(const QString &text);
    TPlotFont TitleFont() const;
    void SetTitleFont(const TPlotFont &font);

    // Empties every channel.
    void ClearAllData();

    PLOT_COMPONENT_PROPERTY(bool, BackGroundGradientEnabled, false)
    PLOT_COMPONENT_PROPERTY(int, DataViewZHorz, 1)
    PLOT_COMPONENT_PROPERTY(int, DataViewZVert, 1)
    PLOT_COMPONENT_PROPERTY(int, OuterMarginLeft, 5)
    PLOT_COMPONENT_PROPERTY(int, OuterMarginTop, 5)
    PLOT_COMPONENT_PROPERTY(int, OuterMarginRight, 5)
    PLOT_COMPONENT_PROPERTY(int, OuterMarginBottom, 5)
    PLOT_COMPONENT_PROPERTY(bool, HintsShow, true)
    PLOT_COMPONENT_PROPERTY(int, HintsPause, 500)
    PLOT_COMPONENT_PROPERTY(int, HintsHidePause, 2500)
    PLOT_COMPONENT_PROPERTY(TPlotFont, HintsFont, TPlotFont::Make("MS Sans Serif", 11, false, Qt::black))
    PLOT_COMPONENT_PROPERTY(TPlotExportFormat, CopyToClipBoardFormat, pefMetaFile)
    PLOT_COMPONENT_PROPERTY(double, PrintMarginLeft, 1.0)
    PLOT_COMPONENT_PROPERTY(double, PrintMarginTop, 1.0)
    PLOT_COMPONENT_PROPERTY(double, PrintMarginRight, 1.0)
    PLOT_COMPONENT_PROPERTY(double, PrintMarginBottom, 1.0)
    PLOT_COMPONENT_PROPERTY(QString, PrintDocumentName, "Untitled")
    PLOT_COMPONENT_PROPERTY(TPlotPrintOrientation, PrintOrientation, ppoLandscape)
    PLOT_COMPONENT_PROPERTY(bool, PrintShowDialog, true)
    PLOT_COMPONENT_PROPERTY(QString, PrinterName)
    PLOT_COMPONENT_PROPERTY(TPlotEditorFormStyle, EditorFormStyle, pfsModal)
    PLOT_COMPONENT_PROPERTY(bool, UserCanEditObjects, true)

protected:
    void PaintControl(QPainter &painter, const QSize &size) override;

private:
    void RenderContent(QPainter &painter, const QSize &size, bool showToolBars);

    std::unique_ptr<TPlotMasterManager> FMaster;
};
