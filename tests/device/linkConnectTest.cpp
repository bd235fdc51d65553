// Opening, probing, scanning and closing, against the recording double: the
// order of the library calls and the clean-up after each failing step.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ZuvCommunication.h"
#include "linkCallsDouble.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace zuv::test {
namespace {

constexpr ZuvErrorCode kInjected = ZUV_READ_ERROR;  // a code the class never makes up

std::vector<std::string> serialCreates(const LinkCallsDouble &d) {
    return d.callsNamed("serialCreate");
}

class LinkConnect : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_THAT(d.misuse(), IsEmpty()); }

    LinkCallsDouble d;
    CZuvCommunication link{d.calls()};
};

TEST_F(LinkConnect, SerialConnectOpensQueriesAndRegistersTheCallback) {
    d.addPort("/dev/ttyACM0", {115200});
    ASSERT_EQ(link.Connect("/dev/ttyACM0", 115200u, false), ZUV_NO_ERROR);
    EXPECT_THAT(d.log(), ElementsAre("serialCreate /dev/ttyACM0 115200", "init", "getInfo", "setCallback"));
    EXPECT_EQ(link.GetConnectionKind(), 1);
    EXPECT_EQ(d.registeredCallback(), &CZuvCommunication::_onLogReceived);
    EXPECT_EQ(d.registeredUserArg(), nullptr);

    d.clearLog();
    EXPECT_EQ(link.Disconnect(), ZUV_NO_ERROR);
    EXPECT_THAT(d.log(), ElementsAre("close", "serialDestroy"));
    EXPECT_EQ(link.GetConnectionKind(), 0);

    d.clearLog();
    EXPECT_EQ(link.Disconnect(), ZUV_NO_ERROR);
    EXPECT_THAT(d.log(), IsEmpty());
    EXPECT_EQ(d.openInterfaces(), 0);
    EXPECT_EQ(d.openHandles(), 0);
}

TEST_F(LinkConnect, SkipQueryLeavesOutThePresenceCheck) {
    d.addPort("/dev/ttyACM0");  // nothing answers: only the query would notice
    ASSERT_EQ(link.Connect("/dev/ttyACM0", 9600u, true), ZUV_NO_ERROR);
    EXPECT_THAT(d.log(), ElementsAre("serialCreate /dev/ttyACM0 9600", "init", "setCallback"));
}

struct FailingStep {
    const char *call;
    std::vector<std::string> expected;
};

void PrintTo(const FailingStep &step, std::ostream *os) {
    *os << step.call << " fails";
}

class SerialConnectFailure : public ::testing::TestWithParam<FailingStep> {};

