// Waiting for the next log frame on a link, with a deadline on the 32-bit
// millisecond clock, and laying a frame out again byte for byte.
//
// Errors: the waits give true with a frame of class 0 or 1, false when
// the deadline passed first. Every other receive result (bad CRC, a frame of
// another class, nothing held) only keeps it waiting.
// Threading: none of its own; runs on the caller's thread. Allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "zuvEComProtocol.h"
#include "zuvErrorCodes.h"
#include "zuvInterface.h"

namespace zuv {

constexpr uint32_t kLogFrameWaitMs = 1000;
// The longest wait on the link between two looks at `abandon()`: a stop is
// seen within this.
constexpr uint32_t kReadableSliceMs = 50;
// After this many wake-ups in a row that brought no frame, one 1 ms sleep: a
// link that keeps answering readable without bytes costs no more than polling.
constexpr int kFruitlessWakesBeforeSleep = 3;

// The clock and sleep of the wait; tests pass their own to cross the 32-bit wrap.
struct WaitClock {
    uint32_t (*now)();
    void (*sleepMs)(uint32_t);
};
const WaitClock &PlatformWaitClock();

// True once `now` lies after `deadline`. The clock wraps every 49.7 days, so
// only the signed difference tells before from after.
constexpr bool DeadlinePassed(uint32_t now, uint32_t deadline) {
    return static_cast<int32_t>(now - deadline) > 0;
}

struct LogFrame {
    uint8_t msgClass = 0;
    uint8_t msgId = 0;
    uint16_t crc = 0;
    size_t payloadSize = 0;
    uint8_t payload[ZUV_ECOM_MAX_PAYLOAD_SIZE];
};

// The frame as it was on the wire: N + 9 bytes into `out`, which holds at
// least ZUV_ECOM_MAX_FRAME_SIZE bytes. Returns the size written.
inline size_t WriteFrameBytes(const LogFrame &frame, uint8_t *out) {
    const size_t n = frame.payloadSize;
    out[0] = ZUV_ECOM_SYNC_1;
    out[1] = ZUV_ECOM_SYNC_2;
    out[2] = frame.msgId;
    out[3] = frame.msgClass;
    out[4] = static_cast<uint8_t>(n & 0xFFu);
    out[5] = static_cast<uint8_t>(n >> 8);
    if (n > 0) {
        std::memcpy(out + 6, frame.payload, n);
    }
    out[6 + n] = static_cast<uint8_t>(frame.crc & 0xFFu);
    out[7 + n] = static_cast<uint8_t>(frame.crc >> 8);
    out[8 + n] = ZUV_ECOM_ETX;
    return n + ZUV_ECOM_FRAME_OVERHEAD;
}

// `receive(frame)` makes one extraction attempt into `frame` and returns its
// result (10 when nothing complete is held). After an empty attempt it waits
// with `readable(ms)` for the link to have bytes, at most `ms` (an interface
// wait result); where that answers ZUV_IF_WAIT_UNSUPPORTED it sleeps 1 ms
// instead. It tries again at once after a dropped frame. `abandon()` ends the
// wait early (a component being stopped need not sit out its second).
template <typename Receive, typename Readable, typename Abandon>
bool WaitForLogFrameOrBytes(Receive &&receive, Readable &&readable, LogFrame &frame, const WaitClock &clock,
                            Abandon &&abandon, uint32_t timeoutMs = kLogFrameWaitMs) {
    const uint32_t deadline = clock.now() + timeoutMs;
    int fruitlessWakes = 0;
    for (;;) {
        const ZuvErrorCode rc = receive(frame);
        if (rc == ZUV_NO_ERROR && frame.msgClass <= 1) {
            return true;
        }
        if (rc == ZUV_NOT_READY) {
            const uint32_t now = clock.now();
            // Until the deadline has passed, that is one past it.
            const uint32_t left = DeadlinePassed(now, deadline) ? 0 : deadline - now + 1;
            ZuvInterfaceWaitResult woke = ZUV_IF_WAIT_UNSUPPORTED;
            if (fruitlessWakes < kFruitlessWakesBeforeSleep) {
                woke = readable(left < kReadableSliceMs ? left : kReadableSliceMs);
            }
            if (woke == ZUV_IF_WAIT_READABLE) {
                ++fruitlessWakes;
            } else {
                fruitlessWakes = 0;
            }
            if (woke == ZUV_IF_WAIT_UNSUPPORTED) {
                clock.sleepMs(1);
            }
        } else {
            fruitlessWakes = 0;  // a frame was dropped: bytes did come
        }
        if (DeadlinePassed(clock.now(), deadline) || abandon()) {
            return false;
        }
    }
}

// The same with a 1 ms sleep after each empty attempt.
template <typename Receive, typename Abandon>
bool WaitForLogFrame(Receive &&receive, LogFrame &frame, const WaitClock &clock, Abandon &&abandon,
                     uint32_t timeoutMs = kLogFrameWaitMs) {
    return WaitForLogFrameOrBytes(
        receive, [](uint32_t) { return ZUV_IF_WAIT_UNSUPPORTED; }, frame, clock, abandon, timeoutMs);
}

template <typename Receive>
bool WaitForLogFrame(Receive &&receive, LogFrame &frame, const WaitClock &clock) {
    return WaitForLogFrame(receive, frame, clock, [] { return false; });
}

}  // namespace zuv
