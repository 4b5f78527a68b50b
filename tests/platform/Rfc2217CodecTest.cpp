// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Rfc2217Codec.h"

#include "platform/SerialDevice.h"
#include "platform/SerialLineConfig.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

// What a decoder makes of input fed in the given pieces.
struct TDecoded {
    std::string Data;
    std::string Replies;
    unsigned char LineState = 0;
    unsigned char ModemChanges = 0;
};

TDecoded Decode(const std::vector<std::string> &pieces)
{
    TRfc2217Decoder decoder;
    TDecoded result;
    for (const std::string &piece : pieces) {
        std::string out(piece.size(), '\0');
        out.resize(decoder.Feed(piece.data(), piece.size(), out.data()));
        result.Data += out;
    }
    result.Replies = decoder.TakeReplies();
    result.LineState = decoder.TakeLineState();
    result.ModemChanges = decoder.TakeModemChanges();
    return result;
}

} // namespace

TEST(Rfc2217Codec, CommandsAreSubnegotiationsWithTheirValueBytesEscaped)
{
    struct TRow {
        const char *Case;
        std::string Got;
        std::string Want;
    };
    const TRow rows[] = {
        { "greeting: WILL BINARY, DO BINARY, WILL COM-PORT", Rfc2217Greeting(),
            Bytes({ 255, 251, 0, 255, 253, 0, 255, 251, 44 }) },
        { "SET-BAUDRATE 115200, most significant byte first", Rfc2217SetBaudRate(115200),
            Bytes({ 255, 250, 44, 1, 0, 1, 0xC2, 0x00, 255, 240 }) },
        { "SET-BAUDRATE with a 0xFF byte doubled", Rfc2217SetBaudRate(0x0001FFFF),
            Bytes({ 255, 250, 44, 1, 0, 1, 255, 255, 255, 255, 255, 240 }) },
        { "SET-DATASIZE 7", Rfc2217SetByte(ComPort::SetDataSize, 7), Bytes({ 255, 250, 44, 2, 7, 255, 240 }) },
        { "SET-PARITY even", Rfc2217SetByte(ComPort::SetParity, 3), Bytes({ 255, 250, 44, 3, 3, 255, 240 }) },
        { "SET-STOPSIZE 2", Rfc2217SetByte(ComPort::SetStopSize, 2), Bytes({ 255, 250, 44, 4, 2, 255, 240 }) },
        { "SET-CONTROL DTR off", Rfc2217SetByte(ComPort::SetControl, ComPort::DtrOff),
            Bytes({ 255, 250, 44, 5, 9, 255, 240 }) },
        { "SET-CONTROL break on", Rfc2217SetByte(ComPort::SetControl, ComPort::BreakOn),
            Bytes({ 255, 250, 44, 5, 5, 255, 240 }) },
        { "PURGE-DATA both", Rfc2217SetByte(ComPort::PurgeData, ComPort::PurgeBoth),
            Bytes({ 255, 250, 44, 12, 3, 255, 240 }) },
        { "data: every 0xFF doubled", TelnetEscape(Bytes({ 'a', 255, 0, 255, 255 })),
            Bytes({ 'a', 255, 255, 0, 255, 255, 255, 255 }) },
    };
    for (const TRow &row : rows)
        EXPECT_EQ(row.Got, row.Want) << row.Case;
}

