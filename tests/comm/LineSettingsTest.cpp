// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommTestSupport.h"
#include "comm/SerialComm.h"
#include "tests/support/SerialSimulated.h"

#include <gtest/gtest.h>

namespace
{

using TKind = TSimulatedConfigCall::TKind;

std::vector<TKind> Kinds(const std::vector<TSimulatedConfigCall> &calls)
{
    std::vector<TKind> kinds;
    for (const TSimulatedConfigCall &call : calls)
        kinds.push_back(call.Kind);
    return kinds;
}

class LineSettings : public ::testing::Test
{
protected:
    TSerialSimulator Sim;
    TComm Comm { nullptr, Sim.Factory() };

    void SetUp() override { Comm.SetCommName("SIM"); }
    void TearDown() override
    {
        Comm.ClosePort();
        PumpFor(0ms);
    }

    // The record written by the last SetCommState.
    TDeviceControlBlock Written() const
    {
        std::vector<TSimulatedConfigCall> calls = Sim.ConfigCalls();
        for (auto call = calls.rbegin(); call != calls.rend(); ++call)
            if (call->Kind == TSimulatedConfigCall::SetCommState)
                return call->Dcb;
        ADD_FAILURE() << "no SetCommState";
        return {};
    }
};

TEST_F(LineSettings, NewComponentHasTheDefaults)
{
    EXPECT_EQ(Comm.CommName(), "SIM");
    TComm fresh;
    EXPECT_EQ(fresh.CommName(), "COM2");
    EXPECT_EQ(fresh.BaudRate(), 9600u);
    EXPECT_EQ(fresh.ByteSize(), TByteSize::_8);
    EXPECT_EQ(fresh.Parity(), TParity::None);
    EXPECT_EQ(fresh.StopBits(), TStopBits::_1);
    EXPECT_EQ(fresh.DtrControl(), TDtrControl::DtrEnable);
    EXPECT_EQ(fresh.RtsControl(), TRtsControl::RtsEnable);
    EXPECT_EQ(fresh.XonLimit(), 500);
    EXPECT_EQ(fresh.XoffLimit(), 500);
    EXPECT_EQ(fresh.XonChar(), 17);
    EXPECT_EQ(fresh.XoffChar(), 19);
    EXPECT_EQ(fresh.ReadIntervalTimeout(), 100u);
    EXPECT_EQ(fresh.WriteTotalTimeoutConstant(), 0u);
    EXPECT_FALSE(fresh.IsOpen());
    EXPECT_TRUE(fresh.SendDataEmpty());
}

struct TFlagCase {
    const char *Name;
    std::function<void(TComm &)> Setup;
    uint32_t Flags;
};

TEST_F(LineSettings, FlagWordIsRebuiltFromTheProperties)
{
    auto allOff = [](TComm &c) {
        c.SetTxContinueOnXoff(false);
        c.SetOutx_XonXoffFlow(false);
        c.SetInx_XonXoffFlow(false);
        c.SetDtrControl(TDtrControl::DtrDisable);
        c.SetRtsControl(TRtsControl::RtsDisable);
    };
    const TFlagCase cases[] = {
        { "main window values", [](TComm &) {}, 0x1391 },
        { "parity checking", [](TComm &c) { c.SetParityCheck(true); }, 0x1393 },
        { "everything off", allOff, 0x0001 },
        { "DTR handshake", [](TComm &c) { c.SetDtrControl(TDtrControl::DtrHandshake); }, 0x13A1 },
        { "DTR disabled", [](TComm &c) { c.SetDtrControl(TDtrControl::DtrDisable); }, 0x1381 },
        { "RTS disabled", [](TComm &c) { c.SetRtsControl(TRtsControl::RtsDisable); }, 0x0391 },
        { "RTS handshake", [](TComm &c) { c.SetRtsControl(TRtsControl::RtsHandshake); }, 0x2391 },
        { "RTS toggle", [](TComm &c) { c.SetRtsControl(TRtsControl::RtsTransmissionAvailable); }, 0x3391 },
        { "every boolean on",
            [](TComm &c) {
                c.SetParityCheck(true);
                c.SetOutx_CtsFlow(true);
                c.SetOutx_DsrFlow(true);
                c.SetDsrSensitivity(true);
                c.SetReplaceWhenParityError(true);
                c.SetIgnoreNullChar(true);
            },
            0x1FDF },
    };
    for (const TFlagCase &row : cases) {
        SCOPED_TRACE(row.Name);
        TSerialSimulator sim;
        TComm comm(nullptr, sim.Factory());
        row.Setup(comm);
        comm.OpenPort();
        std::vector<TSimulatedConfigCall> calls = sim.ConfigCalls();
        ASSERT_FALSE(calls.empty());
        // The device starts with abort-on-error and bit 31 set; neither survives.
        EXPECT_EQ(calls.back().Dcb.Flags, row.Flags);
        comm.ClosePort();
    }
}

TEST_F(LineSettings, OpenWritesTimeoutsThenTheWholeRecordKeepingFieldsItDoesNotSet)
{
    Sim.SetDeviceTimeouts({ 1, 2, 3, 4, 5 });
    Comm.OpenPort();
    std::vector<TSimulatedConfigCall> calls = Sim.ConfigCalls();
    EXPECT_EQ(Kinds(calls),
        (std::vector<TKind> {
            TKind::GetCommTimeouts, TKind::SetCommTimeouts, TKind::GetCommState, TKind::SetCommState }));
    EXPECT_EQ(calls[1].Timeouts, (TCommTimeouts { 100, 0, 0, 0, 0 }));

    TDeviceControlBlock dcb = Written();
    EXPECT_EQ(dcb.DCBlength, 28u);
    EXPECT_EQ(dcb.BaudRate, 9600u);
    EXPECT_EQ(dcb.XonLim, 500);
    EXPECT_EQ(dcb.XoffLim, 500);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, 0);
    EXPECT_EQ(dcb.StopBits, 0);
    EXPECT_EQ(dcb.XonChar, 17);
    EXPECT_EQ(dcb.XoffChar, 19);
    EXPECT_EQ(dcb.ErrorChar, 0);
    EXPECT_EQ(dcb.EofChar, 26);
    EXPECT_EQ(dcb.EvtChar, 10);
}

