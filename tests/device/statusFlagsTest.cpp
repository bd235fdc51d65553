// The 31 status-word predicates.
#include <gtest/gtest.h>

#include "ZuvCommunication.h"

namespace zuv::test {
namespace {

using Predicate = bool (*)(uint32_t);

struct Flag {
    const char *name;
    Predicate test;
    uint32_t mask;
};

#define FLAG(name, mask)                      \
    Flag {                                    \
#name, &CZuvCommunication::name, mask \
    }

const Flag kFlags[] = {
    FLAG(Is_Attitude_Valid, 0x10u),          FLAG(Is_Heading_Valid, 0x20u),
    FLAG(Is_Velocity_Valid, 0x40u),          FLAG(Is_Position_Valid, 0x80u),
    FLAG(Is_VerticalReference_Used, 0x100u), FLAG(Is_Magnetometer_Used, 0x200u),
    FLAG(Is_GPS1Velocity_Used, 0x400u),      FLAG(Is_GPS1Position_Used, 0x800u),
    FLAG(Is_GPS1HDT_Used, 0x2000u),          FLAG(Is_GPS2Velocity_Used, 0x4000u),
    FLAG(Is_GPS2Position_Used, 0x8000u),     FLAG(Is_GPS2HDT_Used, 0x20000u),
    FLAG(Is_Odometer_Used, 0x40000u),        FLAG(Is_DVL_BT_Used, 0x80000u),
    FLAG(Is_DVL_WT_Used, 0x100000u),         FLAG(Is_UserPosition_Used, 0x200000u),
    FLAG(Is_UserVelocity_Used, 0x400000u),   FLAG(Is_UserHeading_Used, 0x800000u),
    FLAG(Is_USBL_Used, 0x1000000u),          FLAG(Is_AirData_Used, 0x2000000u),
    FLAG(Is_ZUPT_Used, 0x4000000u),          FLAG(Is_SolutionAlignmentValid, 0x8000000u),
    FLAG(Is_GPS_L1_Used, 0x1000u),           FLAG(Is_GPS_L2_Used, 0x2000u),
    FLAG(Is_GPS_L5_Used, 0x4000u),           FLAG(Is_GLO_L1_Used, 0x8000u),
    FLAG(Is_GLO_L2_Used, 0x10000u),          FLAG(Is_GPS1Pos_Received, 0x1u),
    FLAG(Is_GPS1Vel_Received, 0x2u),         FLAG(Is_GPS1Hdt_Received, 0x4u),
    FLAG(Is_GPS1Utc_Received, 0x8u),
};

#undef FLAG

TEST(StatusFlags, EachPredicateTestsExactlyItsOwnBit) {
    ASSERT_EQ(std::size(kFlags), 31u);
    for (const Flag &flag : kFlags) {
        SCOPED_TRACE(flag.name);
        EXPECT_TRUE(flag.test(0xFFFFFFFFu));
        EXPECT_FALSE(flag.test(0u));
        EXPECT_TRUE(flag.test(flag.mask));
        EXPECT_FALSE(flag.test(~flag.mask));
        EXPECT_FALSE(flag.test(0x10000000u)) << "bits above 27 belong to no predicate";
    }
}

TEST(StatusFlags, SolutionStatusInNavPositionModeWithAttitudeAndPosition) {
    const uint32_t status = 0x94;  // mode 4, bits 4 and 7
    EXPECT_TRUE(CZuvCommunication::Is_Attitude_Valid(status));
    EXPECT_TRUE(CZuvCommunication::Is_Position_Valid(status));
    EXPECT_FALSE(CZuvCommunication::Is_Heading_Valid(status));
    EXPECT_FALSE(CZuvCommunication::Is_Velocity_Valid(status));
}

}  // namespace
}  // namespace zuv::test
