// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotComponent.h"

#include "chart/ChartClipboard.h"
#include "chart/ChartPrint.h"
#include "chart/PictureFile.h"
#include "chart/PlotAxis.h"
#include "chart/PlotChannelCustom.h"
#include "chart/PlotClock.h"
#include "chart/PlotDataCursor.h"
#include "chart/PlotDataView.h"
#include "chart/PlotFontMeasure.h"
#include "chart/PlotLabel.h"
#include "chart/PlotLayoutManager.h"
#include "chart/PlotLegend.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotToolActions.h"
#include "chart/PlotToolBar.h"
#include "chart/PlotToolController.h"
#include "chart/PlotTrigger.h"
#include "chart/PlotYAutoFit.h"
#include "ui/DialogFolder.h"

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <exception>

namespace
{

// Saves the painter's state and restores it on leaving the scope, also when drawing fails.
class TPainterState
{
public:
    explicit TPainterState(QPainter &painter)
        : FPainter(painter)
    {
        FPainter.save();
    }
    ~TPainterState() { FPainter.restore(); }
    TPainterState(const TPainterState &) = delete;
    TPainterState &operator=(const TPainterState &) = delete;

private:
    QPainter &FPainter;
};

// A begin-update bracket: repaints are held until the scope ends, also when it ends by an exception.
class TUpdateBracket
{
public:
    explicit TUpdateBracket(TPaintedControl &control)
        : FControl(control)
    {
        FControl.BeginUpdate();
    }
    ~TUpdateBracket() { FControl.EndUpdate(); }
    TUpdateBracket(const TUpdateBracket &) = delete;
    TUpdateBracket &operator=(const TUpdateBracket &) = delete;

private:
    TPaintedControl &FControl;
};

// Hides every toolbar for a picture and gives each its visibility back on leaving the scope, also on failure.
class TToolBarsHidden
{
public:
    explicit TToolBarsHidden(TPlotMasterManager &master)
        : FMaster(master)
    {
        for (int i = 0; i < master.ToolBars().Count(); ++i) {
            TPlotToolBar *toolBar = master.ToolBars().Item(i);
            FVisible.push_back(toolBar->Visible());
            toolBar->SetVisible(false);
        }
    }
    ~TToolBarsHidden()
    {
        for (int i = 0; i < FMaster.ToolBars().Count() && i < static_cast<int>(FVisible.size()); ++i)
            FMaster.ToolBars().Item(i)->SetVisible(FVisible[static_cast<std::size_t>(i)]);
    }
    TToolBarsHidden(const TToolBarsHidden &) = delete;
    TToolBarsHidden &operator=(const TToolBarsHidden &) = delete;

private:
    TPlotMasterManager &FMaster;
    std::vector<bool> FVisible;
};

} // namespace

TPlotComponent::TPlotComponent(QWidget *parent, TPlotClock *clock, bool insidePlot)
    : TPaintedControl(clock ? *clock : TPlotClock::System(), parent)
    , FMaster(std::make_unique<TPlotMasterManager>(
          Clock(), [this]() { RequestRepaint(); }, insidePlot))
    , FTools(new TPlotToolController(*this))
    , FTrigger(std::make_unique<TPlotTrigger>(*FMaster))
{
    setMouseTracking(true);
    // Reached by Tab too, so that the keyboard gets to the axes and the menus.
    setFocusPolicy(Qt::StrongFocus);
    FMaster->SetRequestViewRepaint([this]() { RequestPartRepaint(); });
}

TPlotComponent::~TPlotComponent() = default;

const TPlotRect &TPlotComponent::DataViewRect() const
{
    return FMaster->Layout().DataViewRect();
}

bool TPlotComponent::TitleVisible() const
{
    return FMaster->Labels().Count() > 0 && FMaster->Labels().Item(0)->Visible();
}

void TPlotComponent::SetTitleVisible(bool visible)
{
    if (FMaster->Labels().Count() > 0)
        FMaster->Labels().Item(0)->SetVisible(visible);
}

QString TPlotComponent::TitleText() const
{
    return FMaster->Labels().Count() > 0 ? FMaster->Labels().Item(0)->Caption() : QString();
}

void TPlotComponent::SetTitleText(const QString &text)
{
    if (FMaster->Labels().Count() > 0)
        FMaster->Labels().Item(0)->SetCaption(text);
}

