// The reader as the host sees it: pins, properties and actions for each
// interface, and starts that fail before any device traffic.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "readerHarness.h"
#include "routedLinkCalls.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using zuv::host::EndState;
using zuv::host::PropertyValue;

namespace zuv::test {
namespace {

const std::vector<std::string> kRateNames = {
    "pStatus",  "pUtcTime",        "pImuData",       "pMag",     "pMagCalib", "pEkfEuler", "pEkfQuat",
    "pEkfNav",  "pGps1Vel",        "pGps1Pos",       "pGps1Hdt", "pGps1Raw",  "pGps2Vel",  "pGps2Pos",
    "pGps2Hdt", "pGps2Raw",        "pOdoVel",        "pEventA",  "pEventB",   "pEventC",   "pEventD",
    "pEventE",  "pDvlBottomTrack", "pDvlWaterTrack", "pAirData", "pUsbl"};

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string> &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(ReaderDefinition, SerialHasThePortTheRateAndTheAuxiliaryProperties) {
    ReaderRun run;
    EXPECT_THAT(
        PropertyNames(run.reader()),
        ElementsAreArray(
            concat(concat({"pAlive", "pInterface", "pComPort", "pBaudRate", "pAuxComPort", "pAuxBaudRate"}, kRateNames),
                   {"pReconnect", "pLinkStatistics"})));
    EXPECT_THAT(OutputNames(run.reader()), ElementsAre("oData"));
    EXPECT_THAT(run.reader().Actions(), ElementsAre("aLifeChecking", "aAutoDetection", "aAutoAuxDetection"));
    EXPECT_TRUE(run.reader().Inputs().empty());

    const PropertyValue interfaceValue = run.reader().GetProperty("pInterface");
    EXPECT_THAT(interfaceValue.choices, ElementsAre("Serial", "UDP"));
    EXPECT_EQ(interfaceValue.SelectedText(), "Serial");
    EXPECT_EQ(run.reader().GetProperty("pComPort").text, "/dev/ttyUSB0");
    EXPECT_EQ(run.reader().GetProperty("pBaudRate").integer, 115200);
    for (const auto &property : run.reader().Properties()) {
        EXPECT_EQ(property.flags, property.name == "pAlive" ? 0x1000100u : 0x1000000u) << property.name;
    }
    const PropertyValue rate = run.reader().GetProperty("pGps2Raw");
    EXPECT_THAT(rate.choices, ElementsAre("Disabled", "200 Hz", "100 Hz", "50 Hz", "25 Hz", "20 Hz", "10 Hz", "5 Hz",
                                          "1 Hz", "On PPS", "On New Data", "On Sync A Event", "On Sync B Event",
                                          "On Sync C Event", "On Sync D Event"));
    EXPECT_EQ(rate.selected, 0);
    EXPECT_TRUE(run.reader().GetProperty("pReconnect").boolean);
    EXPECT_FALSE(run.reader().GetProperty("pLinkStatistics").boolean);
}

TEST(ReaderDefinition, LinkStatisticsAddTheirOutput) {
    ReaderRun run;
    run.set("pLinkStatistics", "true");
    ASSERT_THAT(OutputNames(run.reader()), ElementsAre("oData", "oLinkStatistics"));
    const auto outputs = run.reader().Outputs();
    EXPECT_EQ(outputs[1].type, zuv::host::ElementType::Integer64);
    EXPECT_EQ(outputs[1].maxSize, 9);
    EXPECT_EQ(outputs[1].fifo, 16);
    run.set("pLinkStatistics", "false");
    EXPECT_THAT(OutputNames(run.reader()), ElementsAre("oData"));
}

TEST(ReaderDefinition, UdpHasTheAddressAndPortsAndNoRate) {
    ReaderRun run;
    run.set("pInterface", "UDP");
    EXPECT_THAT(PropertyNames(run.reader()),
                ElementsAre("pAlive", "pInterface", "pRemoteAdress", "pRemotePort", "pLocalPort", "pAuxComPort",
                            "pAuxBaudRate", "pLinkStatistics"));
    EXPECT_EQ(run.reader().GetProperty("pRemotePort").integer, 5678);
    EXPECT_EQ(run.reader().GetProperty("pLocalPort").integer, 1234);
    run.set("pInterface", "Serial");
    EXPECT_EQ(PropertyNames(run.reader()).size(), 34u);
}

TEST(ReaderDefinition, AnyOtherInterfaceTextKeepsOnlyTheAuxiliaryProperties) {
    ReaderRun run;
    run.reader().SetProperty("pInterface", PropertyValue::Enum({"Serial", "UDP", "CAN"}, 2));
    EXPECT_THAT(PropertyNames(run.reader()),
                ElementsAre("pAlive", "pInterface", "pAuxComPort", "pAuxBaudRate", "pLinkStatistics"));

    run.start();
    EXPECT_EQ(run.runtime().WaitForEnded(std::chrono::seconds(10)), &run.reader());
    EXPECT_THAT(run.reportTexts(), ElementsAre("No interface specified./n"));
}

TEST(ReaderDefinition, AnAuxiliaryPortAddsTheTextOutput) {
    ReaderRun run;
    run.set("pAuxComPort", "/dev/ttyS7");
    ASSERT_THAT(OutputNames(run.reader()), ElementsAre("oData", "oAuxData"));
    const auto outputs = run.reader().Outputs();
    EXPECT_EQ(outputs[0].type, zuv::host::ElementType::Stream8);
    EXPECT_EQ(outputs[0].maxSize, 4095) << "the largest frame is 4086 + 9 bytes";
    EXPECT_EQ(outputs[0].fifo, 16);
    EXPECT_EQ(outputs[1].type, zuv::host::ElementType::TextAscii);
    EXPECT_EQ(outputs[1].maxSize, 4086);
    run.set("pAuxComPort", "");
    EXPECT_THAT(OutputNames(run.reader()), ElementsAre("oData"));
}

TEST(ReaderStart, NoDeviceOnTheDefaultPortStopsTheReaderBeforeAnyCommand) {
    ReaderRun run;
    run.start();
    EXPECT_EQ(run.runtime().WaitForEnded(std::chrono::seconds(10)), &run.reader());
    EXPECT_EQ(run.reader().LastEnd(), EndState::Suicide);
    const auto reports = run.reports();
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0].text, "Start if serial");
    EXPECT_EQ(reports[1].text, "ZUV Serial Error");
    EXPECT_EQ(reports[2].text, "Unable to connect to the device /dev/ttyUSB0, baudrate: 115200. ZUV Error Code: 1.");
    for (const auto &report : reports) {
        EXPECT_EQ(report.level, 0);
    }
    EXPECT_THAT(SerialOpenAttempts(), ElementsAre("/dev/ttyUSB0"));
}

