// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoders/SampleDecoder.h"
#include "settings/FrameSettings.h"

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTimer;

// What the binary frame window asks of the program around it. Any hook may be unset: the counters then read 0, the
// flow control counts as not XON/XOFF, and the other actions do nothing. Called on the user-interface thread only.
struct TBinaryFrameHooks {
    std::function<TDecoderCounts()> Counts; // the frame decoder's counts now
    std::function<void()> ResetCounts;
    std::function<void(const TBinaryFrameSettings &)> Apply; // put chosen settings into effect
    std::function<bool()> FlowIsXonXoff; // whether the port's flow control takes the bytes 0x11 and 0x13
    std::function<void()> SwitchFlowToNone; // set the port's flow control to "无" (kept in setfile.ini)
};

// The window "二进制帧": whether the chart reads binary frames and their shape, kept in setfile.ini through
// FrameSettings, with the decoder's counters refreshed live while the window shows. Each showing reads the settings
// file again, so a choice left without "确定" or "应用" is dropped. A header that is not hex gets a message box and
// changes nothing. What the checksum covers and the order of its bytes can be chosen only where they matter (a
// length field to leave out, a checksum of more than one byte). With XON/XOFF flow control the window warns that frames
// holding 0x11 or 0x13 break and offers to switch the flow control off.
class TBinaryFrameForm : public QWidget
{
    Q_OBJECT
public:
    // How often the counters are read while the window shows.
    static constexpr int CountsInterval = 250; // ms

    TBinaryFrameForm(std::string settingsPath, TBinaryFrameHooks hooks, QWidget *parent = nullptr);

    void SetHooks(TBinaryFrameHooks hooks) { FHooks = std::move(hooks); }

    // Fills the controls from the settings file and refreshes the counters and the flow notice.
    void FormShow();
    // The settings the controls hold; nullopt, after a message box, when the header is not hex.
    std::optional<TBinaryFrameSettings> ChosenSettings();
    // Saves the chosen settings and puts them into effect. False when the header was refused (nothing changed then).
    bool ApplyClick();
    void OkClick();
    void CancelClick();
    void ClearCountsClick();
    void SwitchFlowClick();
    void RefreshCounts();
    void RefreshFlowNotice();
    // Enables "校验范围" and "校验字节序" where the chosen frame length and checksum give them a meaning.
    void RefreshChecksumChoices();

    QCheckBox *EnabledBox;
    QLabel *HeaderLabel;
    QLineEdit *HeaderEdit;
    QLabel *ChannelsLabel;
    QSpinBox *ChannelsBox;
    QLabel *TypeLabel;
    QComboBox *TypeList; // in the order of TSampleType
    QLabel *OrderLabel;
    QComboBox *OrderList; // in the order of TByteOrder
    QLabel *LengthLabel;
    QComboBox *LengthList; // in the order of TFrameLength
    QLabel *ChecksumLabel;
    QComboBox *ChecksumList; // in the order of TChecksumKind
    QLabel *ChecksumScopeLabel;
    QComboBox *ChecksumScopeList; // in the order of TChecksumScope
    QLabel *ChecksumOrderLabel;
    QComboBox *ChecksumOrderList; // in the order of TChecksumOrder
    QLabel *GoodFramesLabel;
    QLabel *GoodFramesValue;
    QLabel *ChecksumErrorsLabel;
    QLabel *ChecksumErrorsValue;
    QLabel *LengthErrorsLabel; // frames refused for an impossible length field
    QLabel *LengthErrorsValue;
    QLabel *SkippedBytesLabel;
    QLabel *SkippedBytesValue;
    QPushButton *ClearCountsButton;
    QLabel *FlowNotice;
    QPushButton *FlowSwitchButton;
    QPushButton *OkButton;
    QPushButton *ApplyButton;
    QPushButton *CancelButton;
    QTimer *CountsTimer;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void ShowSettings(const TBinaryFrameSettings &settings);

    std::string FSettingsPath;
    TBinaryFrameHooks FHooks;
    bool FPlaced = false;
};
