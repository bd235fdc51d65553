// The status-word predicates: each tests one bit of the word the caller holds.
#include "ZuvCommunication.h"

namespace {

constexpr bool bitSet(uint32_t word, uint32_t mask) {
    return (word & mask) != 0;
}

}  // namespace

// Solution status word of the Euler, quaternion and navigation logs.
bool CZuvCommunication::Is_Attitude_Valid(uint32_t status) {
    return bitSet(status, 0x10u);
}
bool CZuvCommunication::Is_Heading_Valid(uint32_t status) {
    return bitSet(status, 0x20u);
}
bool CZuvCommunication::Is_Velocity_Valid(uint32_t status) {
    return bitSet(status, 0x40u);
}
bool CZuvCommunication::Is_Position_Valid(uint32_t status) {
    return bitSet(status, 0x80u);
}
bool CZuvCommunication::Is_VerticalReference_Used(uint32_t status) {
    return bitSet(status, 0x100u);
}
bool CZuvCommunication::Is_Magnetometer_Used(uint32_t status) {
    return bitSet(status, 0x200u);
}
bool CZuvCommunication::Is_GPS1Velocity_Used(uint32_t status) {
    return bitSet(status, 0x400u);
}
bool CZuvCommunication::Is_GPS1Position_Used(uint32_t status) {
    return bitSet(status, 0x800u);
}
bool CZuvCommunication::Is_GPS1HDT_Used(uint32_t status) {
    return bitSet(status, 0x2000u);
}
bool CZuvCommunication::Is_GPS2Velocity_Used(uint32_t status) {
    return bitSet(status, 0x4000u);
}
bool CZuvCommunication::Is_GPS2Position_Used(uint32_t status) {
    return bitSet(status, 0x8000u);
}
bool CZuvCommunication::Is_GPS2HDT_Used(uint32_t status) {
    return bitSet(status, 0x20000u);
}
bool CZuvCommunication::Is_Odometer_Used(uint32_t status) {
    return bitSet(status, 0x40000u);
}
bool CZuvCommunication::Is_DVL_BT_Used(uint32_t status) {
    return bitSet(status, 0x80000u);
}
bool CZuvCommunication::Is_DVL_WT_Used(uint32_t status) {
    return bitSet(status, 0x100000u);
}
bool CZuvCommunication::Is_UserPosition_Used(uint32_t status) {
    return bitSet(status, 0x200000u);
}
bool CZuvCommunication::Is_UserVelocity_Used(uint32_t status) {
    return bitSet(status, 0x400000u);
}
bool CZuvCommunication::Is_UserHeading_Used(uint32_t status) {
    return bitSet(status, 0x800000u);
}
bool CZuvCommunication::Is_USBL_Used(uint32_t status) {
    return bitSet(status, 0x1000000u);
}
bool CZuvCommunication::Is_AirData_Used(uint32_t status) {
    return bitSet(status, 0x2000000u);
}
bool CZuvCommunication::Is_ZUPT_Used(uint32_t status) {
    return bitSet(status, 0x4000000u);
}
bool CZuvCommunication::Is_SolutionAlignmentValid(uint32_t status) {
    return bitSet(status, 0x8000000u);
}

// Status word of a GNSS position log.
bool CZuvCommunication::Is_GPS_L1_Used(uint32_t status) {
    return bitSet(status, 0x1000u);
}
bool CZuvCommunication::Is_GPS_L2_Used(uint32_t status) {
    return bitSet(status, 0x2000u);
}
bool CZuvCommunication::Is_GPS_L5_Used(uint32_t status) {
    return bitSet(status, 0x4000u);
}
bool CZuvCommunication::Is_GLO_L1_Used(uint32_t status) {
    return bitSet(status, 0x8000u);
}
bool CZuvCommunication::Is_GLO_L2_Used(uint32_t status) {
    return bitSet(status, 0x10000u);
}

// Aiding status word of the status log.
bool CZuvCommunication::Is_GPS1Pos_Received(uint32_t status) {
    return bitSet(status, 0x1u);
}
bool CZuvCommunication::Is_GPS1Vel_Received(uint32_t status) {
    return bitSet(status, 0x2u);
}
bool CZuvCommunication::Is_GPS1Hdt_Received(uint32_t status) {
    return bitSet(status, 0x4u);
}
bool CZuvCommunication::Is_GPS1Utc_Received(uint32_t status) {
    return bitSet(status, 0x8u);
}
