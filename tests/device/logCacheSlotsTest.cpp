// The cache's slots built over a kinds table of this test's own: kinds with
// no named record and flag (as a new catalogue kind has), two of them of one
// record type, one carrying a solution status, beside a named one.
#include <gtest/gtest.h>

#include "ZuvLogCache.h"
#include "ZuvLogCacheSlots.h"

namespace zuv::test {
namespace {

using catalogue::Record;

constexpr uint8_t kProbeA = 32;
constexpr uint8_t kProbeB = 33;
constexpr uint8_t kProbeAttitude = 34;

constexpr catalogue::LogKind kProbeKinds[] = {
    {"pEkfNav", ZUV_ECOM_LOG_EKF_NAV, Record::EkfNav, "oEkfNav", "oEkfNavInternalTimestamp", 200},
    {"pProbeA", kProbeA, Record::Dvl, "oProbeA", "oProbeAInternalTimestamp", 10},
    {"pProbeB", kProbeB, Record::Dvl, "oProbeB", "", 10},
    {"pProbeAttitude", kProbeAttitude, Record::EkfEuler, "oProbeAttitude", "", 50},
};

ZuvLogEkfNavData gProbeNav;
bool gProbeNavFlag;
constexpr cache::Slot kProbeNamed[] = {
    cache::recordSlot<Record::EkfNav, &gProbeNav, &gProbeNavFlag>(ZUV_ECOM_LOG_EKF_NAV)};

constexpr auto kProbeSlots = cache::slotsFor<kProbeKinds, kProbeNamed>();

ZuvLogDvlData &probeA = cache::gUnnamedRecord<kProbeKinds, 1>;
ZuvLogDvlData &probeB = cache::gUnnamedRecord<kProbeKinds, 2>;
ZuvLogEkfEulerData &probeAttitude = cache::gUnnamedRecord<kProbeKinds, 3>;
bool &flagA = cache::gUnnamedFlag<kProbeKinds, 1>;
bool &flagB = cache::gUnnamedFlag<kProbeKinds, 2>;
bool &flagAttitude = cache::gUnnamedFlag<kProbeKinds, 3>;

ZuvBinaryLogData dvl(uint32_t timeStamp, float velocityX) {
    ZuvBinaryLogData log{};
    log.dvlData.timeStamp = timeStamp;
    log.dvlData.velocity[0] = velocityX;
    return log;
}

class UnnamedSlots : public ::testing::Test {
protected:
    void SetUp() override {
        ZuvLogCacheClear();
        cache::clear(kProbeSlots);
    }
    void TearDown() override {
        cache::clear(kProbeSlots);
        ZuvLogCacheClear();
    }
};

TEST_F(UnnamedSlots, EachKindKeptApartAndFlagged) {
    ASSERT_EQ(kProbeSlots.size(), 4u);
    EXPECT_EQ(kProbeSlots[0].flag, &gProbeNavFlag);  // the named slot is used, not a pair of its own

    ASSERT_TRUE(cache::store(kProbeSlots, ZUV_ECOM_CLASS_LOG_ECOM_0, kProbeA, dvl(111, 1.5f)));
    EXPECT_EQ(probeA.timeStamp, 111u);
    EXPECT_EQ(probeA.velocity[0], 1.5f);
    EXPECT_TRUE(flagA);
    EXPECT_TRUE(gNewDataReceived);
    // The other kind of the same record is untouched, and a DVL record has no solution status.
    EXPECT_EQ(probeB.timeStamp, 0u);
    EXPECT_FALSE(flagB);
    EXPECT_FALSE(gNewEkfStatusReceived);

    ASSERT_TRUE(cache::store(kProbeSlots, ZUV_ECOM_CLASS_LOG_ECOM_1, kProbeB, dvl(222, -2.0f)));
    EXPECT_EQ(probeB.timeStamp, 222u);
    EXPECT_EQ(probeA.timeStamp, 111u);
    EXPECT_FALSE(flagAttitude);
    EXPECT_FALSE(gProbeNavFlag);

    // Clearing the flags keeps the records; clearing the cache zeroes them.
    cache::clearFlags(kProbeSlots);
    EXPECT_FALSE(flagA || flagB || gNewDataReceived);
    EXPECT_EQ(probeA.timeStamp, 111u);
    EXPECT_EQ(probeB.velocity[0], -2.0f);
    cache::clear(kProbeSlots);
    EXPECT_EQ(probeA.timeStamp, 0u);
    EXPECT_EQ(probeB.velocity[0], 0.0f);
}

TEST_F(UnnamedSlots, SolutionStatusFromUnnamedAndNamedKinds) {
    ZuvBinaryLogData log{};
    log.ekfEulerData.timeStamp = 5;
    log.ekfEulerData.solutionStatus = 0x00ABCDEF;
    ASSERT_TRUE(cache::store(kProbeSlots, ZUV_ECOM_CLASS_LOG_ECOM_0, kProbeAttitude, log));
    EXPECT_EQ(probeAttitude.solutionStatus, 0x00ABCDEFu);
    EXPECT_TRUE(flagAttitude);
    EXPECT_EQ(gEkfStatus, 0x00ABCDEFu);
    EXPECT_TRUE(gNewEkfStatusReceived);

    log = {};
    log.ekfNavData.timeStamp = 6;
    log.ekfNavData.solutionStatus = 0x12;
    ASSERT_TRUE(cache::store(kProbeSlots, ZUV_ECOM_CLASS_LOG_ECOM_0, ZUV_ECOM_LOG_EKF_NAV, log));
    EXPECT_EQ(gProbeNav.timeStamp, 6u);
    EXPECT_TRUE(gProbeNavFlag);
    EXPECT_EQ(gEkfStatus, 0x12u);
    // The table's own slot, not the process cache's named record.
    EXPECT_EQ(gEkfNavData.timeStamp, 0u);
    EXPECT_FALSE(gNewEkfNavDataReceived);
}

TEST_F(UnnamedSlots, OtherClassesAndIdsWithoutASlotRefused) {
    EXPECT_FALSE(cache::store(kProbeSlots, ZUV_ECOM_CLASS_CMD_0, kProbeA, dvl(1, 1.0f)));
    EXPECT_FALSE(cache::store(kProbeSlots, ZUV_ECOM_CLASS_LOG_ECOM_0, ZUV_ECOM_LOG_DVL_BOTTOM_TRACK, dvl(1, 1.0f)));
    EXPECT_FALSE(cache::store(kProbeSlots, ZUV_ECOM_CLASS_LOG_ECOM_0, 35, dvl(1, 1.0f)));
    EXPECT_FALSE(flagA);
    EXPECT_FALSE(gNewDataReceived);
    EXPECT_EQ(probeA.timeStamp, 0u);
}

}  // namespace
}  // namespace zuv::test
