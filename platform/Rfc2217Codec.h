// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The byte level of a serial port reached over telnet with the COM-PORT-OPTION (a serial server): what the client
// sends to set the remote line, and the decoding of what the server sends back into data bytes and notifications.
// Toolkit-free and without sockets, so that every byte sequence can be checked on its own.
namespace Telnet
{
constexpr unsigned char Iac = 255, Dont = 254, Do = 253, Wont = 252, Will = 251, Sb = 250, Se = 240;
constexpr unsigned char OptionBinary = 0, OptionComPort = 44;
} // namespace Telnet

namespace ComPort
{
// Client commands; the server answers and notifies with the same code plus ServerOffset.
constexpr unsigned char SetBaudRate = 1, SetDataSize = 2, SetParity = 3, SetStopSize = 4, SetControl = 5,
                        NotifyLineState = 6, NotifyModemState = 7, SetLineStateMask = 10, SetModemStateMask = 11,
                        PurgeData = 12;
constexpr unsigned char ServerOffset = 100;

// Values of SetControl.
constexpr unsigned char FlowNone = 1, FlowXonXoff = 2, FlowHardware = 3, BreakOn = 5, BreakOff = 6, DtrOn = 8,
                        DtrOff = 9, RtsOn = 11, RtsOff = 12, InboundFlowNone = 14, InboundFlowXonXoff = 15,
                        InboundFlowHardware = 16;

// Bits of a line-state notification.
constexpr unsigned char LineOverrun = 0x02, LineParity = 0x04, LineFraming = 0x08, LineBreak = 0x10;
// Bits of a modem-state notification.
constexpr unsigned char ModemDeltaCts = 0x01, ModemDeltaDsr = 0x02, ModemRingTrailingEdge = 0x04,
                        ModemDeltaCarrier = 0x08, ModemRing = 0x40, ModemCarrier = 0x80;

// Values of PurgeData.
constexpr unsigned char PurgeReceive = 1, PurgeTransmit = 2, PurgeBoth = 3;
} // namespace ComPort

// What the client offers when the connection opens: binary both ways and the COM-PORT-OPTION.
std::string Rfc2217Greeting();

// One COM-PORT-OPTION command as a subnegotiation, its value bytes IAC-doubled.
std::string Rfc2217Command(unsigned char command, std::string_view value);
std::string Rfc2217SetBaudRate(uint32_t baudRate); // four bytes, most significant first
std::string Rfc2217SetByte(unsigned char command, unsigned char value);

// Data bytes as they travel inside the telnet stream: every 0xFF doubled.
std::string TelnetEscape(std::string_view data);

// Whether the server has taken up the COM-PORT-OPTION: not said yet, agreed (DO or WILL), or refused (DONT or WONT).
enum class TPortOptionAnswer { None, Agreed, Refused };

// Subnegotiations longer than this are no COM-PORT-OPTION traffic: one that reaches it without its end is dropped,
// and the bytes after it are data and commands again, so that a lost IAC SE cannot swallow the rest of the stream.
inline constexpr std::size_t Rfc2217SubLimit = 256;

// Decodes what a server sends. Bytes may arrive in any pieces: a command or subnegotiation split across reads is
// carried over. Data bytes are written to the caller's buffer, never more than the bytes fed; negotiation answers
// are collected for the caller to send, notifications are accumulated until taken.
//
// Option requests are answered only when they change an option's state (a request for a state the option is in
// already, or a repeated request for an option that is refused, gets no answer), so that a server repeating a
// request, however fast, gets at most one answer per option and side.
class TRfc2217Decoder
{
public:
    TRfc2217Decoder();

    // Decodes `size` bytes of input into `out` (room for at least `size` bytes); returns the number of data bytes.
    std::size_t Feed(const char *input, std::size_t size, char *out);

    // Bytes to send back (answers to the server's option requests), and forgets them.
    std::string TakeReplies();
    // Line-state bits (ComPort::Line...) reported since the last call, and forgets them.
    unsigned char TakeLineState();
    // The modem-line events reported since the last call, as ComPort::ModemDeltaCarrier (the carrier line is not as it
    // was) and ComPort::ModemRingTrailingEdge (a ring ended). The server's first report only tells how the lines are:
    // servers send it when the connection opens (and again when the mask is set), with change bits that describe the
    // time before, so it raises nothing.
    unsigned char TakeModemChanges();
    // The server's last word on the COM-PORT-OPTION.
    TPortOptionAnswer PortOption() const { return FPortOption; }

private:
    enum class TState { Data, Iac, Option, Sub, SubIac };
    // One side of an option: off, offered by us and not yet answered, or on.
    enum class TSide : unsigned char { Off, Offered, On };
    void Negotiate(unsigned char verb, unsigned char option);
    void Subnegotiation();
    void Reply(unsigned char verb, unsigned char option);

    TState FState = TState::Data;
    unsigned char FVerb = 0;
    std::string FSub;
    std::string FReplies;
    unsigned char FLineState = 0;
    unsigned char FModemChanges = 0;
    int FModemState = -1; // the last reported modem state; none yet
    TPortOptionAnswer FPortOption = TPortOptionAnswer::None;
    std::array<TSide, 256> FOurs {}; // what we do (the server's DO and DONT)
    std::array<TSide, 256> FTheirs {}; // what the server does (its WILL and WONT)
    std::bitset<256> FOursRefused, FTheirsRefused; // refusals already sent for options we never take up
};

struct TSerialLineConfig;
struct TModemLines;

// The commands that set a remote line to `line`, one per setting in a fixed order: speed, data bits, parity, stop
// bits, outbound flow control, inbound flow control, DTR, RTS (empty while RTS handshaking drives the line). stopBits
// is the device control block's field (0 one, 1 one and a half, 2 two).
using TRfc2217LineSettings = std::array<std::string, 8>;
TRfc2217LineSettings Rfc2217LineSettings(const TSerialLineConfig &line, uint8_t stopBits, const TModemLines &lines);
// Every command of Rfc2217LineSettings, in order.
std::string Rfc2217LineCommands(const TSerialLineConfig &line, uint8_t stopBits, const TModemLines &lines);
// The commands of `now` that differ from `sent` (all of them when nothing was sent yet), in order: a change of one
// line or setting sends that one command.
std::string Rfc2217LineChanges(const TRfc2217LineSettings *sent, const TRfc2217LineSettings &now);

// The notification masks asked for when the connection opens: line errors and break, ring and carrier changes.
std::string Rfc2217NotificationMasks();

// What a server's notifications mean to the device interface: line error flags (CeOverrun, ...) and comm events
// (EvErr, EvRing, EvRlsd).
struct TRemoteLineEvents {
    uint32_t Errors = 0;
    uint32_t Events = 0;
    bool operator==(const TRemoteLineEvents &) const = default;
};
TRemoteLineEvents Rfc2217LineEvents(unsigned char lineState, unsigned char modemChanges);