TEST(Rfc2217Codec, LineSettingsBecomeCommandsInOrder)
{
    TSerialLineConfig line;
    line.BaudRate = 9600;
    line.DataBits = 7;
    line.Parity = 2; // even
    line.RtsCtsFlow = true;
    const std::string want = Rfc2217SetBaudRate(9600) + Bytes({ 255, 250, 44, 2, 7, 255, 240 })
        + Bytes({ 255, 250, 44, 3, 3, 255, 240 }) + Bytes({ 255, 250, 44, 4, 3, 255, 240 })
        + Bytes({ 255, 250, 44, 5, 3, 255, 240 }) + Bytes({ 255, 250, 44, 5, 16, 255, 240 })
        + Bytes({ 255, 250, 44, 5, 8, 255, 240 });
    // 1.5 stop bits (the record's 1) is its own value remotely; RTS is left to the handshake.
    EXPECT_EQ(Rfc2217LineCommands(line, 1, TModemLines { true, std::nullopt }), want);

    line.RtsCtsFlow = false;
    line.XonXoffOut = true;
    std::string xon = Rfc2217LineCommands(line, 0, TModemLines { false, false });
    EXPECT_NE(xon.find(Bytes({ 255, 250, 44, 5, 2, 255, 240 })), std::string::npos) << "outbound XON/XOFF";
    EXPECT_NE(xon.find(Bytes({ 255, 250, 44, 5, 14, 255, 240 })), std::string::npos) << "inbound none";
    EXPECT_NE(xon.find(Bytes({ 255, 250, 44, 4, 1, 255, 240 })), std::string::npos) << "one stop bit";
    EXPECT_NE(xon.find(Bytes({ 255, 250, 44, 5, 9, 255, 240, 255, 250, 44, 5, 12, 255, 240 })), std::string::npos)
        << "DTR then RTS off";
}

TEST(Rfc2217Codec, DecoderSeparatesDataFromCommandsInAnyPieces)
{
    const std::string lineState = Bytes({ 255, 250, 44, 106, 0x0A, 255, 240 }); // overrun + framing
    const std::string carrierOff = Bytes({ 255, 250, 44, 107, 0x3B, 255, 240 }); // first report: changes before
    const std::string carrierOn = Bytes({ 255, 250, 44, 107, 0x88, 255, 240 }); // carrier on, delta set
    struct TRow {
        const char *Case;
        std::vector<std::string> Pieces;
        std::string Data;
        std::string Replies;
        unsigned char LineState;
        unsigned char ModemChanges;
    };
    const TRow rows[] = {
        { "plain data", { "abc" }, "abc", "", 0, 0 },
        { "doubled IAC is one data byte", { Bytes({ 'x', 255, 255, 'y' }) }, Bytes({ 'x', 255, 'y' }), "", 0, 0 },
        { "doubled IAC split across reads", { Bytes({ 'x', 255 }), Bytes({ 255, 'y' }) }, Bytes({ 'x', 255, 'y' }), "",
            0, 0 },
        { "line-state notification among data", { "a" + lineState + "b" }, "ab", "", 0x0A, 0 },
        { "the first modem report raises nothing", { carrierOff }, "", "", 0, 0 },
        { "a later report: the carrier changed, split in every place",
            { carrierOff + carrierOn.substr(0, 1), carrierOn.substr(1, 2), carrierOn.substr(3, 3),
                carrierOn.substr(6) + "z" },
            "z", "", 0, 0x08 },
        { "a report with the carrier as it was raises nothing, whatever its change bits", { carrierOn, carrierOn }, "",
            "", 0, 0 },
        { "0xFF inside a notification's value is doubled: ring ended, carrier changed",
            { carrierOff, Bytes({ 255, 250, 44, 107, 255, 255, 255, 240 }) }, "", "", 0, 0x0C },
        { "agreement to our offers needs no answer", { Bytes({ 255, 253, 0, 255, 251, 0, 255, 253, 44 }) }, "", "", 0,
            0 },
        { "other options are refused", { Bytes({ 255, 251, 1, 255, 253, 3, 'k' }) }, "k",
            Bytes({ 255, 254, 1, 255, 252, 3 }), 0, 0 },
        { "refusals are not answered", { Bytes({ 255, 252, 1, 255, 254, 3 }) }, "", "", 0, 0 },
        { "two-byte commands carry nothing", { Bytes({ 'a', 255, 241, 'b', 255, 249 }) }, "ab", "", 0, 0 },
        { "server's answers to settings change nothing", { Bytes({ 255, 250, 44, 101, 0, 0, 37, 128, 255, 240 }) }, "",
            "", 0, 0 },
    };
    for (const TRow &row : rows) {
        TDecoded got = Decode(row.Pieces);
        EXPECT_EQ(got.Data, row.Data) << row.Case;
        EXPECT_EQ(got.Replies, row.Replies) << row.Case;
        EXPECT_EQ(got.LineState, row.LineState) << row.Case;
        EXPECT_EQ(got.ModemChanges, row.ModemChanges) << row.Case;
    }
}

