#include "zuvLinkStatistics.h"

#include <cerrno>
#include <cstring>

#include "zuvEComIds.h"
#include "zuvFrameExtraction.h"
#include "zuvInterfaceUdp.h"

namespace zuv {

LinkStatistics::LinkStatistics() {
    relay_.handle = this;
    // Not the target's type: nothing may take the relay for a serial or UDP record.
    relay_.type = ZUV_IF_TYPE_CUSTOM;
    std::memcpy(relay_.name, "link statistics", sizeof "link statistics");
    relay_.pReadFunc = &LinkStatistics::relayRead;
    relay_.pWriteFunc = &LinkStatistics::relayWrite;
    relay_.pFlushFunc = &LinkStatistics::relayFlush;
    relay_.pWaitFunc = &LinkStatistics::relayWait;
    copySource_.handle = this;
    copySource_.type = ZUV_IF_TYPE_CUSTOM;
    copySource_.pReadFunc = &LinkStatistics::copyRead;
    replay_.pLinkedInterface = &copySource_;
}

void LinkStatistics::attach(ZuvEComProtocol *protocol) {
    if (protocol->pLinkedInterface == &relay_ || protocol->pLinkedInterface == nullptr) {
        return;
    }
    target_ = protocol->pLinkedInterface;
    protocol->pLinkedInterface = &relay_;
}

ZuvErrorCode LinkStatistics::relayRead(ZuvInterface *relay, void *buffer, size_t *readBytes, size_t bytesToRead) {
    auto &self = *static_cast<LinkStatistics *>(relay->handle);
    errno = 0;
    const ZuvErrorCode rc = zuvInterfaceRead(self.target_, buffer, readBytes, bytesToRead);
    if (rc == ZUV_READ_ERROR) {
        ++self.counts_[kReadErrors];
        self.readFailed_ = true;
        self.readErrno_ = errno;
        return rc;
    }
    if (rc != ZUV_NO_ERROR || *readBytes == 0) {
        return rc;
    }
    const size_t n = *readBytes;
    self.counts_[kBytesReceived] += static_cast<int64_t>(n);
    if (self.snapshotting_ && self.snapshotSize_ + n <= sizeof self.snapshot_) {
        std::memcpy(self.snapshot_ + self.snapshotSize_, buffer, n);
        self.snapshotSize_ += n;
    }
    if (self.copying_) {
        const size_t room = kCopySize - self.copySize_;
        const size_t kept = n < room ? n : room;
        std::memcpy(self.copy_ + self.copySize_, buffer, kept);
        self.copySize_ += kept;
        self.copyOverflowed_ = self.copyOverflowed_ || kept < n;
    }
    if (self.target_->type == ZUV_IF_TYPE_UDP) {
        uint64_t drops = 0;
        if (zuvInterfaceUdpGetDropCount(self.target_, &drops) == ZUV_NO_ERROR) {
            self.counts_[kKernelDrops] = static_cast<int64_t>(drops);
        }
    }
    return rc;
}

ZuvErrorCode LinkStatistics::relayWrite(ZuvInterface *relay, const void *buffer, size_t bytesToWrite) {
    return zuvInterfaceWrite(static_cast<LinkStatistics *>(relay->handle)->target_, buffer, bytesToWrite);
}

ZuvErrorCode LinkStatistics::relayFlush(ZuvInterface *relay) {
    return zuvInterfaceFlush(static_cast<LinkStatistics *>(relay->handle)->target_);
}

ZuvInterfaceWaitResult LinkStatistics::relayWait(ZuvInterface *relay, uint32_t timeoutMs) {
    auto &self = *static_cast<LinkStatistics *>(relay->handle);
    if (self.replaying_) {
        return ZUV_IF_WAIT_READABLE;
    }
    return zuvInterfaceWaitReadable(self.target_, timeoutMs);
}

ZuvErrorCode LinkStatistics::copyRead(ZuvInterface *source, void *buffer, size_t *readBytes, size_t bytesToRead) {
    auto &self = *static_cast<LinkStatistics *>(source->handle);
    const size_t left = self.copySize_ - self.copyOffset_;
    const size_t n = left < bytesToRead ? left : bytesToRead;
    std::memcpy(buffer, self.copy_ + self.copyOffset_, n);
    self.copyOffset_ += n;
    *readBytes = n;
    if (self.snapshotting_ && self.snapshotSize_ + n <= sizeof self.snapshot_) {
        std::memcpy(self.snapshot_ + self.snapshotSize_, buffer, n);
        self.snapshotSize_ += n;
    }
    return ZUV_NO_ERROR;
}

void LinkStatistics::beginCommandCopy() {
    copying_ = true;
    copyOverflowed_ = false;
    copySize_ = copyOffset_ = 0;
}

void LinkStatistics::endCommandCopy(ZuvEComProtocol *protocol) {
    copying_ = false;
    if (copyOverflowed_ || copySize_ == 0) {
        return;  // too much to keep: what the commands passed over is lost, as at start
    }
    // Bytes held unparsed are the copy's tail: they are served from the copy.
    protocol->rxBufferSize = 0;
    replay_.rxBufferSize = 0;
    copyOffset_ = 0;
    replaying_ = true;
}

bool LinkStatistics::takeReadFailure(int &osError) {
    if (!readFailed_) {
        return false;
    }
    readFailed_ = false;
    osError = readErrno_;
    return true;
}

ZuvErrorCode LinkStatistics::receive(ZuvEComProtocol *protocol, LogFrame &frame) {
    attach(protocol);
    if (!replaying_) {
        return measure(protocol, frame, false);
    }
    const ZuvErrorCode rc = measure(&replay_, frame, true);
    if (rc == ZUV_NOT_READY && copyOffset_ == copySize_) {
        // The copy is used up; a frame begun in it goes on with the link's next bytes.
        std::memcpy(protocol->rxBuffer, replay_.rxBuffer, replay_.rxBufferSize);
        protocol->rxBufferSize = replay_.rxBufferSize;
        replay_.rxBufferSize = 0;
        replaying_ = false;
    }
    return rc;
}

ZuvErrorCode LinkStatistics::measure(ZuvEComProtocol *protocol, LogFrame &frame, bool fromCopy) {
    if (!measureDrops_) {
        // Nobody publishes the drops: spare Core the copy of the held bytes.
        return Quarvelis_zuvEComProtocolReceive(protocol, &frame.msgClass, &frame.msgId, frame.payload,
                                                &frame.payloadSize, sizeof frame.payload, frame.crc);
    }
    const size_t heldBefore = protocol->rxBufferSize;
    std::memcpy(snapshot_, protocol->rxBuffer, heldBefore);
    snapshotSize_ = heldBefore;
    snapshotting_ = true;
    const ZuvErrorCode rc = Quarvelis_zuvEComProtocolReceive(protocol, &frame.msgClass, &frame.msgId, frame.payload,
                                                             &frame.payloadSize, sizeof frame.payload, frame.crc);
    snapshotting_ = false;
    const size_t removed = snapshotSize_ - protocol->rxBufferSize;
    size_t frameBytes = 0;
    if (rc == ZUV_NO_ERROR) {
        frameBytes = frame.payloadSize + ZUV_ECOM_FRAME_OVERHEAD;
        // Command answers in the copy were the commands' own business.
        if (frame.msgClass > 1 && !(fromCopy && frame.msgClass == ZUV_ECOM_CLASS_CMD_0)) {
            ++counts_[kClassDrops];
        }
    } else if (rc != ZUV_NOT_READY) {
        frameBytes = droppedFrameSize(removed);
        if (rc == ZUV_INVALID_CRC) {
            ++counts_[kCrcDrops];
        }
    }
    if (removed > frameBytes) {
        counts_[kBytesDiscarded] += static_cast<int64_t>(removed - frameBytes);
    }
    return rc;
}

// A dropped frame is the last thing the extraction removed: find the sync pair
// whose length field makes a frame end exactly there.
size_t LinkStatistics::droppedFrameSize(size_t removed) const {
    for (size_t s = 0; s + 6 <= snapshotSize_ && s < removed; ++s) {
        if (snapshot_[s] != ZUV_ECOM_SYNC_1 || snapshot_[s + 1] != ZUV_ECOM_SYNC_2) {
            continue;
        }
        const size_t length = snapshot_[s + 4] | (static_cast<size_t>(snapshot_[s + 5]) << 8);
        if (s + length + ZUV_ECOM_FRAME_OVERHEAD == removed) {
            return length + ZUV_ECOM_FRAME_OVERHEAD;
        }
    }
    return 0;
}

}  // namespace zuv
