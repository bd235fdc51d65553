#include <gtest/gtest.h>

#include "syntheticClockStream.h"
#include "zuvAllocationCounter.h"
#include "zuvDeviceClockMap.h"

namespace zuv::test {
namespace {

TEST(DeviceClockMapAllocation, MappingAllocatesNothing) {
    StreamShape shape;
    shape.driftPpm = 30.0;
    const std::vector<Sample> samples = makeStream(shape, 30.0);
    clocksync::DeviceClockMap map;
    long allocations = 0;
    int64_t last = 0;
    {
        AllocationWindow window;
        for (const Sample &sample : samples) last = map.map(3, sample.deviceStamp, sample.arrivalUs).hostUs;
        map.reset();
        allocations = window.count();
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_GT(last, shape.hostStartUs);
}

TEST(DeviceClockMapAllocation, TheCounterSeesAnAllocation) {
    AllocationWindow window;
    delete new int(1);
    EXPECT_GE(window.count(), 1);
}

}  // namespace
}  // namespace zuv::test
