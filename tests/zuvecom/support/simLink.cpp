#include "simLink.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "zuvCrc.h"

namespace zuv::test {

Bytes buildFrame(uint8_t msgId, uint8_t msgClass, const Bytes &payload) {
    Bytes frame(payload.size() + ZUV_ECOM_FRAME_OVERHEAD);
    size_t size = 0;
    if (zuvEComFrameBuild(msgId, msgClass, payload.data(), payload.size(), frame.data(), frame.size(), &size) !=
        ZUV_NO_ERROR) {
        throw std::runtime_error("buildFrame: payload too large");
    }
    return frame;
}

Bytes ackPayload(uint8_t cmdId, uint16_t errorCode) {
    return {cmdId, ZUV_ECOM_CLASS_CMD_0, static_cast<uint8_t>(errorCode), static_cast<uint8_t>(errorCode >> 8)};
}

SimLink::SimLink(sim::SimConfig config) {
    config.clock = sim::ClockMode::Manual;
    config.link = sim::LinkKind::None;
    device_ = std::make_unique<sim::Simulator>(std::move(config));
    device_->setFrameTap(
        [this](const sim::SentFrame &sent) { incoming_.insert(incoming_.end(), sent.bytes, sent.bytes + sent.size); });
    if (device_->start() != ZUV_NO_ERROR) {
        throw std::runtime_error("simulator: " + device_->errorText());
    }
    zuvInterfaceZeroInit(&interface_);
    interface_.handle = this;
    interface_.type = ZUV_IF_TYPE_CUSTOM;
    std::strcpy(interface_.name, "simulator in memory");
    interface_.pReadFunc = readOp;
    interface_.pWriteFunc = writeOp;
}

SimLink::~SimLink() {
    device_->stop();
}

size_t SimLink::requestCount(uint8_t cmdId) const {
    return static_cast<size_t>(std::count_if(requests_.begin(), requests_.end(),
                                             [cmdId](const auto &request) { return request.first == cmdId; }));
}

ZuvErrorCode SimLink::readOp(ZuvInterface *pInterface, void *pBuffer, size_t *pReadBytes, size_t bytesToRead) {
    auto *link = static_cast<SimLink *>(pInterface->handle);
    *pReadBytes = 0;
    if (link->readFailure_ != ZUV_NO_ERROR) {
        return link->readFailure_;
    }
    const size_t n = std::min(bytesToRead, link->incoming_.size());
    std::copy_n(link->incoming_.begin(), n, static_cast<uint8_t *>(pBuffer));
    link->incoming_.erase(link->incoming_.begin(), link->incoming_.begin() + static_cast<long>(n));
    *pReadBytes = n;
    return ZUV_NO_ERROR;
}

ZuvErrorCode SimLink::writeOp(ZuvInterface *pInterface, const void *pBuffer, size_t bytesToWrite) {
    auto *link = static_cast<SimLink *>(pInterface->handle);
    if (link->writeFailure_ != ZUV_NO_ERROR) {
        return link->writeFailure_;
    }
    link->write(static_cast<const uint8_t *>(pBuffer), bytesToWrite);
    return ZUV_NO_ERROR;
}

// Cuts the written bytes into frames: each good command frame is recorded,
// shown to its hook and, unless the hook keeps it, handed to the device.
void SimLink::write(const uint8_t *pData, size_t size) {
    outgoing_.insert(outgoing_.end(), pData, pData + size);
    for (;;) {
        size_t start = 0;
        while (start + 1 < outgoing_.size() && !(outgoing_[start] == 0xFF && outgoing_[start + 1] == 0x5A)) {
            ++start;
        }
        outgoing_.erase(outgoing_.begin(), outgoing_.begin() + static_cast<long>(start));
        if (outgoing_.size() < 6) {
            return;
        }
        const size_t n = outgoing_[4] | (outgoing_[5] << 8);
        if (outgoing_.size() < n + 9) {
            return;
        }
        const Bytes frame(outgoing_.begin(), outgoing_.begin() + static_cast<long>(n + 9));
        outgoing_.erase(outgoing_.begin(), outgoing_.begin() + static_cast<long>(n + 9));
        const uint16_t crc = static_cast<uint16_t>(frame[6 + n] | (frame[7 + n] << 8));
        const bool good =
            frame[8 + n] == 0x33 && zuvCrc16Compute(frame.data() + 2, n + 4) == crc && frame[3] == ZUV_ECOM_CLASS_CMD_0;
        if (!good) {
            continue;
        }
        const uint8_t cmdId = frame[2];
        const Bytes request(frame.begin() + 6, frame.begin() + 6 + static_cast<long>(n));
        requests_.emplace_back(cmdId, request);
        const auto hook = hooks_.find(cmdId);
        if (hook == hooks_.end() || hook->second(*this, request)) {
            device_->receive(frame.data(), frame.size());
        }
    }
}

}  // namespace zuv::test