TEST_F(LineSettings, EnumerationsReachTheDeviceAsTheirDeviceValues)
{
    Comm.SetByteSize(TByteSize::_5);
    Comm.SetStopBits(TStopBits::_1_5);
    Comm.SetParity(TParity::Space);
    Comm.SetReplacedChar('?');
    Comm.SetXonLimit(0xFFFF);
    Comm.SetBaudRate(0xFFFFFFFF);
    Comm.OpenPort();
    TDeviceControlBlock dcb = Written();
    EXPECT_EQ(dcb.ByteSize, 5);
    EXPECT_EQ(dcb.StopBits, 1);
    EXPECT_EQ(dcb.Parity, 4);
    EXPECT_EQ(dcb.ErrorChar, '?');
    EXPECT_EQ(dcb.XonLim, 0xFFFF);
    EXPECT_EQ(dcb.BaudRate, 0xFFFFFFFFu);

    Comm.SetByteSize(TByteSize::_7);
    EXPECT_EQ(Written().ByteSize, 7);
    Comm.SetStopBits(TStopBits::_2);
    EXPECT_EQ(Written().StopBits, 2);
}

TEST_F(LineSettings, SettersWhileOpenFollowTheSetterRule)
{
    Comm.OpenPort();
    Sim.ClearConfigCalls();

    // Unchanged values make no device call.
    Comm.SetBaudRate(9600);
    Comm.SetDtrControl(TDtrControl::DtrEnable);
    Comm.SetReadIntervalTimeout(100);
    // Parity and CommName are only stored.
    Comm.SetParity(TParity::Even);
    Comm.SetCommName("ELSEWHERE");
    EXPECT_TRUE(Sim.ConfigCalls().empty());
    EXPECT_EQ(Sim.DeviceState().Parity, 0);
    EXPECT_EQ(Comm.Parity(), TParity::Even);
    EXPECT_EQ(Sim.LastPortName(), "SIM");

    // A changed line property re-reads and rewrites the whole record, the stored Parity included.
    Comm.SetStopBits(TStopBits::_2);
    EXPECT_EQ(Kinds(Sim.ConfigCalls()), (std::vector<TKind> { TKind::GetCommState, TKind::SetCommState }));
    EXPECT_EQ(Written().Parity, 2);
    EXPECT_EQ(Written().StopBits, 2);
    EXPECT_EQ(Written().Flags, 0x1391u);

    Sim.ClearConfigCalls();
    Comm.SetBaudRate(115200);
    EXPECT_EQ(Kinds(Sim.ConfigCalls()), (std::vector<TKind> { TKind::GetCommState, TKind::SetCommState }));
    EXPECT_EQ(Sim.DeviceState().BaudRate, 115200u);
    EXPECT_EQ(Sim.DeviceState().Parity, 2);

    // A timeout property rewrites all five timeouts, whatever the device had.
    Sim.SetDeviceTimeouts({ 7, 7, 7, 7, 7 });
    Sim.ClearConfigCalls();
    Comm.SetWriteTotalTimeoutConstant(500);
    std::vector<TSimulatedConfigCall> calls = Sim.ConfigCalls();
    EXPECT_EQ(Kinds(calls), (std::vector<TKind> { TKind::GetCommTimeouts, TKind::SetCommTimeouts }));
    EXPECT_EQ(Sim.DeviceTimeouts(), (TCommTimeouts { 100, 0, 0, 0, 500 }));

    // Closed, a setter only stores; the next open applies it and uses the new name.
    Comm.ClosePort();
    Sim.ClearConfigCalls();
    Comm.SetBaudRate(1200);
    EXPECT_TRUE(Sim.ConfigCalls().empty());
    Comm.OpenPort();
    EXPECT_EQ(Sim.LastPortName(), "ELSEWHERE");
    EXPECT_EQ(Sim.DeviceState().BaudRate, 1200u);
}

} // namespace
