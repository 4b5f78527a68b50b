#include "chart/PlotComponent.h"

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
#include "chart/PlotToolBar.h"

#include <QPainter>
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

} // namespace

TPlotComponent::TPlotComponent(QWidget *parent, TPlotClock *clock, bool insidePlot)
    : TPaintedControl(clock ? *clock : TPlotClock::System(), parent)
    , FMaster(std::make_unique<TPlotMasterManager>(
          Clock(), [this]() { RequestRepaint(); }, insidePlot))
{
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

void TPlotComponent::PaintControl(QPainter &painter, const QSize &size)
{
    Render(painter, size, true);
}

QImage TPlotComponent::RenderImage(bool showToolBars)
{
    QImage image(size(), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(BackGroundColor());
    QPainter painter(&image);
    Render(painter, size(), showToolBars);
    return image;
}

void TPlotComponent::Render(QPainter &painter, const QSize &size, bool showToolBars)
{
    QString failure;
    try {
        TPainterState state(painter);
        RenderContent(painter, size, showToolBars);
        return;
    } catch (const std::exception &error) {
        failure = QString::fromUtf8(error.what());
    }
    TPainterState state(painter);
    DrawErrorPicture(painter, size, failure);
}

void TPlotComponent::RenderContent(QPainter &painter, const QSize &size, bool showToolBars)
{
    TPlotMasterManager &master = *FMaster;
    // The picture needs its toolbar, legend and plot area.
    if (master.ToolBars().Count() == 0 || master.Legends().Count() == 0 || master.DataViews().Count() == 0)
        return;

    TPlotFontMeasure measure(painter.device());
    TPlotDrawContext context { measure, BackGroundColor() };
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
    for (int i = 0; i < master.Channels().Count(); ++i)
        master.Channels().Item(i)->DrawSetup(context);

    painter.fillRect(QRect(QPoint(0, 0), size), BackGroundColor());
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
    {
        TPainterState state(painter);
        painter.setClipRect(QRect(QPoint(dv.Left, dv.Top), QPoint(dv.Right, dv.Bottom)));
        for (TPlotObject *object : plotArea)
            object->Draw(painter, context);
    }

    auto drawPlaced = [&](TPlotLayoutObject *object) {
        if (object->Visible() && layout.IsPlaced(object))
            object->Draw(painter, context);
    };
    for (TPlotAxis *axis : axes)
        drawPlaced(axis);
    for (int i = 0; i < master.Labels().Count(); ++i)
        drawPlaced(master.Labels().Item(i));
    for (int i = 0; i < master.ToolBars().Count(); ++i)
        drawPlaced(master.ToolBars().Item(i));
    for (int i = 0; i < master.DataCursors().Count(); ++i)
        if (master.DataCursors().Item(i)->Visible())
            master.DataCursors().Item(i)->Draw(painter, context);
    for (int i = 0; i < master.Legends().Count(); ++i)
        drawPlaced(master.Legends().Item(i));
}
