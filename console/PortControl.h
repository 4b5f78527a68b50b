#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// The six port values kept in setfile.ini, as read (with their defaults when missing or unreadable).
struct TPortFileSettings {
    std::string CommName = "COM1";
    int32_t BaudRate = 9600;
    int32_t ByteSize = 8;
    std::string Parity = "none";
    bool ParityCheck = false;
    double StopBits = 1;
};

// The serial component's line values that the port control sets and shows.
enum class TPortParity : uint8_t { None, Odd, Even, Mark, Space };
enum class TPortStopBits : uint8_t { _1, _1_5, _2 };
enum class TPortByteSize : uint8_t { _5, _6, _7, _8 };

// What opening the port sets on the serial component, in this order. A missing ByteSize or Parity leaves the
// component's value as it is.
struct TPortLineChanges {
    std::string CommName;
    uint32_t BaudRate = 9600;
    std::optional<TPortByteSize> ByteSize; // only for 5 to 8 data bits
    bool ParityCheck = false;
    std::optional<TPortParity> Parity; // only with parity checking on
    TPortStopBits StopBits = TPortStopBits::_1;
};

TPortLineChanges MapPortSettings(const TPortFileSettings &settings);

// The component's current values, as the port information panel shows them.
struct TPortInfo {
    std::string CommName = "COM1";
    uint32_t BaudRate = 9600;
    TPortByteSize ByteSize = TPortByteSize::_8;
    TPortParity Parity = TPortParity::None;
    TPortStopBits StopBits = TPortStopBits::_1;
};

// The five value texts of the port information panel: name, baud rate, data bits, parity, stop bits.
std::array<std::string, 5> PortInfoTexts(const TPortInfo &info);

// The serial component as the open and close buttons use it.
class TPortAccess
{
public:
    virtual ~TPortAccess() = default;
    // Closes the port; returns quietly when it is not open. May throw.
    virtual void ClosePort() = 0;
    // Reads the six values from the settings file.
    virtual TPortFileSettings ReadSettings() = 0;
    virtual void ApplyChanges(const TPortLineChanges &changes) = 0;
    // Opens the port with the current values; throws on failure.
    virtual void OpenPort() = 0;
};

// "打开串口": close, read the settings, set them, open, and report success or failure (the reason is not shown).
// Returns whether the port opened.
bool OpenPortFromSettings(TPortAccess &port);

// "关闭串口": close and report.
void ClosePortAndReport(TPortAccess &port);
