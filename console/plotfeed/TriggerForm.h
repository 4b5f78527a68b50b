// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <QWidget>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTimer;
class TPlot;
struct TPlotTriggerSettings;

// The window "触发": the chart trigger's settings. Every change applies at once to the chart and is written to the
// settings file (a file that refuses the write keeps the change for this run). A level that is not a number is
// refused with a message and the box shows the level in force again. While shown, "触发源" follows the chart's
// channels as they appear or are renamed (it looks every WatchMilliseconds).
class TTriggerForm : public QWidget
{
public:
    static constexpr int WatchMilliseconds = 250;

    TTriggerForm(TPlot &plot, std::string settingsPath, QWidget *parent);

    // Lists the chart's channels as sources and shows the trigger's settings; called each time the window is opened.
    void Refresh();
    // Lists the chart's channels again when they changed, the source in force chosen.
    void SyncSources();

    QCheckBox *EnableBox; // "启用触发"
    QComboBox *SourceBox; // "触发源": the chart's channels by title
    QLineEdit *LevelEdit; // "电平"
    QComboBox *EdgeBox; // "边沿": "上升沿", "下降沿"
    QComboBox *ModeBox; // "模式": "自动", "正常", "单次"
    QSpinBox *PositionBox; // "触发位置", 0 to 100 %
    QPushButton *RearmButton; // "重新触发", for "单次"

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // The titles "触发源" offers for the chart's channels.
    QStringList SourceTitles() const;
    void Apply();
    void Commit(const TPlotTriggerSettings &settings);
    void LevelEdited();
    void Rearm();

    TPlot &FPlot;
    std::string FSettingsPath;
    bool FFilling = false; // the controls are being set from the settings, not by the user
    QTimer *FWatch;
};
