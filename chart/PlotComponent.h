// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/PaintedControl.h"
#include "chart/PlotContextMenu.h"
#include "chart/PlotFont.h"
#include "chart/PlotTypes.h"

class TPlotMeasure;

#include <QPoint>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

class QMenu;
class QPrinter;
class TPlotClock;
class TPlotMasterManager;
class TPlotObject;
class TPlotToolController;
class TPlotTrigger;

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

    // The trigger: off until its settings turn it on.
    TPlotTrigger &Trigger() const { return *FTrigger; }

    // The mouse, key, toolbar, menu and hint handling.
    TPlotToolController &Tools() const { return *FTools; }

    // Tracking off on every axis (saving resume values), or back on (restoring them).
    void PauseAll();
    void ResumeAll();
    // Every axis span times factor about its centre; a factor not above 0 raises the zoom error.
    void ZoomAll(double factor);
    void ClearSelection();

    // The picture of the chart without its toolbars, on the clipboard in CopyToClipBoardFormat.
    void CopyToClipboard();
    // Saves the picture without toolbars by the name's last three characters (bmp, emf, jpg, png); any other ending
    // writes nothing and returns false. Failures to write raise EPlotError.
    bool SaveToFile(const QString &fileName);
    // Asks for a file name in a save dialog ("Untitled" at first) and saves there.
    void SaveToFileWithDialog();
    // Prints the picture without toolbars on one page (PrintShowDialog: through the print dialog), laid out at the
    // size of the room between the print margins. Failures raise "Error Printing : " and the reason.
    void Print();
    // The printer the chart prints on, kept for the component's life: the print dialog opens on the printer and the
    // output file chosen last time.
    QPrinter &Printer();

    // Raised after every toolbar button action, with the toolbar's and the button's index.
    std::function<void(int toolBarIndex, int buttonIndex)> OnToolBarButtonClick;
    // May veto an accepted zoom box (return false).
    std::function<bool(const QPoint &start, const QPoint &end)> OnBeforeZoomBox;
    std::function<void()> OnBeforePrint;
    std::function<void()> OnAfterPrint;
    // Opens a property editor on an object (null: the whole chart). The chart has none of its own.
    std::function<void(TPlotObject *object)> OnEditObject;
    // Items the host adds at the end of the data view's context menu, asked for each time the menu opens (their
    // checked and enabled states are those of the moment), and the handler of a chosen one. Unset: no items.
    std::function<std::vector<TPlotMenuItem>()> OnDataViewMenuItems;
    std::function<void(const TPlotMenuItem &item)> OnHostMenuCommand;

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
    // On: before each repaint the value axes that follow their data fit the values in view (FitValueAxesToData).
    PLOT_COMPONENT_PROPERTY(bool, YAutoFit, false)

protected:
    void PaintControl(QPainter &painter, const QSize &size) override;
    void PrepareRepaint() override;
    QRegion PartRegion() override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void RenderContentOrError(QPainter &painter, const QSize &size, bool showToolBars, const QRect &exposed);
    // exposed: the part of the picture that must be drawn; objects wholly outside it are left out (empty: all).
    void RenderContent(QPainter &painter, const QSize &size, bool showToolBars, const QRect &exposed);
    // Where the layout put every object, to tell whether a part repaint leaves the rest of the picture as it is.
    std::vector<int> LayoutSignature();
    // The rectangle around the data view and the axes (with their labels past their ends): what new data and scrolling
    // change.
    QRect ViewRect(const TPlotMeasure &measure);
    // Ticks and layout for a canvas, as a paint does them before drawing.
    void LayoutChart(const TPlotMeasure &measure, const QSize &size, bool showToolBars);
    // The layout of the screen picture, so that mouse points meet what is shown.
    void LayoutForScreen();
    // Opens the data view's context menu over the data view's centre, for the keyboard.
    void PopUpDataViewMenu();

    std::unique_ptr<TPlotMasterManager> FMaster;
    std::unique_ptr<QPrinter> FPrinter; // made at the first print
    TPlotToolController *FTools;
    QPointer<QMenu> FKeyboardMenu; // the menu the keyboard opened, while it lives
    bool FKeyboardFocus = false; // the focus came by the keyboard: a frame shows where it is
    std::unique_ptr<TPlotTrigger> FTrigger;
    std::vector<int> FPaintedLayout; // the layout of the last paint on the screen
    double FWheelRemainder = 0;
};