TPlotFont TPlotComponent::TitleFont() const
{
    return FMaster->Labels().Count() > 0 ? FMaster->Labels().Item(0)->Font() : TPlotFont();
}

void TPlotComponent::SetTitleFont(const TPlotFont &font)
{
    if (FMaster->Labels().Count() > 0)
        FMaster->Labels().Item(0)->SetFont(font);
}

void TPlotComponent::ClearAllData()
{
    FMaster->ClearAllData();
}

void TPlotComponent::PrepareRepaint()
{
    // A failed look at the data leaves the view where it was; the repaint goes on.
    try {
        if (FTrigger->Settings().Enabled)
            FTrigger->Update();
        // After the trigger: the values fitted are those of the time it places.
        if (FYAutoFit)
            FitValueAxesToData(*FMaster);
    } catch (const std::exception &) {
    }
}

void TPlotComponent::PaintControl(QPainter &painter, const QSize &size)
{
    RenderContentOrError(painter, size, true, PaintRect());
    std::vector<int> painted = LayoutSignature();
    if (PaintRect() != rect() && painted != FPaintedLayout)
        update(); // the layout moved after the part was chosen: the rest of the picture follows at once
    else
        FPaintedLayout = std::move(painted);
}

QRegion TPlotComponent::PartRegion()
{
    TPlotMasterManager &master = *FMaster;
    if (master.ToolBars().Count() == 0 || master.Legends().Count() == 0 || master.DataViews().Count() == 0)
        return rect();
    // A data cursor's readouts (in the legend and its hint) and the tools' frames and hint follow the data elsewhere.
    for (int i = 0; i < master.DataCursors().Count(); ++i)
        if (master.DataCursors().Item(i)->Visible())
            return rect();
    if (FTools->HasOverlay() || LayoutSignature() != FPaintedLayout)
        return rect();
    // The rectangle of the last paint's layout: should the new data move it (wider labels), the paint finds that out
    // and repaints the whole picture right after.
    return ViewRect(TPlotFontMeasure(this));
}

std::vector<int> TPlotComponent::LayoutSignature()
{
    TPlotMasterManager &master = *FMaster;
    TPlotLayoutManager &layout = master.Layout();
    const TPlotRect &dv = layout.DataViewRect();
    std::vector<int> signature { width(), height(), dv.Left, dv.Top, dv.Right, dv.Bottom };
    auto add = [&](TPlotLayoutObject *object) {
        const TPlotRect &band = object->Band();
        signature.insert(signature.end(),
            { object->Visible(), layout.IsPlaced(object), static_cast<int>(object->Side()), band.Left, band.Top,
                band.Right, band.Bottom });
    };
    for (TPlotAxis *axis : master.Axes())
        add(axis);
    for (int i = 0; i < master.Labels().Count(); ++i)
        add(master.Labels().Item(i));
    for (int i = 0; i < master.ToolBars().Count(); ++i)
        add(master.ToolBars().Item(i));
    for (int i = 0; i < master.Legends().Count(); ++i)
        add(master.Legends().Item(i));
    return signature;
}

QRect TPlotComponent::ViewRect(const TPlotMeasure &measure)
{
    TPlotMasterManager &master = *FMaster;
    TPlotLayoutManager &layout = master.Layout();
    const TPlotRect &dv = layout.DataViewRect();
    // Two pixels of slack around each part: frames and tick marks drawn on their edges.
    constexpr int Slack = 2;
    // One rectangle around them all: painting clipped to a rectangle takes the painter's fast paths.
    QRect view = QRect(QPoint(dv.Left, dv.Top), QPoint(dv.Right, dv.Bottom)).adjusted(-Slack, -Slack, Slack, Slack);
    for (TPlotAxis *axis : master.Axes()) {
        if (!axis->Visible() || !layout.IsPlaced(axis))
            continue;
        const TPlotRect &band = axis->Band();
        const int overhang = axis->Overhang(measure) + Slack;
        const QRect bandRect(QPoint(band.Left, band.Top), QPoint(band.Right, band.Bottom));
        view |= axis->IsHorizontal() ? bandRect.adjusted(-overhang, -Slack, overhang, Slack)
                                     : bandRect.adjusted(-Slack, -overhang, Slack, overhang);
    }
    return view & rect();
}

