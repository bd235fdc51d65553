// The log cache, fed with log frames that the simulator produced and that the
// library's own receive path parses (over an in-memory link, so each test
// decides exactly which frames have arrived).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "ZuvCommunication.h"
#include "ZuvLogCache.h"
#include "memoryLinkCalls.h"
#include "zuvSim.h"

using ::testing::IsEmpty;

namespace zuv::test {
namespace {

struct Frame {
    uint8_t msgClass;
    uint8_t msgId;
    std::vector<uint8_t> bytes;

    std::vector<uint8_t> payload() const { return {bytes.begin() + 6, bytes.end() - 3}; }
};

// Every flag of the cache, so that a test can say "only these are set".
struct NamedFlag {
    const char *name;
    bool *flag;
};

#define NAMED(flag)  \
    NamedFlag {      \
#flag, &flag \
    }
const NamedFlag kKindFlags[] = {
    NAMED(gNewStatusDataReceived),        NAMED(gNewUtcDataReceived),      NAMED(gNewImuDataReceived),
    NAMED(gNewMagDataReceived),           NAMED(gNewMagCalibDataReceived), NAMED(gNewEkfEulerDataReceived),
    NAMED(gNewEkfQuatDataReceived),       NAMED(gNewEkfNavDataReceived),   NAMED(gNewGps1VelDataReceived),
    NAMED(gNewGps1PosDataReceived),       NAMED(gNewGps1HdtDataReceived),  NAMED(gNewGps2VelDataReceived),
    NAMED(gNewGps2PosDataReceived),       NAMED(gNewGps2HdtDataReceived),  NAMED(gNewOdometerDataReceived),
    NAMED(gNewEventMarkerAReceived),      NAMED(gNewEventMarkerBReceived), NAMED(gNewEventMarkerCReceived),
    NAMED(gNewEventMarkerDReceived),      NAMED(gNewEventMarkerEReceived), NAMED(gNewDvlBottomTrackDataReceived),
    NAMED(gNewDvlWaterTrackDataReceived), NAMED(gNewGps1RawDataReceived),  NAMED(gNewPressureDataReceived),
    NAMED(gNewUsblDataReceived),          NAMED(gNewGps2RawDataReceived),
};
const NamedFlag kSharedFlags[] = {NAMED(gNewEkfStatusReceived), NAMED(gNewDataReceived)};
#undef NAMED

std::vector<std::string> flagsSet() {
    std::vector<std::string> set;
    for (const NamedFlag &f : kKindFlags) {
        if (*f.flag) set.push_back(f.name);
    }
    for (const NamedFlag &f : kSharedFlags) {
        if (*f.flag) set.push_back(f.name);
    }
    return set;
}

// A simulator without a link: frames come out of advance() into the tap.
class SimFrames {
public:
    explicit SimFrames(std::vector<zuv::sim::OutputModeSetting> modes) {
        zuv::sim::SimConfig config;
        config.clock = zuv::sim::ClockMode::Manual;
        config.link = zuv::sim::LinkKind::None;
        config.outputModes = std::move(modes);
        sim_ = std::make_unique<zuv::sim::Simulator>(config);
        sim_->setFrameTap([this](const zuv::sim::SentFrame &sent) {
            frames_.push_back(Frame{sent.msgClass, sent.msgId,
                                    std::vector<uint8_t>(sent.bytes + sent.noiseBytes, sent.bytes + sent.size)});
        });
        started_ = sim_->start() == ZUV_NO_ERROR;
    }

    bool started() const { return started_; }
    zuv::sim::Simulator &sim() { return *sim_; }

    // Frames of one log id produced during `us` of device time.
    std::vector<Frame> run(uint64_t us, uint8_t msgId) {
        frames_.clear();
        sim_->advance(us);
        std::vector<Frame> matching;
        for (const Frame &frame : frames_) {
            if (frame.msgId == msgId && frame.msgClass <= 1) matching.push_back(frame);
        }
        return matching;
    }

private:
    std::unique_ptr<zuv::sim::Simulator> sim_;
    std::vector<Frame> frames_;
    bool started_ = false;
};

class LogCache : public ::testing::Test {
protected:
    void SetUp() override {
        ZuvLogCacheClear();
        ASSERT_EQ(link.Connect("mem", 115200u, false), ZUV_NO_ERROR);
    }
    void TearDown() override { ZuvLogCacheClear(); }

    void arrive(const std::vector<Frame> &frames) {
        for (const Frame &frame : frames) MemoryLinkPush(frame.bytes);
    }

