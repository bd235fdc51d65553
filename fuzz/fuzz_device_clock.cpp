// DeviceClockMap on any sequence of samples.
// Input: records of 9 bytes: [kind][u32 LE device stamp][i32 LE arrival step in us].
// The arrival starts at 1 s and moves by each step (backwards too).
// Checks: stamps of one kind never go back; a clock jump is flagged at most
// once per sample; the same input mapped again gives the same stamps.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "zuvDeviceClockMap.h"

namespace {

[[noreturn]] void fail(const char *what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

constexpr size_t kRecord = 9;
constexpr size_t kMaxSamples = 4096;
int64_t gFirst[kMaxSamples];
zuv::clocksync::DeviceClockMap gMap;
zuv::clocksync::DeviceClockMap gAgain;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const size_t count = size / kRecord < kMaxSamples ? size / kRecord : kMaxSamples;
    for (int pass = 0; pass < 2; ++pass) {
        zuv::clocksync::DeviceClockMap &map = pass == 0 ? gMap : gAgain;
        map.reset();
        int64_t lastOfKind[256];
        bool seen[256] = {};
        int64_t arrival = 1000000;
        for (size_t i = 0; i < count; ++i) {
            const uint8_t *record = data + i * kRecord;
            uint32_t ts = 0;
            int32_t step = 0;
            std::memcpy(&ts, record + 1, sizeof(ts));
            std::memcpy(&step, record + 5, sizeof(step));
            arrival += step;
            const int64_t stamp = map.map(record[0], ts, arrival).hostUs;
            if (seen[record[0]] && stamp < lastOfKind[record[0]]) fail("a kind's stamp went back");
            seen[record[0]] = true;
            lastOfKind[record[0]] = stamp;
            if (pass == 0) {
                gFirst[i] = stamp;
            } else if (gFirst[i] != stamp) {
                fail("the same input gave other stamps");
            }
        }
    }
    return 0;
}