TEST(Rfc2217Codec, NotificationsBecomeLineErrorsAndCommEvents)
{
    EXPECT_EQ(Rfc2217LineEvents(0x1E, 0), (TRemoteLineEvents { CeOverrun | CeRxParity | CeFrame | CeBreak, EvErr }));
    EXPECT_EQ(Rfc2217LineEvents(0, 0x0C), (TRemoteLineEvents { 0, EvRing | EvRlsd }));
    EXPECT_EQ(Rfc2217LineEvents(0x60, 0x03), TRemoteLineEvents {}) << "timeouts and CTS/DSR changes raise nothing";
}

namespace
{

std::string Repeat(const std::string &piece, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

} // namespace

// A server may repeat an option request as fast as it can: each gets an answer only when it changes the option's
// state, so a flood of requests never becomes a flood of answers. The answer to the COM-PORT-OPTION is kept.
TEST(Rfc2217Codec, RequestsAreAnsweredOncePerChangeOfState)
{
    std::string everyOtherOption;
    std::string refusals;
    for (int option = 1; option < 256; ++option) {
        if (option == Telnet::OptionComPort)
            continue;
        everyOtherOption += Bytes({ 255, 253, option });
        refusals += Bytes({ 255, 252, option });
    }
    struct TRow {
        const char *Case;
        std::string Input;
        std::string Replies;
        TPortOptionAnswer PortOption;
    };
    const TRow rows[] = {
        { "a refused option asked for again and again", Repeat(Bytes({ 255, 253, 3 }), 1000), Bytes({ 255, 252, 3 }),
            TPortOptionAnswer::None },
        { "a refused server option offered again and again", Repeat(Bytes({ 255, 251, 1 }), 1000),
            Bytes({ 255, 254, 1 }), TPortOptionAnswer::None },
        { "a refused option asked for and withdrawn in turn", Repeat(Bytes({ 255, 253, 3, 255, 254, 3 }), 500),
            Bytes({ 255, 252, 3 }), TPortOptionAnswer::None },
        { "every other option, each asked for twice", everyOtherOption + everyOtherOption, refusals,
            TPortOptionAnswer::None },
        { "agreement repeated", Repeat(Bytes({ 255, 253, 0, 255, 251, 0, 255, 253, 44 }), 100), "",
            TPortOptionAnswer::Agreed },
        { "binary withdrawn, asked for, asked for again, withdrawn",
            Bytes({ 255, 254, 0, 255, 253, 0, 255, 253, 0, 255, 254, 0, 255, 254, 0 }),
            Bytes({ 255, 251, 0, 255, 252, 0 }), TPortOptionAnswer::None },
        { "the server offers the port option itself", Repeat(Bytes({ 255, 251, 44 }), 10), Bytes({ 255, 253, 44 }),
            TPortOptionAnswer::Agreed },
        { "the server will not take the port option", Repeat(Bytes({ 255, 254, 44 }), 10), "",
            TPortOptionAnswer::Refused },
        { "the server will not offer it either", Bytes({ 255, 252, 44 }), "", TPortOptionAnswer::Refused },
        { "plain bytes say nothing of it", "login: ", "", TPortOptionAnswer::None },
    };
    for (const TRow &row : rows) {
        TRfc2217Decoder decoder;
        std::string out(row.Input.size(), '\0');
        decoder.Feed(row.Input.data(), row.Input.size(), out.data());
        EXPECT_EQ(decoder.TakeReplies(), row.Replies) << row.Case;
        EXPECT_EQ(decoder.PortOption(), row.PortOption) << row.Case;
    }
}

// A subnegotiation that never ends (its IAC SE lost or never sent) must not swallow the stream: past the length any
// COM-PORT-OPTION traffic needs it is dropped, and an IAC inside it that is no SE starts a command of its own.
TEST(Rfc2217Codec, UnendedSubnegotiationsEnd)
{
    const std::string open = Bytes({ 255, 250, 44 });
    const std::string framing = Bytes({ 255, 250, 44, 106, 0x08, 255, 240 });
    const std::string filler(Rfc2217SubLimit - 1, 'f'); // with the option byte: as long as a subnegotiation gets
    struct TRow {
        const char *Case;
        std::vector<std::string> Pieces;
        std::string Data;
        std::string Replies;
        unsigned char LineState;
    };
    const TRow rows[] = {
        { "bytes past the limit are data", { open + filler + "hello" }, "hello", "", 0 },
        { "the same in pieces", { open, filler.substr(0, 100), filler.substr(100) + "he", "llo" }, "hello", "", 0 },
        { "a notification after an overlong one is taken", { open + filler + "xy" + framing + "z" }, "xyz", "", 0x08 },
        { "an IAC DO inside it is a request", { open + "\x05" + Bytes({ 255, 253, 3 }) + "z" }, "z",
            Bytes({ 255, 252, 3 }), 0 },
        { "an IAC SB inside it starts the next one", { open + "\x05" + framing + "z" }, "z", "", 0x08 },
        { "a doubled IAC past the limit is a data byte", { open + filler + Bytes({ 255, 255 }) + "a" },
            Bytes({ 255, 'a' }), "", 0 },
        { "a long one within the limit is still taken",
            { open + "\x6a\x08" + std::string(Rfc2217SubLimit - 3, 'p') + Bytes({ 255, 240 }) + "k" }, "k", "", 0x08 },
    };
    for (const TRow &row : rows) {
        TDecoded got = Decode(row.Pieces);
        EXPECT_EQ(got.Data, row.Data) << row.Case;
        EXPECT_EQ(got.Replies, row.Replies) << row.Case;
        EXPECT_EQ(got.LineState, row.LineState) << row.Case;
    }
}

// Each change of the line goes out as the commands it needs, not as the whole set-up again.
TEST(Rfc2217Codec, LineChangesSendOnlyWhatChanged)
{
    using namespace ComPort;
    TSerialLineConfig line;
    const TModemLines lines { true, true };
    const TRfc2217LineSettings sent = Rfc2217LineSettings(line, 0, lines);
    TSerialLineConfig faster = line;
    faster.BaudRate = 115200;
    TSerialLineConfig hardware = line;
    hardware.RtsCtsFlow = true;
    struct TRow {
        const char *Case;
        TRfc2217LineSettings Now;
        std::string Want;
    };
    const TRow rows[] = {
        { "nothing changed", Rfc2217LineSettings(line, 0, lines), "" },
        { "DTR dropped", Rfc2217LineSettings(line, 0, { false, true }), Rfc2217SetByte(SetControl, DtrOff) },
        { "RTS dropped", Rfc2217LineSettings(line, 0, { true, false }), Rfc2217SetByte(SetControl, RtsOff) },
        { "speed", Rfc2217LineSettings(faster, 0, lines), Rfc2217SetBaudRate(115200) },
        { "RTS/CTS handshake: both flows, RTS left to it", Rfc2217LineSettings(hardware, 0, { true, std::nullopt }),
            Rfc2217SetByte(SetControl, FlowHardware) + Rfc2217SetByte(SetControl, InboundFlowHardware) },
    };
    for (const TRow &row : rows)
        EXPECT_EQ(Rfc2217LineChanges(&sent, row.Now), row.Want) << row.Case;
    EXPECT_EQ(Rfc2217LineChanges(nullptr, sent), Rfc2217LineCommands(line, 0, lines)) << "the first time: all";
}
