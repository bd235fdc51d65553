// What the simulated device emits for a kind that has nothing but its row in a
// kinds table: which logs a main-loop cycle looks at and in what order, when
// each is due, and the record it is sent with when no generator fills it.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "logFactory.h"
#include "outputSchedule.h"
#include "zuvEComLogRates.h"
#include "zuvEComProtocol.h"

namespace zuv::test {
using namespace zuv::sim;
namespace {

using catalogue::Record;

std::vector<int> idsOf(const CycleLog *plan, size_t count) {
    std::vector<int> ids;
    for (size_t i = 0; i < count; ++i) ids.push_back(plan[i].logId);
    return ids;
}

TEST(CyclePlan, DeviceEmitsMarkersFirstThenEveryKindByIdAtTheLibrarysRates) {
    // The order a cycle's frames had before the plan was derived.
    EXPECT_EQ(idsOf(kCyclePlan.data(), kCyclePlan.size()),
              (std::vector<int>{24, 25, 26, 27, 28, 1,  2,  3,  4,  5,  6,  7,  8, 9,
                                13, 14, 15, 16, 17, 18, 19, 29, 30, 31, 36, 37, 38}));
    for (const CycleLog &log : kCyclePlan) {
        EXPECT_EQ(log.newDataRateHz, zuvEComLogNewDataRateHz(log.logId)) << "log " << int(log.logId);
        EXPECT_EQ(log.marker, log.logId >= ZUV_ECOM_LOG_EVENT_A && log.logId <= ZUV_ECOM_LOG_EVENT_E);
    }
}

// Two kinds with a row only (ids no generator knows), a marker and a known kind.
constexpr catalogue::LogKind kScratchKinds[] = {
    {"pDepth", 32, Record::Dvl, "oDepth", "oDepthInternalTimestamp", 10},
    {"pEventA", ZUV_ECOM_LOG_EVENT_A, Record::Event, "oEventMarkerA", "", 0},
    {"pImuData", ZUV_ECOM_LOG_IMU_DATA, Record::Imu, "oImu", "oImuInternalTimestamp", 200},
    {"pSpare", 12, Record::AirData, "oSpare", "", 25},
};
constexpr auto kScratchPlan = cyclePlanOf(kScratchKinds);

// The cycles, over two seconds of device time, at which the log is due.
std::vector<uint64_t> dueTimes(uint16_t mode, const CycleLog &log) {
    std::vector<uint64_t> times;
    for (uint64_t t = 0; t <= 2000000; t += kMainLoopPeriodUs) {
        if (dueAtCycle(mode, log, t)) times.push_back(t);
    }
    return times;
}

TEST(CyclePlan, KindWithOnlyItsRowInIdOrderDueOnNewDataAtItsOwnRateAndAtFixedRates) {
    ASSERT_EQ(idsOf(kScratchPlan.data(), kScratchPlan.size()), (std::vector<int>{24, 3, 9, 12, 32}));
    struct Case {
        size_t index;
        uint16_t mode;
        uint64_t periodUs;  // 0: never due
    };
    const Case cases[] = {
        {4, ZUV_ECOM_OUTPUT_MODE_NEW_DATA, 100000}, {3, ZUV_ECOM_OUTPUT_MODE_NEW_DATA, 40000},
        {4, ZUV_ECOM_OUTPUT_MODE_MAIN_LOOP, 5000},  {4, ZUV_ECOM_OUTPUT_MODE_DIV_8, 40000},
        {4, ZUV_ECOM_OUTPUT_MODE_DIV_200, 1000000}, {3, ZUV_ECOM_OUTPUT_MODE_PPS, 1000000},
        {0, ZUV_ECOM_OUTPUT_MODE_NEW_DATA, 0},  // a marker's new data is its pulses
        {4, ZUV_ECOM_OUTPUT_MODE_SYNC_A, 0},    // pulses, not cycles
    };
    for (const Case &c : cases) {
        std::vector<uint64_t> expected;
        for (uint64_t t = 0; c.periodUs != 0 && t <= 2000000; t += c.periodUs) expected.push_back(t);
        EXPECT_EQ(dueTimes(c.mode, kScratchPlan[c.index]), expected)
            << "log " << int(kScratchPlan[c.index].logId) << " mode " << c.mode;
    }
}

// Every record with a layout leads with its time stamp on the wire too: the
// fallback record of each catalogue kind encodes as that stamp and zeros.
TEST(FallbackRecord, EveryKindEncodesAsItsTimeStampThenZeros) {
    const uint32_t stamp = 0xA1B2C3D4u;
    for (const catalogue::LogKind &kind : catalogue::kLogKinds) {
        ZuvBinaryLogData log;
        std::memset(&log, 0x5A, sizeof(log));
        const bool raw = catalogue::layoutOf(kind.record).element == catalogue::Element::Stream8;
        ASSERT_EQ(timeStampOnlyRecord(&kind, stamp, log), !raw) << kind.property;
        if (raw) continue;
        std::vector<uint8_t> payload(ZUV_ECOM_MAX_PAYLOAD_SIZE);
        size_t size = 0;
        ASSERT_EQ(
            zuvEComBinaryLogEncode(ZUV_ECOM_CLASS_LOG_ECOM_0, kind.msgId, &log, payload.data(), payload.size(), &size),
            ZUV_NO_ERROR)
            << kind.property;
        ASSERT_EQ(size + ZUV_ECOM_FRAME_OVERHEAD, zuvEComLogFrameSize(kind.msgId)) << kind.property;
        payload.resize(size);
        std::vector<uint8_t> expected(size, 0);
        expected[0] = 0xD4, expected[1] = 0xC3, expected[2] = 0xB2, expected[3] = 0xA1;
        EXPECT_EQ(payload, expected) << kind.property;
    }
    ZuvBinaryLogData log{};
    EXPECT_FALSE(timeStampOnlyRecord(nullptr, stamp, log));
}

}  // namespace
}  // namespace zuv::test