TEST_P(SerialConnectFailure, ReturnsTheCodeAndClosesWhatWasOpened) {
    LinkCallsDouble d;
    d.addPort("/dev/ttyACM0", {115200});
    d.failCall(GetParam().call, kInjected);
    CZuvCommunication link(d.calls());
    EXPECT_EQ(link.Connect("/dev/ttyACM0", 115200u, false), kInjected);
    EXPECT_EQ(d.log(), GetParam().expected);
    EXPECT_EQ(link.GetConnectionKind(), 0);
    EXPECT_EQ(d.openInterfaces(), 0);
    EXPECT_EQ(d.openHandles(), 0);
    EXPECT_THAT(d.misuse(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, SerialConnectFailure,
    ::testing::Values(
        FailingStep{"serialCreate", {"serialCreate /dev/ttyACM0 115200"}},
        FailingStep{"init", {"serialCreate /dev/ttyACM0 115200", "init", "close", "serialDestroy"}},
        FailingStep{"getInfo", {"serialCreate /dev/ttyACM0 115200", "init", "getInfo", "close", "serialDestroy"}},
        FailingStep{"setCallback",
                    {"serialCreate /dev/ttyACM0 115200", "init", "getInfo", "setCallback", "close", "serialDestroy"}}),
    [](const auto &param) { return std::string(param.param.call); });

class UdpConnectFailure : public ::testing::TestWithParam<FailingStep> {};

TEST_P(UdpConnectFailure, ReturnsTheCodeAndClosesWhatWasOpened) {
    LinkCallsDouble d;
    d.failCall(GetParam().call, kInjected);
    CZuvCommunication link(d.calls());
    EXPECT_EQ(link.Connect("127.0.0.1", 5000u, 6000u), kInjected);
    EXPECT_EQ(d.log(), GetParam().expected);
    EXPECT_EQ(link.GetConnectionKind(), 0);
    EXPECT_EQ(d.openInterfaces(), 0);
    EXPECT_THAT(d.misuse(), IsEmpty());
}

// 127.0.0.1 with the first octet in the least significant byte.
const std::string kLoopbackCreate = "udpCreate " + std::to_string(0x0100007Fu) + " 5000 6000";

INSTANTIATE_TEST_SUITE_P(
    EachStep, UdpConnectFailure,
    ::testing::Values(FailingStep{"udpCreate", {kLoopbackCreate}},
                      FailingStep{"init", {kLoopbackCreate, "init", "close", "udpDestroy"}},
                      FailingStep{"setCallback", {kLoopbackCreate, "init", "setCallback", "close", "udpDestroy"}}),
    [](const auto &param) { return std::string(param.param.call); });

TEST_F(LinkConnect, UdpConnectHasNoPresenceCheck) {
    ASSERT_EQ(link.Connect("127.0.0.1", 5000u, 6000u), ZUV_NO_ERROR);
    EXPECT_THAT(d.log(), ElementsAre(kLoopbackCreate, "init", "setCallback"));
    EXPECT_EQ(link.GetConnectionKind(), 2);
}

TEST_F(LinkConnect, UdpAddressThatIsNotAnAddressOpensNothing) {
    for (const char *text : {"", "localhost", "127.0.0", "127.000.0.1", "256.0.0.1", "127.0.0.1 "}) {
        EXPECT_EQ(link.Connect(text, 5000u, 6000u), ZUV_INVALID_PARAMETER) << '"' << text << '"';
    }
    EXPECT_THAT(d.log(), IsEmpty());
}

TEST_F(LinkConnect, ReconnectingClosesTheSerialLinkBeforeOpeningUdp) {
    d.addPort("/dev/ttyACM0", {115200});
    ASSERT_EQ(link.Connect("/dev/ttyACM0", 115200u, false), ZUV_NO_ERROR);
    d.clearLog();
    ASSERT_EQ(link.Connect("127.0.0.1", 5000u, 6000u), ZUV_NO_ERROR);
    EXPECT_THAT(d.log(), ElementsAre("close", "serialDestroy", kLoopbackCreate, "init", "setCallback"));
    EXPECT_EQ(link.GetConnectionKind(), 2);
    d.clearLog();
    EXPECT_EQ(link.Disconnect(), ZUV_NO_ERROR);
    EXPECT_THAT(d.log(), ElementsAre("close", "udpDestroy"));
}

TEST_F(LinkConnect, DisconnectReturnsTheDestroyResult) {
    d.addPort("/dev/ttyACM0", {115200});
    ASSERT_EQ(link.Connect("/dev/ttyACM0", 115200u, false), ZUV_NO_ERROR);
    d.failCall("close", ZUV_ERROR);  // ignored
    d.failCall("serialDestroy", kInjected);
    EXPECT_EQ(link.Disconnect(), kInjected);
    EXPECT_EQ(link.GetConnectionKind(), 0);
}

TEST(LinkLifetime, DestructorClosesTheOpenLink) {
    LinkCallsDouble d;
    {
        CZuvCommunication link(d.calls());
        ASSERT_EQ(link.Connect("127.0.0.1", 5000u, 6000u), ZUV_NO_ERROR);
        d.clearLog();
    }
    EXPECT_THAT(d.log(), ElementsAre("close", "udpDestroy"));
    EXPECT_EQ(d.openInterfaces(), 0);
}

TEST(LinkLifetime, HandleAddressIsStableWithoutALink) {
    LinkCallsDouble d;
    CZuvCommunication link(d.calls());
    ZuvEComProtocol *protocol = link.GetHandle();
    ASSERT_NE(protocol, nullptr);
    ASSERT_EQ(link.Connect("127.0.0.1", 5000u, 6000u), ZUV_NO_ERROR);
    EXPECT_EQ(link.GetHandle(), protocol);
}

// ---- Building blocks.

TEST_F(LinkConnect, CreateSerialInterfaceLeavesTheProbeOpenAndTheKindAlone) {
    d.addPort("/dev/ttyACM0", {115200});
    ASSERT_EQ(link.CreateSerialInterface("/dev/ttyACM0", 115200u, false), ZUV_NO_ERROR);
    EXPECT_THAT(d.log(), ElementsAre("serialCreate /dev/ttyACM0 115200", "init", "getInfo"));
    EXPECT_EQ(link.GetConnectionKind(), 0);
    EXPECT_EQ(d.openInterfaces(), 1);
    EXPECT_EQ(link.InitReceiveLogCallback(), ZUV_NO_ERROR);
    // The caller owns the probe: close it the way a failed callback would.
    d.failCall("setCallback", kInjected);
    EXPECT_EQ(link.InitReceiveLogCallback(), kInjected);
    EXPECT_EQ(d.log().back(), "close");
    EXPECT_EQ(d.openHandles(), 0);
    EXPECT_EQ(d.openInterfaces(), 1);  // left to the caller
    d.failCall("init", kInjected);
    d.clearLog();
    EXPECT_EQ(link.InitECom(), kInjected);
    EXPECT_THAT(d.log(), ElementsAre("init", "close"));
}

TEST_F(LinkConnect, CreateSerialInterfaceCleansUpAFailedQuery) {
    d.addPort("/dev/ttyACM0", {9600});
    EXPECT_EQ(link.CreateSerialInterface("/dev/ttyACM0", 115200u, false), ZUV_TIME_OUT);
    EXPECT_THAT(d.log(), ElementsAre("serialCreate /dev/ttyACM0 115200", "init", "getInfo", "close", "serialDestroy"));
    EXPECT_EQ(d.openInterfaces(), 0);
}

// ---- Probing one device at the eight rates.

TEST_F(LinkConnect, TestHandleTriesSevenRatesBeforeADeviceAt9600) {
    d.addPort("/dev/ttyUSB7", {9600});
    std::string device = "/dev/ttyUSB7";
    EXPECT_EQ(link.TestHandle(device, false), 9600u);
    EXPECT_THAT(serialCreates(d), ElementsAre("serialCreate /dev/ttyUSB7 921600", "serialCreate /dev/ttyUSB7 460800",
                                              "serialCreate /dev/ttyUSB7 230400", "serialCreate /dev/ttyUSB7 115200",
                                              "serialCreate /dev/ttyUSB7 38400", "serialCreate /dev/ttyUSB7 38400",
                                              "serialCreate /dev/ttyUSB7 19200", "serialCreate /dev/ttyUSB7 9600"));
    EXPECT_EQ(d.callsNamed("serialDestroy").size(), 7u);
    EXPECT_EQ(d.callsNamed("getInfo").size(), 8u);
    // The rate found is left open, without callback, for the caller to finish.
    EXPECT_EQ(d.openInterfaces(), 1);
    EXPECT_EQ(d.openHandles(), 1);
    EXPECT_THAT(d.callsNamed("setCallback"), IsEmpty());
    EXPECT_EQ(link.GetConnectionKind(), 0);
}

TEST_F(LinkConnect, TestHandleCleansUpEveryFailedRateAndReturnsZero) {
    d.addPort("/dev/ttyUSB0");
    d.failCall("init", kInjected, 2);  // the second rate fails at init instead of the query
    std::string device = "/dev/ttyUSB0";
    EXPECT_EQ(link.TestHandle(device, false), 0u);
    EXPECT_EQ(d.callsNamed("serialCreate").size(), 8u);
    EXPECT_EQ(d.callsNamed("getInfo").size(), 7u);
    EXPECT_EQ(d.callsNamed("close").size(), 8u);
    EXPECT_EQ(d.callsNamed("serialDestroy").size(), 8u);
    EXPECT_EQ(d.openInterfaces(), 0);
    EXPECT_EQ(d.openHandles(), 0);
}

TEST_F(LinkConnect, TestHandleWithSkipQueryTakesTheFirstRateThatOpens) {
    d.addPort("/dev/ttyUSB0");
    d.failCall("serialCreate", kInjected, 1);
    std::string device = "/dev/ttyUSB0";
    EXPECT_EQ(link.TestHandle(device, true), 460800u);
    EXPECT_THAT(d.log(), ElementsAre("serialCreate /dev/ttyUSB0 921600", "serialCreate /dev/ttyUSB0 460800", "init"));
}

// ---- Auto-detection.

TEST_F(LinkConnect, EmptyPathScansFromTheFirstName) {
    d.addPort("/dev/ttyUSB2", {921600});
    std::string device;
    uint32_t baudRate = 0;
    ASSERT_EQ(link.AutoConnect(device, baudRate, false), ZUV_NO_ERROR);
    EXPECT_EQ(device, "/dev/ttyUSB2");
    EXPECT_EQ(baudRate, 921600u);
    EXPECT_EQ(link.GetConnectionKind(), 1);
    const auto creates = serialCreates(d);
    ASSERT_EQ(creates.size(), 17u);  // eight rates at 0, eight at 1, the first at 2
    EXPECT_EQ(creates.front(), "serialCreate /dev/ttyUSB0 921600");
    // The scan path makes no query after registering the callback.
    EXPECT_EQ(d.log().back(), "setCallback");
    EXPECT_EQ(d.openInterfaces(), 1);
}

TEST_F(LinkConnect, GivenPathInTheFamilyIsTriedFirstWithoutScanning) {
    d.addPort("/dev/ttyUSB0", {115200});  // would win a scan
    d.addPort("/dev/ttyUSB3", {115200});
    std::string device = "/dev/ttyUSB3";
    uint32_t baudRate = 0;
    ASSERT_EQ(link.AutoConnect(device, baudRate, false), ZUV_NO_ERROR);
    EXPECT_EQ(device, "/dev/ttyUSB3");
    EXPECT_EQ(baudRate, 115200u);
    EXPECT_EQ(link.GetConnectionKind(), 1);
    for (const std::string &create : serialCreates(d)) {
        EXPECT_EQ(create.rfind("serialCreate /dev/ttyUSB3 ", 0), 0u) << create;
    }
    // This path asks the device once more after registering the callback.
    EXPECT_THAT(std::vector<std::string>(d.log().end() - 3, d.log().end()),
                ElementsAre("getInfo", "setCallback", "getInfo"));
}

TEST_F(LinkConnect, GivenPathWhoseFinalQueryFailsStaysConnected) {
    d.addPort("/dev/ttyUSB3", {115200});
    d.failCall("getInfo", kInjected, 5);  // four probes up to 115200, then the final query
    std::string device = "/dev/ttyUSB3";
    uint32_t baudRate = 0;
    EXPECT_EQ(link.AutoConnect(device, baudRate, false), kInjected);
    EXPECT_EQ(link.GetConnectionKind(), 1);
    EXPECT_EQ(baudRate, 115200u);
    EXPECT_EQ(d.openInterfaces(), 1);
}

TEST_F(LinkConnect, GivenPathOutsideTheFamilyIsNotTried) {
    d.addPort("/dev/ttyS0", {115200});
    d.addPort("/dev/ttyUSB1", {230400});
    std::string device = "/dev/ttyS0";
    uint32_t baudRate = 0;
    ASSERT_EQ(link.AutoConnect(device, baudRate, false), ZUV_NO_ERROR);
    EXPECT_EQ(device, "/dev/ttyUSB1");
    EXPECT_EQ(baudRate, 230400u);
    const auto creates = serialCreates(d);
    EXPECT_EQ(creates.front(), "serialCreate /dev/ttyUSB0 921600");
    for (const std::string &create : creates) {
        EXPECT_EQ(create.find("ttyS0"), std::string::npos);
    }
}

TEST_F(LinkConnect, GivenPathWhoseCallbackFailsFallsBackToTheScan) {
    d.addPort("/dev/ttyUSB3", {115200});
    d.failCall("setCallback", kInjected, 1);
    std::string device = "/dev/ttyUSB3";
    uint32_t baudRate = 0;
    ASSERT_EQ(link.AutoConnect(device, baudRate, false), ZUV_NO_ERROR);
    // The scan starts again at 0 and finds the same port.
    EXPECT_EQ(device, "/dev/ttyUSB3");
    EXPECT_EQ(link.GetConnectionKind(), 1);
    const auto creates = serialCreates(d);
    EXPECT_EQ(creates[4], "serialCreate /dev/ttyUSB0 921600");
    EXPECT_EQ(d.openInterfaces(), 1);
    EXPECT_EQ(d.openHandles(), 1);
}

TEST_F(LinkConnect, ScanWhoseCallbackFailsKeepsTheNameFoundAndClosesIt) {
    d.addPort("/dev/ttyUSB1", {19200});
    d.failCall("setCallback", kInjected);
    std::string device;
    uint32_t baudRate = 0;
    EXPECT_EQ(link.AutoConnect(device, baudRate, false), kInjected);
    EXPECT_EQ(device, "/dev/ttyUSB1");
    EXPECT_EQ(baudRate, 19200u);
    EXPECT_EQ(link.GetConnectionKind(), 0);
    EXPECT_EQ(d.openInterfaces(), 0);
    EXPECT_EQ(d.openHandles(), 0);
    EXPECT_THAT(std::vector<std::string>(d.log().end() - 3, d.log().end()),
                ElementsAre("setCallback", "close", "serialDestroy"));
}

TEST_F(LinkConnect, NoDeviceAnywhereScansAll256NamesAndReturnsNotFound) {
    d.addPort("/dev/ttyUSB0");  // a port with nothing behind it
    d.addPort("/dev/ttyUSB200");
    ASSERT_EQ(link.Connect("127.0.0.1", 5000u, 6000u), ZUV_NO_ERROR);
    std::string device = "/dev/ttyUSB9";
    uint32_t baudRate = 1;
    EXPECT_EQ(link.AutoConnect(device, baudRate, false), ZUV_DEVICE_NOT_FOUND);
    EXPECT_EQ(device, "/dev/ttyUSB255");
    EXPECT_EQ(baudRate, 0u);
    EXPECT_EQ(link.GetConnectionKind(), 0);
    EXPECT_EQ(serialCreates(d).size(), (1u + 256u) * 8u);
    EXPECT_EQ(serialCreates(d).back(), "serialCreate /dev/ttyUSB255 9600");
    EXPECT_EQ(d.openInterfaces(), 0);
    EXPECT_EQ(d.openHandles(), 0);
    // The UDP link that was open went first.
    EXPECT_EQ(d.log()[3], "close");
    EXPECT_EQ(d.log()[4], "udpDestroy");
}

TEST_F(LinkConnect, AuxiliaryOperationsFindNothingAndCallNothing) {
    std::string device = "/dev/ttyUSB0";
    uint32_t baudRate = 115200;
    EXPECT_EQ(link.AutoConnectAux(device, baudRate), ZUV_DEVICE_NOT_FOUND);
    EXPECT_EQ(device, "");
    EXPECT_EQ(baudRate, 0u);
    device = "";
    EXPECT_EQ(link.AutoConnectAux(device, baudRate), ZUV_DEVICE_NOT_FOUND);
    EXPECT_EQ(device, "");
    EXPECT_EQ(link.ConnectAux("/dev/ttyUSB1", 9600u), ZUV_DEVICE_NOT_FOUND);
    EXPECT_EQ(link.TestAuxHandle(device), 0u);
    EXPECT_EQ(link.DisconnectAux(), ZUV_DEVICE_NOT_FOUND);
    EXPECT_EQ(link.GetAuxInterface(), nullptr);
    EXPECT_EQ(link.ReadAuxFrames(), ZUV_DEVICE_NOT_FOUND);
    EXPECT_THAT(link.PopNMEASentences(), IsEmpty());
    EXPECT_THAT(d.log(), IsEmpty());
}

}  // namespace
}  // namespace zuv::test