    CZuvCommunication link{MemoryLinkCalls()};
};

uint32_t u32At(const std::vector<uint8_t> &bytes, size_t offset) {
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 | uint32_t(bytes[offset + 3]) << 24;
}

constexpr uint16_t k50Hz = 4;  // every fourth cycle of the 200 Hz main loop

TEST_F(LogCache, NewestStatusIsDeliveredOnce) {
    SimFrames device({{ZUV_ECOM_LOG_STATUS, k50Hz}});
    ASSERT_TRUE(device.started());
    const std::vector<Frame> frames = device.run(50000, ZUV_ECOM_LOG_STATUS);
    ASSERT_GE(frames.size(), 2u);
    arrive(frames);

    ZuvLogStatusData status{};
    ASSERT_EQ(link.GetStatus(status, false), ZUV_NO_ERROR);
    EXPECT_EQ(status.timeStamp, u32At(frames.back().payload(), 0));
    EXPECT_EQ(MemoryLinkPending(), 0u);

    ZuvLogStatusData again = status;
    again.upTime = 12345;
    EXPECT_EQ(link.GetStatus(again, false), ZUV_ERROR);
    EXPECT_EQ(again.upTime, 12345u) << "a query that finds nothing new leaves the record alone";
}

TEST_F(LogCache, EkfModeLeavesTheEulerRecordNew) {
    SimFrames device({{ZUV_ECOM_LOG_EKF_EULER, k50Hz}});
    ASSERT_TRUE(device.started());
    device.run(2000000, ZUV_ECOM_LOG_EKF_EULER);  // past the start-up, into a full solution
    const std::vector<Frame> frames = device.run(25000, ZUV_ECOM_LOG_EKF_EULER);
    ASSERT_FALSE(frames.empty());
    arrive(frames);
    const uint32_t solutionStatus = u32At(frames.back().payload(), 28);

    ZuvEComSolutionMode mode = ZUV_ECOM_SOL_MODE_UNINITIALIZED;
    ASSERT_EQ(link.GetEkfMode(mode, false), ZUV_NO_ERROR);
    EXPECT_EQ(static_cast<uint32_t>(mode), solutionStatus & 0x0Fu);
    EXPECT_NE(mode, ZUV_ECOM_SOL_MODE_UNINITIALIZED);
    EXPECT_TRUE(gNewEkfEulerDataReceived);

    ZuvLogEkfEulerData euler{};
    ASSERT_EQ(link.GetEkfEuler(euler, false), ZUV_NO_ERROR);
    EXPECT_EQ(euler.solutionStatus, solutionStatus);
    EXPECT_EQ(link.GetEkfMode(mode, false), ZUV_ERROR) << "the status word was taken already";
}

TEST_F(LogCache, LogsOfOtherClassesLeaveTheCacheAlone) {
    SimFrames device({{ZUV_ECOM_LOG_STATUS, k50Hz}});
    ASSERT_TRUE(device.started());
    const std::vector<Frame> frames = device.run(25000, ZUV_ECOM_LOG_STATUS);
    ASSERT_FALSE(frames.empty());
    // The same status payload, sent as class 2.
    const std::vector<uint8_t> payload = frames.front().payload();
    std::vector<uint8_t> frame(payload.size() + 9);
    size_t size = 0;
    ASSERT_EQ(
        zuvEComFrameBuild(ZUV_ECOM_LOG_STATUS, 2, payload.data(), payload.size(), frame.data(), frame.size(), &size),
        ZUV_NO_ERROR);
    MemoryLinkPush(frame);
    ZuvLogStatusData status{};
    EXPECT_EQ(link.GetStatus(status, false), ZUV_ERROR);
    EXPECT_THAT(flagsSet(), IsEmpty());

    // The callback's own guard, should a library hand such a log over.
    ZuvBinaryLogData log{};
    EXPECT_EQ(
        CZuvCommunication::_onLogReceived(nullptr, static_cast<ZuvEComClass>(2), ZUV_ECOM_LOG_STATUS, &log, nullptr),
        ZUV_NO_ERROR);
    EXPECT_THAT(flagsSet(), IsEmpty());
}

TEST_F(LogCache, ShipMotionAndUnknownIdsSetNoFlag) {
    SimFrames device({{ZUV_ECOM_LOG_SHIP_MOTION, k50Hz}});
    ASSERT_TRUE(device.started());
    const std::vector<Frame> frames = device.run(100000, ZUV_ECOM_LOG_SHIP_MOTION);
    ASSERT_FALSE(frames.empty());
    arrive(frames);
    ZuvLogStatusData status{};
    EXPECT_EQ(link.GetStatus(status, false), ZUV_ERROR);
    EXPECT_EQ(MemoryLinkPending(), 0u) << "the frames were read";
    EXPECT_THAT(flagsSet(), IsEmpty());

    ZuvBinaryLogData log{};
    for (uint8_t id : {0, 9, 10, 12, 20, 23, 32, 35, 39, 255}) {
        CZuvCommunication::_onLogReceived(nullptr, ZUV_ECOM_CLASS_LOG_ECOM_1, id, &log, nullptr);
    }
    EXPECT_THAT(flagsSet(), IsEmpty());
}

TEST_F(LogCache, ResetClearsEveryFlagAndKeepsTheRecords) {
    SimFrames device({{ZUV_ECOM_LOG_EKF_NAV, k50Hz}, {ZUV_ECOM_LOG_IMU_DATA, k50Hz}});
    ASSERT_TRUE(device.started());
    const std::vector<Frame> frames = device.run(25000, ZUV_ECOM_LOG_EKF_NAV);
    ASSERT_FALSE(frames.empty());
    arrive(frames);
    ZuvLogUtcData utc{};
    EXPECT_EQ(link.GetUtcTime(utc, false), ZUV_ERROR);
    EXPECT_THAT(flagsSet(),
                ::testing::UnorderedElementsAre("gNewEkfNavDataReceived", "gNewEkfStatusReceived", "gNewDataReceived"));
    const uint32_t timeStamp = gEkfNavData.timeStamp;
    CZuvCommunication::ResetDataReceived();
    EXPECT_THAT(flagsSet(), IsEmpty());
    EXPECT_EQ(gEkfNavData.timeStamp, timeStamp);
}

// ---- Each of the 26 kinds lands in its own slot and comes out of its own query.

using Query = std::function<ZuvErrorCode(CZuvCommunication &, ZuvBinaryLogData &)>;

struct Kind {
    const char *name;
    uint8_t msgId;
    uint16_t mode;
    Query query;
    bool *flag;
};

constexpr uint16_t kOnNewData = 10001;

#define KIND(id, getter, member, flag)                                                                   \
    Kind {                                                                                               \
#getter, id, kOnNewData,                                                                         \
            [](CZuvCommunication & l, ZuvBinaryLogData & o) { return l.getter(o.member, false); }, &flag \
    }

const Kind kKinds[] = {
    KIND(ZUV_ECOM_LOG_STATUS, GetStatus, statusData, gNewStatusDataReceived),
    KIND(ZUV_ECOM_LOG_UTC_TIME, GetUtcTime, utcData, gNewUtcDataReceived),
    KIND(ZUV_ECOM_LOG_IMU_DATA, GetImu, imuData, gNewImuDataReceived),
    KIND(ZUV_ECOM_LOG_MAG, GetMag, magData, gNewMagDataReceived),
    KIND(ZUV_ECOM_LOG_MAG_CALIB, GetMagCalib, magCalibData, gNewMagCalibDataReceived),
    KIND(ZUV_ECOM_LOG_EKF_EULER, GetEkfEuler, ekfEulerData, gNewEkfEulerDataReceived),
    KIND(ZUV_ECOM_LOG_EKF_QUAT, GetEkfQuat, ekfQuatData, gNewEkfQuatDataReceived),
    KIND(ZUV_ECOM_LOG_EKF_NAV, GetEkfNav, ekfNavData, gNewEkfNavDataReceived),
    KIND(ZUV_ECOM_LOG_GPS1_VEL, GetGPS1Velocity, gpsVelData, gNewGps1VelDataReceived),
    KIND(ZUV_ECOM_LOG_GPS1_POS, GetGPS1Position, gpsPosData, gNewGps1PosDataReceived),
    KIND(ZUV_ECOM_LOG_GPS1_HDT, GetGPS1HDT, gpsHdtData, gNewGps1HdtDataReceived),
    KIND(ZUV_ECOM_LOG_GPS2_VEL, GetGPS2Velocity, gpsVelData, gNewGps2VelDataReceived),
    KIND(ZUV_ECOM_LOG_GPS2_POS, GetGPS2Position, gpsPosData, gNewGps2PosDataReceived),
    KIND(ZUV_ECOM_LOG_GPS2_HDT, GetGPS2HDT, gpsHdtData, gNewGps2HdtDataReceived),
    KIND(ZUV_ECOM_LOG_ODO_VEL, GetOdometerVelocity, odometerData, gNewOdometerDataReceived),
    KIND(ZUV_ECOM_LOG_EVENT_A, GetEventMarkerA, eventMarker, gNewEventMarkerAReceived),
    KIND(ZUV_ECOM_LOG_EVENT_B, GetEventMarkerB, eventMarker, gNewEventMarkerBReceived),
    KIND(ZUV_ECOM_LOG_EVENT_C, GetEventMarkerC, eventMarker, gNewEventMarkerCReceived),
    KIND(ZUV_ECOM_LOG_EVENT_D, GetEventMarkerD, eventMarker, gNewEventMarkerDReceived),
    KIND(ZUV_ECOM_LOG_EVENT_E, GetEventMarkerE, eventMarker, gNewEventMarkerEReceived),
    KIND(ZUV_ECOM_LOG_DVL_BOTTOM_TRACK, GetDvlBottomTrack, dvlData, gNewDvlBottomTrackDataReceived),
    KIND(ZUV_ECOM_LOG_DVL_WATER_TRACK, GetDvlWaterTrack, dvlData, gNewDvlWaterTrackDataReceived),
    KIND(ZUV_ECOM_LOG_GPS1_RAW, GetGPS1RAW, gpsRawData, gNewGps1RawDataReceived),
    KIND(ZUV_ECOM_LOG_AIR_DATA, GetAirData, airData, gNewPressureDataReceived),
    KIND(ZUV_ECOM_LOG_USBL, GetUSBL, usblData, gNewUsblDataReceived),
    KIND(ZUV_ECOM_LOG_GPS2_RAW, GetGPS2RAW, gpsRawData, gNewGps2RawDataReceived),
};
#undef KIND

void PrintTo(const Kind &kind, std::ostream *os) {
    *os << kind.name;
}

class EachKind : public LogCache, public ::testing::WithParamInterface<Kind> {};

TEST_P(EachKind, ComesOutOfItsOwnQueryAsSent) {
    const Kind &kind = GetParam();
    SimFrames device({{kind.msgId, kind.mode}});
    ASSERT_TRUE(device.started());
    for (size_t input = 0; input < zuv::sim::kSyncInputCount; ++input) {
        device.sim().setSyncPulses(input, zuv::sim::SyncPulses{20.0, 1000});
    }
    std::vector<Frame> frames = device.run(3000000, kind.msgId);
    ASSERT_FALSE(frames.empty()) << "the simulator sent no " << kind.name << " log";
    arrive({frames.back()});

    ZuvBinaryLogData delivered{};
    // Only this kind's flag (and the status word's, for the attitude and navigation logs) is set.
    ZuvLogImuData imu{};
    ZuvLogStatusData status{};
    if (kind.msgId != ZUV_ECOM_LOG_IMU_DATA) {
        EXPECT_EQ(link.GetImu(imu, false), ZUV_ERROR);
    } else {
        EXPECT_EQ(link.GetStatus(status, false), ZUV_ERROR);
    }
    for (const NamedFlag &f : kKindFlags) {
        EXPECT_EQ(*f.flag, f.flag == kind.flag) << f.name;
    }
    EXPECT_TRUE(gNewDataReceived);
    const bool carriesSolution = kind.msgId >= ZUV_ECOM_LOG_EKF_EULER && kind.msgId <= ZUV_ECOM_LOG_EKF_NAV;
    EXPECT_EQ(gNewEkfStatusReceived, carriesSolution);

    ASSERT_EQ(kind.query(link, delivered), ZUV_NO_ERROR);
    // Laid out again, the record is the payload that was sent.
    std::vector<uint8_t> encoded(4096);
    size_t size = 0;
    ASSERT_EQ(zuvEComBinaryLogEncode(ZUV_ECOM_CLASS_LOG_ECOM_0, kind.msgId, &delivered, encoded.data(), encoded.size(),
                                     &size),
              ZUV_NO_ERROR);
    encoded.resize(size);
    EXPECT_EQ(encoded, frames.back().payload());
    EXPECT_FALSE(*kind.flag);
    EXPECT_EQ(kind.query(link, delivered), ZUV_ERROR);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, EachKind, ::testing::ValuesIn(kKinds),
                         [](const auto &param) { return std::string(param.param.name); });

TEST_F(LogCache, NmeaQueueIsEmptyEveryTime) {
    EXPECT_EQ(link.ReadAuxFrames(), ZUV_DEVICE_NOT_FOUND);
    EXPECT_EQ(link.ReadAuxFrame(), ZUV_DEVICE_NOT_FOUND);
    EXPECT_THAT(link.PopNMEASentences(), IsEmpty());
    EXPECT_THAT(link.PopNMEASentences(), IsEmpty());
}

}  // namespace
}  // namespace zuv::test