TEST(ReaderStart, ARemoteAddressThatIsNotADottedQuadIsRefused) {
    ReaderRun run;
    run.useUdp(FreeUdpPort(), FreeUdpPort());
    run.set("pRemoteAdress", "127.0.0.256");
    const auto localPort = run.reader().GetProperty("pLocalPort").integer;
    const auto remotePort = run.reader().GetProperty("pRemotePort").integer;
    run.start();
    EXPECT_EQ(run.runtime().WaitForEnded(std::chrono::seconds(10)), &run.reader());
    const auto reports = run.reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].level, 2);
    EXPECT_EQ(reports[0].text,
              "Unable to connect to the device 127.0.0.256, remote port: " + std::to_string(remotePort) +
                  ", local port: " + std::to_string(localPort) + ". ZUV Error Code: 9.");

    // The all-zero address is a dotted quad like any other (the reader sends
    // nothing on UDP, it only listens).
    ReaderRun zero;
    zero.useUdp(FreeUdpPort(), FreeUdpPort());
    zero.set("pRemoteAdress", "0.0.0.0");
    zero.start();
    EXPECT_EQ(zero.runtime().WaitForEnded(std::chrono::milliseconds(200)), nullptr);
    EXPECT_TRUE(zero.reader().Running());
    EXPECT_TRUE(zero.reports().empty());
}

}  // namespace
}  // namespace zuv::test
