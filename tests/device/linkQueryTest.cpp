// How the queries pump the library and when they give up, against the double.
#include <gtest/gtest.h>

#include "ZuvCommunication.h"
#include "ZuvLogCache.h"
#include "linkCallsDouble.h"

namespace zuv::test {
namespace {

class LinkQuery : public ::testing::Test {
protected:
    void SetUp() override { ZuvLogCacheClear(); }
    void TearDown() override { ZuvLogCacheClear(); }

    // Makes the n-th pump from now deliver one status log, as the library would.
    void statusArrivesAtPump(int n, uint32_t upTime) {
        const int at = d.pumps() + n;
        d.onPump = [this, at, upTime](ZuvEComHandle *handle) {
            if (d.pumps() == at) {
                ZuvBinaryLogData log{};
                log.statusData.upTime = upTime;
                CZuvCommunication::_onLogReceived(handle, ZUV_ECOM_CLASS_LOG_ECOM_0, ZUV_ECOM_LOG_STATUS, &log,
                                                  nullptr);
            }
        };
    }

    LinkCallsDouble d;
    CZuvCommunication link{d.calls()};
};

TEST_F(LinkQuery, WithoutWaitPumpsOnceAndReportsThePumpError) {
    ZuvLogStatusData status{};
    status.upTime = 77;
    EXPECT_EQ(link.GetStatus(status, false), ZUV_ERROR);
    EXPECT_EQ(d.pumps(), 1);
    d.pumpResult = ZUV_READ_ERROR;
    EXPECT_EQ(link.GetStatus(status, false), ZUV_READ_ERROR);
    EXPECT_EQ(d.pumps(), 2);
    EXPECT_EQ(status.upTime, 77u);
}

TEST_F(LinkQuery, ARecordThatArrivedEarlierIsDeliveredAtOnceEvenIfThePumpFails) {
    statusArrivesAtPump(1, 5);
    ZuvLogStatusData status{};
    ZuvLogImuData imu{};
    ASSERT_EQ(link.GetImu(imu, false), ZUV_ERROR);  // this pump brings the status log
    d.onPump = nullptr;
    d.pumpResult = ZUV_READ_ERROR;
    EXPECT_EQ(link.GetStatus(status, false), ZUV_NO_ERROR);
    EXPECT_EQ(status.upTime, 5u);
}

TEST_F(LinkQuery, WaitingKeepsPumpingUntilTheRecordComes) {
    statusArrivesAtPump(40, 9);
    ZuvLogStatusData status{};
    EXPECT_EQ(link.GetStatus(status, true), ZUV_NO_ERROR);
    EXPECT_EQ(status.upTime, 9u);
    EXPECT_EQ(d.pumps(), 40);
    EXPECT_FALSE(gNewStatusDataReceived);
}

TEST_F(LinkQuery, WaitingGivesUpAfter2001PumpsWithTheLastPumpResult) {
    d.onPump = [this](ZuvEComHandle *) { d.pumpResult = d.pumps() == 2001 ? ZUV_TIME_OUT : ZUV_NO_ERROR; };
    ZuvLogImuData imu{};
    imu.temperature = 21.5f;
    EXPECT_EQ(link.GetImu(imu, true), ZUV_TIME_OUT);
    EXPECT_EQ(d.pumps(), 2001);
    EXPECT_EQ(imu.temperature, 21.5f);
}

TEST_F(LinkQuery, EkfModeIsZeroUnlessAStatusCame) {
    ZuvEComSolutionMode mode = ZUV_ECOM_SOL_MODE_NAV_POSITION;
    EXPECT_EQ(link.GetEkfMode(mode, false), ZUV_ERROR);
    EXPECT_EQ(mode, ZUV_ECOM_SOL_MODE_UNINITIALIZED);
}

}  // namespace
}  // namespace zuv::test
