// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Rfc2217Codec.h"

#include "platform/SerialDevice.h"
#include "platform/SerialLineConfig.h"

#include <utility>

namespace
{

std::string Negotiation(unsigned char verb, unsigned char option)
{
    return { char(Telnet::Iac), char(verb), char(option) };
}

} // namespace

std::string Rfc2217Greeting()
{
    return Negotiation(Telnet::Will, Telnet::OptionBinary) + Negotiation(Telnet::Do, Telnet::OptionBinary)
        + Negotiation(Telnet::Will, Telnet::OptionComPort);
}

std::string Rfc2217Command(unsigned char command, std::string_view value)
{
    std::string out { char(Telnet::Iac), char(Telnet::Sb), char(Telnet::OptionComPort), char(command) };
    out += TelnetEscape(value);
    out += char(Telnet::Iac);
    out += char(Telnet::Se);
    return out;
}

std::string Rfc2217SetBaudRate(uint32_t baudRate)
{
    const char value[4] = { char(baudRate >> 24), char(baudRate >> 16), char(baudRate >> 8), char(baudRate) };
    return Rfc2217Command(ComPort::SetBaudRate, std::string_view(value, 4));
}

std::string Rfc2217SetByte(unsigned char command, unsigned char value)
{
    const char byte = char(value);
    return Rfc2217Command(command, std::string_view(&byte, 1));
}

std::string TelnetEscape(std::string_view data)
{
    std::string out;
    out.reserve(data.size() + data.size() / 64 + 8);
    for (char c : data) {
        out += c;
        if (static_cast<unsigned char>(c) == Telnet::Iac)
            out += c;
    }
    return out;
}

TRfc2217Decoder::TRfc2217Decoder()
{
    // The greeting offers binary both ways and our side of the COM-PORT-OPTION.
    FOurs[Telnet::OptionBinary] = TSide::Offered;
    FOurs[Telnet::OptionComPort] = TSide::Offered;
    FTheirs[Telnet::OptionBinary] = TSide::Offered;
}

std::size_t TRfc2217Decoder::Feed(const char *input, std::size_t size, char *out)
{
    std::size_t written = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(input[i]);
        switch (FState) {
        case TState::Data:
            if (c == Telnet::Iac)
                FState = TState::Iac;
            else
                out[written++] = char(c);
            break;
        case TState::Iac:
            if (c == Telnet::Iac) {
                out[written++] = char(c);
                FState = TState::Data;
            } else if (c == Telnet::Sb) {
                FSub.clear();
                FState = TState::Sub;
            } else if (c >= Telnet::Will) {
                FVerb = c;
                FState = TState::Option;
            } else {
                FState = TState::Data; // a two-byte command (NOP, GA, ...) carries nothing for a serial line
            }
            break;
        case TState::Option:
            Negotiate(FVerb, c);
            FState = TState::Data;
            break;
        case TState::Sub:
            if (c == Telnet::Iac) {
                FState = TState::SubIac;
            } else if (FSub.size() < Rfc2217SubLimit) {
                FSub += char(c);
            } else {
                // Too long to be ours: the subnegotiation is dropped and this byte is data again.
                FSub.clear();
                FState = TState::Data;
                out[written++] = char(c);
            }
            break;
        case TState::SubIac:
            if (c == Telnet::Se) {
                Subnegotiation();
                FState = TState::Data;
            } else if (c == Telnet::Iac && FSub.size() < Rfc2217SubLimit) {
                FSub += char(c); // a doubled IAC is a value byte
                FState = TState::Sub;
            } else {
                // A malformed or overlong subnegotiation ends here, and its IAC starts a command of its own (a doubled
                // IAC after an overlong one is a data byte): this byte is taken again in that state.
                FSub.clear();
                FState = TState::Iac;
                --i;
            }
            break;
        }
    }
    return written;
}

void TRfc2217Decoder::Reply(unsigned char verb, unsigned char option)
{
    FReplies += Negotiation(verb, option);
}

void TRfc2217Decoder::Negotiate(unsigned char verb, unsigned char option)
{
    if (option == Telnet::OptionComPort)
        FPortOption
            = verb == Telnet::Do || verb == Telnet::Will ? TPortOptionAnswer::Agreed : TPortOptionAnswer::Refused;

    // Binary both ways and the COM-PORT-OPTION on either side are taken up; every other option is refused, once.
    const bool wanted = option == Telnet::OptionBinary || option == Telnet::OptionComPort;
    const bool ours = verb == Telnet::Do || verb == Telnet::Dont;
    const bool enable = verb == Telnet::Do || verb == Telnet::Will;
    TSide &side = ours ? FOurs[option] : FTheirs[option];
    if (!wanted) {
        std::bitset<256> &refused = ours ? FOursRefused : FTheirsRefused;
        if (enable && !refused[option]) {
            refused[option] = true;
            Reply(ours ? Telnet::Wont : Telnet::Dont, option);
        }
        return;
    }
    // An answer to our own offer, or a request for the state the option is in, needs no answer.
    if (enable) {
        if (side == TSide::Off)
            Reply(ours ? Telnet::Will : Telnet::Do, option);
        side = TSide::On;
    } else {
        if (side == TSide::On)
            Reply(ours ? Telnet::Wont : Telnet::Dont, option);
        side = TSide::Off;
    }
}

