// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/SerialComm.h"
#include "settings/FlowControl.h"
#include "settings/PortSettings.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// What opening the port sets on the serial component, in this order. A missing ByteSize or Parity leaves the
// component's value as it is (data bits outside 5 to 8; parity while checking is off).
struct TPortLineChanges {
    std::string CommName;
    uint32_t BaudRate = 9600;
    std::optional<TByteSize> ByteSize;
    bool ParityCheck = false;
    std::optional<TParity> Parity;
    TStopBits StopBits = TStopBits::_1;
};

TPortLineChanges MapPortSettings(const TPortSettings &settings);

// Sets the changes on the component, in the order of TPortLineChanges.
void ApplyPortChanges(TComm &comm, const TPortLineChanges &changes);

// Sets the component's flow control properties for the chosen flow control; every other property keeps its value.
// None: no X-on/X-off either way, no CTS output flow, RTS as a plain line; XonXoff: X-on/X-off both ways; RtsCts: CTS
// output flow and RTS handshaking.
void ApplyFlowControl(TComm &comm, TFlowControl flow);

// Whether received 0x11 and 0x13 bytes are taken by X-on/X-off: on an open port as it runs, on a closed one as the
// settings file at `settingsPath` will open it.
bool FlowTakesXonXoffBytes(const TComm &comm, const std::string &settingsPath);
// Sets the flow control to none: at once on an open port, and in the settings file for the next open. False when the
// settings file refused the write (the open port has no flow control all the same).
bool SwitchFlowControlToNone(TComm &comm, const std::string &settingsPath);

// The component's values as the port information panel shows them.
struct TPortInfo {
    std::string CommName = "COM1";
    uint32_t BaudRate = 9600;
    TByteSize ByteSize = TByteSize::_8;
    TParity Parity = TParity::None;
    TStopBits StopBits = TStopBits::_1;
};

TPortInfo PortInfoOf(const TComm &comm);

// The five value texts of the port information panel (Label7 to Label11): name, baud rate, data bits, parity (shown
// whether or not checking is on), stop bits.
std::array<std::string, 5> PortInfoTexts(const TPortInfo &info);

// What the port is going through beside its values.
enum class TPortCondition { Normal, WaitingForDevice, SendPaused };

// The port name's text in the port information: the name, "等待重连：<path>" while the vanished device at path is
// awaited, or "发送被设备暂停（XOFF）" while the device holds back what is sent.
std::string PortNameText(const std::string &commName, TPortCondition condition, const std::string &path);

// The serial component as the open and close buttons use it; TComm's adapter is below, tests use fakes.
class TPortAccess
{
public:
    virtual ~TPortAccess() = default;
    // Closes the port; returns quietly when it is not open. May throw.
    virtual void ClosePort() = 0;
    virtual TPortSettings ReadSettings() = 0;
    virtual void ApplyChanges(const TPortLineChanges &changes) = 0;
    // Opens the port with the current values; throws on failure.
    virtual void OpenPort() = 0;
    // After a failed OpenPort: the device's path and the reason the open gave, and what to do about a refused
    // permission, as lines for the failure box; empty when nothing is known.
    virtual std::string OpenFailureDetail() { return {}; }
};

// "打开串口": close (a failure is ignored), read the settings, set them, open, and report success or failure in a
// message box (the failure box adds the port's OpenFailureDetail below its fixed first line; values set before a
// failure stay set). Returns whether the port opened. With the component, the flow control kept in the settings file
// is set along with the line settings.
bool OpenPortFromSettings(TPortAccess &port);
bool OpenPortFromSettings(TComm &comm, const std::string &settingsPath);

// "关闭串口": close and report.
void ClosePortAndReport(TPortAccess &port);
void ClosePortAndReport(TComm &comm);

// The serial component's hang-up request (the device vanished, or a worker failed): closes the port and says so
// once. A request that finds the port closed already (the other worker's, or one queued before a close) is ignored.
// Safe inside the component's notification: the workers that posted it are not this thread.
void ClosePortOnHangup(TComm &comm);