QImage TPlotComponent::RenderImage(bool showToolBars)
{
    QImage image(size(), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    QPainter painter(&image);
    Render(painter, size(), showToolBars);
    return image;
}

void TPlotComponent::Render(QPainter &painter, const QSize &size, bool showToolBars)
{
    RenderContentOrError(painter, size, showToolBars, QRect());
}

void TPlotComponent::RenderContentOrError(QPainter &painter, const QSize &size, bool showToolBars, const QRect &exposed)
{
    painter.fillRect(exposed.isNull() ? QRect(QPoint(0, 0), size) : exposed, BackGroundColor());
    QString failure;
    try {
        TPainterState state(painter);
        RenderContent(painter, size, showToolBars, exposed);
        return;
    } catch (const std::exception &error) {
        failure = QString::fromUtf8(error.what());
    }
    TPainterState state(painter);
    DrawErrorPicture(painter, size, failure);
}

void TPlotComponent::LayoutChart(const TPlotMeasure &measure, const QSize &size, bool showToolBars)
{
    TPlotMasterManager &master = *FMaster;
    TPlotLayoutFrame frame;
    frame.Width = size.width();
    frame.Height = size.height();
    frame.Border = BorderWidth();
    frame.OuterMarginLeft = OuterMarginLeft();
    frame.OuterMarginTop = OuterMarginTop();
    frame.OuterMarginRight = OuterMarginRight();
    frame.OuterMarginBottom = OuterMarginBottom();
    frame.DataViewZHorz = DataViewZHorz();
    frame.DataViewZVert = DataViewZVert();
    frame.ToolBarsShown = showToolBars;

    // Label sizes and axis lengths depend on each other: ticks from the last extents size the labels, the layout runs
    // twice with them, and the final ticks follow the final extents.
    const std::vector<TPlotAxis *> axes = master.Axes();
    for (TPlotAxis *axis : axes)
        axis->ComputeTicks(measure);
    TPlotLayoutManager &layout = master.Layout();
    layout.Run(measure, frame);
    layout.Run(measure, frame);
    for (TPlotAxis *axis : axes)
        axis->ComputeTicks(measure);
}

void TPlotComponent::LayoutForScreen()
{
    TPlotMasterManager &master = *FMaster;
    if (master.ToolBars().Count() == 0 || master.Legends().Count() == 0 || master.DataViews().Count() == 0)
        return;
    TPlotFontMeasure measure(this);
    LayoutChart(measure, size(), true);
}

void TPlotComponent::RenderContent(QPainter &painter, const QSize &size, bool showToolBars, const QRect &exposed)
{
    TPlotMasterManager &master = *FMaster;
    // The picture needs its toolbar, legend and plot area.
    if (master.ToolBars().Count() == 0 || master.Legends().Count() == 0 || master.DataViews().Count() == 0)
        return;

    TPlotFontMeasure measure(painter.device());
    TPlotDrawContext context { measure, BackGroundColor() };
    LayoutChart(measure, size, showToolBars);
    const std::vector<TPlotAxis *> axes = master.Axes();
    TPlotLayoutManager &layout = master.Layout();
    for (int i = 0; i < master.Channels().Count(); ++i)
        master.Channels().Item(i)->DrawSetup(context);

    DrawBorder(painter, size);

    // Plot area: data views, then channels, by layer; clipped to the data view and its frame.
    std::vector<TPlotObject *> plotArea;
    for (int i = 0; i < master.DataViews().Count(); ++i)
        if (master.DataViews().Item(i)->Visible())
            plotArea.push_back(master.DataViews().Item(i));
    for (int i = 0; i < master.Channels().Count(); ++i)
        if (master.Channels().Item(i)->Visible())
            plotArea.push_back(master.Channels().Item(i));
    std::stable_sort(plotArea.begin(), plotArea.end(),
        [](const TPlotObject *a, const TPlotObject *b) { return a->Layer() < b->Layer(); });
    const TPlotRect &dv = layout.DataViewRect();
    const QRect plotRect(QPoint(dv.Left, dv.Top), QPoint(dv.Right, dv.Bottom));
    auto isExposed = [&](const QRect &rect) { return exposed.isNull() || exposed.intersects(rect); };
    if (isExposed(plotRect.adjusted(-1, -1, 1, 1))) {
        TPainterState state(painter);
        painter.setClipRect(plotRect);
        for (TPlotObject *object : plotArea)
            object->Draw(painter, context);
        FTrigger->DrawLevel(painter);
    }

    auto drawPlaced = [&](TPlotLayoutObject *object) {
        if (!object->Visible() || !layout.IsPlaced(object))
            return;
        const TPlotRect &band = object->Band();
        const int reach = object->Overhang(measure) + 2;
        if (isExposed(QRect(QPoint(band.Left, band.Top), QPoint(band.Right, band.Bottom))
                          .adjusted(-reach, -reach, reach, reach)))
            object->Draw(painter, context);
    };
    for (TPlotAxis *axis : axes)
        drawPlaced(axis);
    FTrigger->DrawMarker(painter);
    for (int i = 0; i < master.Labels().Count(); ++i)
        drawPlaced(master.Labels().Item(i));
    for (int i = 0; i < master.ToolBars().Count(); ++i)
        drawPlaced(master.ToolBars().Item(i));
    for (int i = 0; i < master.DataCursors().Count(); ++i)
        if (master.DataCursors().Item(i)->Visible())
            master.DataCursors().Item(i)->Draw(painter, context);
    for (int i = 0; i < master.Legends().Count(); ++i)
        drawPlaced(master.Legends().Item(i));
    // Selection frames, the zoom box, a pending hint and the keyboard's focus belong to the screen, not to pictures.
    if (showToolBars) {
        FTools->DrawOverlay(painter, measure);
        if (FKeyboardFocus && hasFocus()) {
            QPen pen(Qt::white, 0, Qt::DotLine);
            pen.setCosmetic(true);
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRect(QPoint(0, 0), size).adjusted(2, 2, -3, -3));
        }
    }
}

