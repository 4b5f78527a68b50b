// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/plotfeed/TriggerForm.h"

#include "chart/Plot.h"
#include "chart/PlotChannelCustom.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotTrigger.h"
#include "console/plotfeed/TriggerSettings.h"
#include "core/MessageBox.h"
#include "settings/ParseNumber.h"
#include "ui/WindowKeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <cmath>
#include <utility>

TTriggerForm::TTriggerForm(TPlot &plot, std::string settingsPath, QWidget *parent)
    : QWidget(parent, Qt::Dialog)
    , FPlot(plot)
    , FSettingsPath(std::move(settingsPath))
    , FWatch(new QTimer(this))
{
    setWindowTitle(QStringLiteral("触发"));
    auto *layout = new QFormLayout(this);
    EnableBox = new QCheckBox(QStringLiteral("启用触发"), this);
    SourceBox = new QComboBox(this);
    LevelEdit = new QLineEdit(this);
    EdgeBox = new QComboBox(this);
    EdgeBox->addItems({ QStringLiteral("上升沿"), QStringLiteral("下降沿") });
    ModeBox = new QComboBox(this);
    ModeBox->addItems({ QStringLiteral("自动"), QStringLiteral("正常"), QStringLiteral("单次") });
    PositionBox = new QSpinBox(this);
    PositionBox->setRange(0, 100);
    PositionBox->setSuffix(QStringLiteral(" %"));
    RearmButton = new QPushButton(QStringLiteral("重新触发"), this);
    RearmButton->setAutoDefault(false);

    layout->addRow(EnableBox);
    layout->addRow(QStringLiteral("触发源"), SourceBox);
    layout->addRow(QStringLiteral("电平"), LevelEdit);
    layout->addRow(QStringLiteral("边沿"), EdgeBox);
    layout->addRow(QStringLiteral("模式"), ModeBox);
    layout->addRow(QStringLiteral("触发位置"), PositionBox);
    layout->addRow(RearmButton);

    connect(EnableBox, &QCheckBox::toggled, this, [this] { Apply(); });
    connect(SourceBox, &QComboBox::currentIndexChanged, this, [this] { Apply(); });
    connect(LevelEdit, &QLineEdit::editingFinished, this, [this] { LevelEdited(); });
    connect(EdgeBox, &QComboBox::currentIndexChanged, this, [this] { Apply(); });
    connect(ModeBox, &QComboBox::currentIndexChanged, this, [this] { Apply(); });
    connect(PositionBox, &QSpinBox::valueChanged, this, [this] { Apply(); });
    connect(RearmButton, &QPushButton::clicked, this, [this] { Rearm(); });
    FWatch->setInterval(WatchMilliseconds);
    connect(FWatch, &QTimer::timeout, this, [this] { SyncSources(); });
    AddDialogKeys(this);
    Refresh();
}

QStringList TTriggerForm::SourceTitles() const
{
    QStringList titles;
    const auto &channels = FPlot.Master().Channels();
    for (int i = 0; i < channels.Count(); ++i) {
        const TPlotChannelCustom *channel = channels.Item(i);
        titles << (channel->TitleText().isEmpty() ? channel->Name() : channel->TitleText());
    }
    return titles;
}

void TTriggerForm::SyncSources()
{
    const QStringList titles = SourceTitles();
    bool same = SourceBox->count() == titles.size();
    for (int i = 0; same && i < titles.size(); ++i)
        same = SourceBox->itemText(i) == titles[i];
    if (same)
        return;
    const bool filling = std::exchange(FFilling, true);
    SourceBox->clear();
    SourceBox->addItems(titles);
    // A source that is not there yet (a channel of multi-channel data still to come) shows as no choice and stays.
    const int source = FPlot.Trigger().Settings().Source;
    SourceBox->setCurrentIndex(source < SourceBox->count() ? source : -1);
    FFilling = filling;
}

void TTriggerForm::showEvent(QShowEvent *event)
{
    SyncSources();
    FWatch->start();
    QWidget::showEvent(event);
}

void TTriggerForm::hideEvent(QHideEvent *event)
{
    FWatch->stop();
    QWidget::hideEvent(event);
}

void TTriggerForm::Refresh()
{
    FFilling = true;
    const TPlotTriggerSettings &settings = FPlot.Trigger().Settings();
    SourceBox->clear();
    SyncSources();
    EnableBox->setChecked(settings.Enabled);
    LevelEdit->setText(QString::fromStdString(FormatNumber(settings.Level, LocaleDecimalSeparator())));
    EdgeBox->setCurrentIndex(settings.Edge == TTriggerEdge::Falling ? 1 : 0);
    ModeBox->setCurrentIndex(static_cast<int>(settings.Mode));
    PositionBox->setValue(static_cast<int>(std::lround(settings.Position)));
    RearmButton->setEnabled(settings.Mode == TTriggerMode::Single);
    FFilling = false;
}

void TTriggerForm::Apply()
{
    if (FFilling)
        return;
    TPlotTriggerSettings settings = FPlot.Trigger().Settings();
    settings.Enabled = EnableBox->isChecked();
    if (SourceBox->currentIndex() >= 0)
        settings.Source = SourceBox->currentIndex();
    settings.Edge = EdgeBox->currentIndex() == 1 ? TTriggerEdge::Falling : TTriggerEdge::Rising;
    settings.Mode = static_cast<TTriggerMode>(std::max(ModeBox->currentIndex(), 0));
    settings.Position = PositionBox->value();
    RearmButton->setEnabled(settings.Mode == TTriggerMode::Single);
    Commit(settings);
}

void TTriggerForm::Commit(const TPlotTriggerSettings &settings)
{
    if (settings == FPlot.Trigger().Settings())
        return;
    FPlot.Trigger().SetSettings(settings);
    SaveTriggerSettings(FSettingsPath, settings);
    // The trigger places the view as the chart repaints: also when no data comes.
    FPlot.RequestRepaint();
}

void TTriggerForm::LevelEdited()
{
    TPlotTriggerSettings settings = FPlot.Trigger().Settings();
    std::optional<double> level = TryParseNumber(LevelEdit->text().toStdString(), LocaleDecimalSeparator());
    if (!level || !std::isfinite(*level)) {
        LevelEdit->setText(QString::fromStdString(FormatNumber(settings.Level, LocaleDecimalSeparator())));
        ShowMessageBox("电平必须是一个数", "触发", mbIconStop);
        return;
    }
    settings.Level = *level;
    Commit(settings);
}

void TTriggerForm::Rearm()
{
    FPlot.Trigger().Rearm();
    FPlot.RequestRepaint();
}
