// Sync input pulses: the event marker logs and the "on sync" output modes.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "tapRecorder.h"

namespace zuv::test {
namespace {

constexpr uint8_t kEventA = ZUV_ECOM_LOG_EVENT_A;
constexpr uint16_t kReceived = ZUV_ECOM_EVENT_RECEIVED;
constexpr uint16_t kAllOffsetsValid = ZUV_ECOM_EVENT_OFFSET_0_VALID | ZUV_ECOM_EVENT_OFFSET_1_VALID |
                                      ZUV_ECOM_EVENT_OFFSET_2_VALID | ZUV_ECOM_EVENT_OFFSET_3_VALID;

class Events : public ::testing::Test {
protected:
    void start(SimConfig config) {
        sim = std::make_unique<Simulator>(std::move(config));
        sim->setFrameTap(recorder.tap());
        ASSERT_EQ(sim->start(), ZUV_NO_ERROR) << sim->errorText();
    }
    std::vector<ZuvLogEvent> markers(uint8_t id) const {
        std::vector<ZuvLogEvent> out;
        for (const TappedFrame *frame : recorder.ofId(id)) {
            out.push_back(frame->parse().eventMarker);
        }
        return out;
    }

    TapRecorder recorder;
    std::unique_ptr<Simulator> sim;
};

TEST_F(Events, EachSlowPulseGivesOneMarkerStampedWithItsTime) {
    SimConfig config = manualConfig();
    config.sync[0] = SyncPulses{10.0, 1234};
    config.outputModes = {{kEventA, ZUV_ECOM_OUTPUT_MODE_NEW_DATA}};
    start(config);
    sim->advance(1000000);

    const std::vector<ZuvLogEvent> events = markers(kEventA);
    ASSERT_EQ(events.size(), 10u);
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].timeStamp, 1234u + 100000u * i);
        EXPECT_EQ(events[i].status, kReceived);
        EXPECT_EQ(events[i].timeOffset0, 0);
    }
    EXPECT_TRUE(recorder.ofId(kEventA + 1).empty());
}

TEST_F(Events, FastPulsesShareOneMarkerPerCycleWithOffsets) {
    SimConfig config = manualConfig();
    config.sync[1] = SyncPulses{1000.0, 500};
    config.outputModes = {{kEventA + 1, ZUV_ECOM_OUTPUT_MODE_NEW_DATA}};
    start(config);
    sim->advance(100000);

    const std::vector<ZuvLogEvent> events = markers(kEventA + 1);
    ASSERT_EQ(events.size(), 20u);  // one per 5 ms cycle
    for (const ZuvLogEvent &event : events) {
        EXPECT_EQ(event.status, kReceived | kAllOffsetsValid);
        EXPECT_EQ(event.timeStamp % 1000, 500u);
        EXPECT_EQ(event.timeOffset0, 1000);
        EXPECT_EQ(event.timeOffset1, 2000);
        EXPECT_EQ(event.timeOffset2, 3000);
        EXPECT_EQ(event.timeOffset3, 4000);
    }
}

TEST_F(Events, MarkerOnADivisorSaysWhenNothingHappened) {
    SimConfig config = manualConfig();
    config.outputModes = {{kEventA + 2, 40}};  // 5 Hz
    start(config);
    sim->advance(400000);
    sim->pulseSyncInput(2);  // at 400 ms, between two outputs
    sim->advance(600000);

    const std::vector<ZuvLogEvent> events = markers(kEventA + 2);
    ASSERT_EQ(events.size(), 6u);
    for (size_t i = 0; i < events.size(); ++i) {
        if (i == 3) {
            EXPECT_EQ(events[i].status, kReceived);
            EXPECT_EQ(events[i].timeStamp, 400000u);
        } else {
            EXPECT_EQ(events[i].status, 0) << i;
            EXPECT_EQ(events[i].timeStamp, 200000u * i) << i;
        }
    }
}

TEST_F(Events, OnSyncModeSendsTheLogAtEveryPulseOfItsInput) {
    SimConfig config = manualConfig();
    config.sync[0] = SyncPulses{50.0, 0};  // A: must not trigger B's logs
    config.sync[1] = SyncPulses{7.0, 2500};
    config.outputModes = {{ZUV_ECOM_LOG_IMU_DATA, ZUV_ECOM_OUTPUT_MODE_SYNC_B},
                          {ZUV_ECOM_LOG_EKF_NAV, ZUV_ECOM_OUTPUT_MODE_SYNC_A},
                          {kEventA + 1, ZUV_ECOM_OUTPUT_MODE_SYNC_B}};
    start(config);
    sim->advance(2000000);

    const std::vector<uint32_t> imu = recorder.timeStamps(ZUV_ECOM_LOG_IMU_DATA);
    ASSERT_EQ(imu.size(), 14u);
    for (size_t i = 0; i < imu.size(); ++i) {
        EXPECT_EQ(imu[i], 2500u + static_cast<uint32_t>(std::llround(i * 1e6 / 7.0))) << i;
    }
    EXPECT_EQ(recorder.timeStamps(ZUV_ECOM_LOG_EKF_NAV).size(), 101u);
    const std::vector<ZuvLogEvent> events = markers(kEventA + 1);
    ASSERT_EQ(events.size(), imu.size());
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].timeStamp, imu[i]);
        EXPECT_EQ(events[i].status, kReceived);
    }
}

TEST_F(Events, InputEFeedsItsMarkerOnly) {
    SimConfig config = manualConfig();
    config.outputModes = {{kEventA + 4, ZUV_ECOM_OUTPUT_MODE_NEW_DATA}};
    start(config);
    sim->advance(12345);
    sim->pulseSyncInput(4);
    sim->advance(10000);
    const std::vector<ZuvLogEvent> events = markers(kEventA + 4);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].timeStamp, 12345u);
    EXPECT_EQ(events[0].status, kReceived);
}

TEST_F(Events, PulsesConfiguredWhileRunningStartOnTheNextCycle) {
    start(manualConfig());
    ASSERT_EQ(sim->setOutputMode(0, 0, kEventA + 3, ZUV_ECOM_OUTPUT_MODE_NEW_DATA), ZUV_NO_ERROR);
    sim->advance(7000);
    sim->setSyncPulses(3, SyncPulses{100.0, 0});
    sim->advance(100000);
    const std::vector<ZuvLogEvent> events = markers(kEventA + 3);
    ASSERT_EQ(events.size(), 10u);
    EXPECT_EQ(events[0].timeStamp, 10000u);
    EXPECT_EQ(events[1].timeStamp, 20000u);
}

}  // namespace
}  // namespace zuv::test