void TPlotComponent::PauseAll()
{
    PauseAllAxes(*FMaster);
}

void TPlotComponent::ResumeAll()
{
    ResumeAllAxes(*FMaster);
}

void TPlotComponent::ZoomAll(double factor)
{
    ZoomAllAxes(*FMaster, factor);
}

void TPlotComponent::ClearSelection()
{
    FTools->ClearSelection();
}

void TPlotComponent::CopyToClipboard()
{
    {
        TUpdateBracket bracket(*this);
        TToolBarsHidden hidden(*FMaster);
        ClearSelection();
        CopyChartToClipboard(
            size(), [this](QPainter &painter, const QSize &size) { Render(painter, size, false); },
            CopyToClipBoardFormat());
    }
    LayoutForScreen();
}

bool TPlotComponent::SaveToFile(const QString &fileName)
{
    bool saved = false;
    {
        TUpdateBracket bracket(*this);
        ClearSelection();
        TToolBarsHidden hidden(*FMaster);
        saved = SaveChartPicture(
            fileName, size(), [this](QPainter &painter, const QSize &size) { Render(painter, size, false); });
    }
    LayoutForScreen();
    return saved;
}

void TPlotComponent::SaveToFileWithDialog()
{
    static const QStringList filters = { QStringLiteral("Bitmap (*.bmp)"), QStringLiteral("Enhanced Metafile (*.emf)"),
        QStringLiteral("JPEG File (*.jpg)"), QStringLiteral("PNG (*.png)") };
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("SaveDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(filters);
    dialog.selectFile(DialogPath(QStringLiteral("Untitled")));
    // A name typed without an ending takes the one of the chosen filter.
    auto suffixOf = [](const QString &filter) { return filter.section(QStringLiteral("*."), 1).chopped(1); };
    dialog.setDefaultSuffix(suffixOf(filters.first()));
    connect(&dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog, suffixOf](const QString &filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    RememberDialogFile(dialog.selectedFiles().first());
    SaveToFile(dialog.selectedFiles().first());
}

QPrinter &TPlotComponent::Printer()
{
    if (!FPrinter)
        FPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *FPrinter;
}

void TPlotComponent::Print()
{
    TChartPrintSettings settings;
    settings.MarginLeft = PrintMarginLeft();
    settings.MarginTop = PrintMarginTop();
    settings.MarginRight = PrintMarginRight();
    settings.MarginBottom = PrintMarginBottom();
    settings.DocumentName = PrintDocumentName();
    settings.Orientation = PrintOrientation();
    settings.PrinterName = PrinterName().trimmed();
    settings.ShowDialog = PrintShowDialog();
    QPrinter &printer = Printer();
    if (!ChartPrintSetup(printer, settings, this))
        return;
    {
        TUpdateBracket bracket(*this);
        if (OnBeforePrint)
            OnBeforePrint();
        ClearSelection();
        TToolBarsHidden hidden(*FMaster);
        // Laid out for the page, not at the size the window gives the chart (a data panel may squeeze it to a strip).
        PrintChartPage(
            printer, ChartPageSize(printer, settings),
            [this](QPainter &painter, const QSize &size) { Render(painter, size, false); }, settings);
    }
    LayoutForScreen();
    if (OnAfterPrint)
        OnAfterPrint();
}

void TPlotComponent::mousePressEvent(QMouseEvent *event)
{
    LayoutForScreen();
    const QPoint point = event->position().toPoint();
    FTools->MousePress(point, event->button(), event->modifiers());
    if (event->button() == Qt::RightButton) {
        if (QMenu *menu = FTools->CreateContextMenu(point, this)) {
            menu->setAttribute(Qt::WA_DeleteOnClose);
            menu->popup(event->globalPosition().toPoint());
        }
    }
}

void TPlotComponent::mouseMoveEvent(QMouseEvent *event)
{
    LayoutForScreen();
    FTools->MouseMove(event->position().toPoint(), event->buttons(), event->modifiers());
}

void TPlotComponent::mouseReleaseEvent(QMouseEvent *event)
{
    LayoutForScreen();
    FTools->MouseRelease(event->position().toPoint(), event->button());
}

void TPlotComponent::wheelEvent(QWheelEvent *event)
{
    // Whole notches of 120 eighths of a degree; fine-grained wheels add up to one.
    FWheelRemainder += event->angleDelta().y() / 120.0;
    const int notches = static_cast<int>(FWheelRemainder);
    FWheelRemainder -= notches;
    FTools->Wheel(notches, event->modifiers());
    event->accept();
}

void TPlotComponent::keyPressEvent(QKeyEvent *event)
{
    // The menu key and Shift+F10 open the menu that a right click on the data view opens.
    const bool menuKey = event->key() == Qt::Key_Menu
        || (event->key() == Qt::Key_F10 && (event->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier);
    if (menuKey) {
        PopUpDataViewMenu();
        return;
    }
    FTools->KeyPress(event->key(), event->modifiers());
}

void TPlotComponent::contextMenuEvent(QContextMenuEvent *event)
{
    // A right press has opened its menu already; a request from the keyboard opens the data view's.
    if (event->reason() == QContextMenuEvent::Keyboard)
        PopUpDataViewMenu();
    else
        event->ignore();
}

void TPlotComponent::focusInEvent(QFocusEvent *event)
{
    TPaintedControl::focusInEvent(event);
    // Coming back from a menu or another window keeps the frame as it was.
    const bool framed = FKeyboardFocus;
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
        FKeyboardFocus
            = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
    if (framed || FKeyboardFocus)
        RequestRepaint();
}

void TPlotComponent::focusOutEvent(QFocusEvent *event)
{
    TPaintedControl::focusOutEvent(event);
    if (FKeyboardFocus)
        RequestRepaint();
}

void TPlotComponent::PopUpDataViewMenu()
{
    // A platform that also turns the menu key into a request finds the menu open already.
    if (FKeyboardMenu && FKeyboardMenu->isVisible())
        return;
    LayoutForScreen();
    QMenu *menu = FTools->CreateDataViewMenu(this);
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    FKeyboardMenu = menu;
    const TPlotRect &view = DataViewRect();
    const QPoint centre = view.Width() > 0 && view.Height() > 0
        ? QPoint((view.Left + view.Right) / 2, (view.Top + view.Bottom) / 2)
        : rect().center();
    menu->popup(mapToGlobal(centre));
}

void TPlotComponent::leaveEvent(QEvent *event)
{
    TPaintedControl::leaveEvent(event);
    FTools->MouseLeave();
}