void TRfc2217Decoder::Subnegotiation()
{
    if (FSub.size() < 3 || static_cast<unsigned char>(FSub[0]) != Telnet::OptionComPort)
        return;
    const unsigned char command = static_cast<unsigned char>(FSub[1]);
    const unsigned char value = static_cast<unsigned char>(FSub[2]);
    if (command == ComPort::ServerOffset + ComPort::NotifyLineState) {
        FLineState |= value;
    } else if (command == ComPort::ServerOffset + ComPort::NotifyModemState) {
        if (FModemState >= 0) {
            if ((value ^ FModemState) & ComPort::ModemCarrier)
                FModemChanges |= ComPort::ModemDeltaCarrier;
            FModemChanges |= value & ComPort::ModemRingTrailingEdge;
        }
        FModemState = value;
    }
}

std::string TRfc2217Decoder::TakeReplies()
{
    return std::exchange(FReplies, {});
}

unsigned char TRfc2217Decoder::TakeLineState()
{
    return std::exchange(FLineState, 0);
}

unsigned char TRfc2217Decoder::TakeModemChanges()
{
    return std::exchange(FModemChanges, 0);
}

TRfc2217LineSettings Rfc2217LineSettings(const TSerialLineConfig &line, uint8_t stopBits, const TModemLines &lines)
{
    using namespace ComPort;
    TRfc2217LineSettings out;
    out[0] = Rfc2217SetBaudRate(line.BaudRate);
    out[1] = Rfc2217SetByte(SetDataSize, static_cast<unsigned char>(line.DataBits));
    out[2] = Rfc2217SetByte(SetParity, static_cast<unsigned char>(line.Parity + 1));
    out[3] = Rfc2217SetByte(SetStopSize, stopBits == 1 ? 3 : stopBits == 2 ? 2 : 1);
    out[4] = Rfc2217SetByte(SetControl, line.RtsCtsFlow ? FlowHardware : line.XonXoffOut ? FlowXonXoff : FlowNone);
    out[5] = Rfc2217SetByte(SetControl,
        line.RtsCtsFlow      ? InboundFlowHardware
            : line.XonXoffIn ? InboundFlowXonXoff
                             : InboundFlowNone);
    out[6] = Rfc2217SetByte(SetControl, lines.Dtr ? DtrOn : DtrOff);
    if (lines.Rts)
        out[7] = Rfc2217SetByte(SetControl, *lines.Rts ? RtsOn : RtsOff);
    return out;
}

std::string Rfc2217LineCommands(const TSerialLineConfig &line, uint8_t stopBits, const TModemLines &lines)
{
    return Rfc2217LineChanges(nullptr, Rfc2217LineSettings(line, stopBits, lines));
}

std::string Rfc2217LineChanges(const TRfc2217LineSettings *sent, const TRfc2217LineSettings &now)
{
    std::string out;
    for (std::size_t i = 0; i < now.size(); ++i)
        if (!sent || (*sent)[i] != now[i])
            out += now[i];
    return out;
}

std::string Rfc2217NotificationMasks()
{
    using namespace ComPort;
    return Rfc2217SetByte(SetLineStateMask, LineOverrun | LineParity | LineFraming | LineBreak)
        + Rfc2217SetByte(SetModemStateMask, ModemRingTrailingEdge | ModemDeltaCarrier | ModemRing | ModemCarrier);
}

TRemoteLineEvents Rfc2217LineEvents(unsigned char lineState, unsigned char modemChanges)
{
    using namespace ComPort;
    TRemoteLineEvents result;
    if (lineState & LineOverrun)
        result.Errors |= CeOverrun;
    if (lineState & LineParity)
        result.Errors |= CeRxParity;
    if (lineState & LineFraming)
        result.Errors |= CeFrame;
    if (lineState & LineBreak)
        result.Errors |= CeBreak;
    if (result.Errors != 0)
        result.Events |= EvErr;
    if (modemChanges & ModemRingTrailingEdge)
        result.Events |= EvRing;
    if (modemChanges & ModemDeltaCarrier)
        result.Events |= EvRlsd;
    return result;
}
