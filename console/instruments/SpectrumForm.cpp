// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/instruments/SpectrumForm.h"

#include "chart/Plot.h"
#include "chart/PlotChannel.h"
#include "chart/PlotXAxis.h"
#include "chart/PlotYAxis.h"
#include "console/instruments/ChartChannels.h"
#include "console/instruments/InstrumentPlot.h"
#include "ui/WindowKeys.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>

namespace
{

const struct {
    const char *Caption;
    TWindowKind Kind;
} WindowChoices[] = {
    { "Hann", TWindowKind::Hann },
    { "矩形", TWindowKind::Rectangular },
    { "Hamming", TWindowKind::Hamming },
    { "Blackman-Harris", TWindowKind::BlackmanHarris },
};

// The dB scale shows this far below the highest bin: the leakage floor of the best window and then some.
constexpr double DecibelRange = 140;

} // namespace

TSpectrumForm::TSpectrumForm(TPlot &source, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , FSource(source)
    , FChannel(new QComboBox(this))
    , FPoints(new QComboBox(this))
    , FWindow(new QComboBox(this))
    , FScale(new QComboBox(this))
    , FSampleRate(new QComboBox(this))
    , FPeak(new QLabel(this))
    , FRateNote(new QLabel(this))
    , FPlot(new TPlot(this))
    , FPacer(
          RefreshMilliseconds, [this] { Refresh(); }, nullptr)
{
    setObjectName(QStringLiteral("SpectrumForm"));
    setWindowTitle(QStringLiteral("频谱"));
    resize(720, 480);
    FChannel->setObjectName(QStringLiteral("Channel"));
    FPoints->setObjectName(QStringLiteral("Points"));
    for (int points = MinSpectrumPoints; points <= MaxSpectrumPoints; points *= 2)
        FPoints->addItem(QString::number(points), points);
    FPoints->setCurrentIndex(FPoints->findData(DefaultSpectrumPoints));
    FWindow->setObjectName(QStringLiteral("Window"));
    for (const auto &w : WindowChoices)
        FWindow->addItem(QString::fromUtf8(w.Caption), int(w.Kind));
    FScale->setObjectName(QStringLiteral("Scale"));
    FScale->addItems({ QStringLiteral("dB"), QStringLiteral("线性") });
    FSampleRate->setObjectName(QStringLiteral("SampleRate"));
    FSampleRate->setEditable(true);
    FSampleRate->setInsertPolicy(QComboBox::NoInsert);
    FSampleRate->addItem(QStringLiteral("自动"));
    FSampleRate->setMinimumContentsLength(8);
    FPeak->setObjectName(QStringLiteral("Peak"));
    FPeak->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FRateNote->setObjectName(QStringLiteral("RateNote"));
    FRateNote->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FRateNote->hide();
    FPlot->setObjectName(QStringLiteral("SpectrumPlot"));
    SetUpInstrumentPlot(*FPlot);
    FPlot->XAxis(0)->SetTitle(QStringLiteral("Hz"));

    auto *bar = new QHBoxLayout;
    auto addChoice = [&](const QString &caption, QWidget *input) {
        auto *label = new QLabel(caption, this);
        label->setBuddy(input);
        bar->addWidget(label);
        bar->addWidget(input);
    };
    addChoice(QStringLiteral("通道"), FChannel);
    addChoice(QStringLiteral("点数"), FPoints);
    addChoice(QStringLiteral("窗函数"), FWindow);
    addChoice(QStringLiteral("刻度"), FScale);
    addChoice(QStringLiteral("采样率"), FSampleRate);
    bar->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(FPeak);
    layout->addWidget(FRateNote);
    layout->addWidget(FPlot, 1);

    auto again = [this] {
        FDrawnFrom.clear();
        Refresh();
    };
    for (QComboBox *box : { FChannel, FPoints, FWindow, FScale })
        connect(box, &QComboBox::currentIndexChanged, this, again);
    // A typed rate counts once typing ends (Enter or leaving the box); a half-typed number is not yet a mistake.
    auto rateTaken = [this, again] {
        FRateText = FSampleRate->currentText();
        again();
    };
    connect(FSampleRate->lineEdit(), &QLineEdit::editingFinished, this, rateTaken);
    connect(FSampleRate, &QComboBox::activated, this, rateTaken);
    AddDialogKeys(this);
}

bool TSpectrumForm::ReadChoice(TSpectrumChoice &choice)
{
    choice.Points = FPoints->currentData().toInt();
    choice.Window = TWindowKind(FWindow->currentData().toInt());
    choice.Decibels = FScale->currentIndex() == 0;
    const std::optional<double> rate = ParseSampleRate(FRateText);
    if (!rate) {
        FPeak->setText(QStringLiteral("采样率须为“自动”或以 Hz 计的正数"));
        return false;
    }
    choice.SampleRate = *rate;
    return true;
}

void TSpectrumForm::Refresh()
{
    SyncChannelChoice(*FChannel, FSource, 0);
    const TPlotChannelCustom *channel = ChartChannel(FSource, FChannel->currentIndex());
    const std::vector<int64_t> from = { FChannel->currentIndex(), FPoints->currentIndex(), FWindow->currentIndex(),
        FScale->currentIndex(), int64_t(reinterpret_cast<intptr_t>(channel)), channel ? channel->AddedCount() : -1,
        channel ? channel->Count() : -1 };
    if (from == FDrawnFrom)
        return;
    FDrawnFrom = from;
    TSpectrumChoice choice;
    if (!ReadChoice(choice))
        return; // the last spectrum stays drawn beneath the message
    if (!channel) {
        FPlot->Channel(0)->Clear();
        FPeak->setText(QString());
        FRateNote->hide();
        return;
    }
    Draw(FRun.Compute(*channel, choice), choice);
}

void TSpectrumForm::Draw(const TSpectrumPicture &picture, const TSpectrumChoice &choice)
{
    FPeak->setText(SpectrumPeakText(picture, choice.Decibels));
    const QString note = SpectrumRateNote(picture);
    FRateNote->setText(note);
    FRateNote->setVisible(!note.isEmpty());
    TPlotChannel &drawn = *FPlot->Channel(0);
    drawn.Clear();
    if (!picture.Problem.isEmpty())
        return;
    const TPlotChannelCustom *channel = ChartChannel(FSource, FChannel->currentIndex());
    drawn.SetTitleText(channel->TitleText());
    drawn.SetColor(channel->Color());
    for (std::size_t k = 0; k < picture.Values.size(); ++k)
        drawn.AddPoint(double(k) * picture.BinWidth, picture.Values[k]);
    FitInstrumentAxis(*FPlot->XAxis(0), 0, picture.SampleRate / 2, 0);
    const double top = *std::max_element(picture.Values.begin(), picture.Values.end());
    const double bottom = choice.Decibels
        ? std::max(*std::min_element(picture.Values.begin(), picture.Values.end()), top - DecibelRange)
        : 0.0;
    FitInstrumentAxis(*FPlot->YAxis(0), bottom, top);
}

void TSpectrumForm::showEvent(QShowEvent *event)
{
    Refresh();
    FPacer.Start();
    QWidget::showEvent(event);
}

void TSpectrumForm::hideEvent(QHideEvent *event)
{
    FPacer.Stop();
    QWidget::hideEvent(event);
}
