// The reader's link counts, derived around the frame extraction: the link's
// reads pass through a relay interface that counts bytes and read errors, and
// each extraction is measured by what it took out of the receive buffer.
//
// The relay also keeps a copy of what commands read while they run (the rate
// commands after a reconnection): their wait hands log frames to the library's
// callback, so the reader takes them out of that copy afterwards instead.
//
// The relay forwards the link's wait (readable at once while the copy is
// being replayed).
// Errors: receive() returns the extraction's result unchanged. A read error is
// kept for takeReadFailure() with its errno (0 for a hang-up without one).
// Threading: none of its own; used under the reader's link lock. Allocates
// nothing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "zuvEComProtocol.h"
#include "zuvInterface.h"
#include "zuvLogFrameWait.h"

namespace zuv {

// Elements of oLinkStatistics, in order.
enum LinkCount : size_t {
    kBytesReceived,
    kFramesPublished,
    kCrcDrops,
    kBytesDiscarded,
    kClassDrops,
    kReadErrors,
    kLinkLosses,
    kReconnections,
    kKernelDrops,
    kLinkCountSize
};
using LinkCounts = std::array<int64_t, kLinkCountSize>;

class LinkStatistics {
public:
    LinkStatistics();
    LinkStatistics(const LinkStatistics &) = delete;
    LinkStatistics &operator=(const LinkStatistics &) = delete;

    // Routes the protocol's reads through the relay; call again after every
    // (re)open, which points the protocol back at its interface.
    void attach(ZuvEComProtocol *protocol);
    // One extraction into `frame` (bytes left from a command's wait first).
    ZuvErrorCode receive(ZuvEComProtocol *protocol, LogFrame &frame);

    // Keeps a copy of every byte read from now on...
    void beginCommandCopy();
    // ...until here: the bytes the commands left unparsed are in the copy too.
    void endCommandCopy(ZuvEComProtocol *protocol);

    bool takeReadFailure(int &osError);
    void count(LinkCount which, int64_t n = 1) { counts_[which] += n; }
    // Off: frames are extracted without counting what was dropped or discarded (bytes
    // received, read errors and the other counts go on).
    void setDropAccounting(bool on) { measureDrops_ = on; }
    const LinkCounts &counts() const { return counts_; }

private:
    static ZuvErrorCode relayRead(ZuvInterface *relay, void *buffer, size_t *readBytes, size_t bytesToRead);
    static ZuvErrorCode relayWrite(ZuvInterface *relay, const void *buffer, size_t bytesToWrite);
    static ZuvErrorCode relayFlush(ZuvInterface *relay);
    static ZuvInterfaceWaitResult relayWait(ZuvInterface *relay, uint32_t timeoutMs);
    static ZuvErrorCode copyRead(ZuvInterface *source, void *buffer, size_t *readBytes, size_t bytesToRead);
    ZuvErrorCode measure(ZuvEComProtocol *protocol, LogFrame &frame, bool fromCopy);
    size_t droppedFrameSize(size_t removed) const;

    LinkCounts counts_{};
    ZuvInterface relay_{};
    ZuvInterface *target_ = nullptr;
    bool readFailed_ = false;
    int readErrno_ = 0;

    // The held bytes as the extraction saw them, to size a frame it dropped.
    bool measureDrops_ = true;
    bool snapshotting_ = false;
    size_t snapshotSize_ = 0;
    uint8_t snapshot_[ZUV_ECOM_MAX_BUFFER_SIZE];

    // What commands read, and the protocol record that extracts frames from it.
    static constexpr size_t kCopySize = 64 * 1024;
    bool copying_ = false;
    bool copyOverflowed_ = false;
    bool replaying_ = false;
    size_t copySize_ = 0;
    size_t copyOffset_ = 0;
    uint8_t copy_[kCopySize];
    ZuvInterface copySource_{};
    ZuvEComProtocol replay_{};
};

}  // namespace zuv
