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
