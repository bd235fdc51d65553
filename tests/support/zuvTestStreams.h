// Frames, noise and chunked delivery for tests, benchmarks and fuzz targets.
// Frames come from the library's own frame builder, so a test compares what a
// reader extracts with what a sender would put on the wire.
// Errors: a builder failure aborts (a broken fixture, not a test outcome).
// Threading: none; every object belongs to one thread.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <utility>
#include <vector>

#include "zuvEComProtocol.h"
#include "zuvInterfaceMemory.h"

namespace zuv::test {

using Bytes = std::vector<uint8_t>;

struct Frame {
    uint8_t id = 0;
    uint8_t msgClass = 0;
    Bytes payload;
    uint16_t crc = 0;  // the CRC field as on the wire
    Bytes wire;        // the whole frame, sync to end byte
};

inline Frame makeFrame(uint8_t id, uint8_t msgClass, Bytes payload) {
    Frame frame;
    frame.id = id;
    frame.msgClass = msgClass;
    frame.payload = std::move(payload);
    frame.wire.resize(frame.payload.size() + ZUV_ECOM_FRAME_OVERHEAD);
    size_t size = 0;
    if (zuvEComFrameBuild(id, msgClass, frame.payload.data(), frame.payload.size(), frame.wire.data(),
                          frame.wire.size(), &size) != ZUV_NO_ERROR ||
        size != frame.wire.size()) {
        std::fprintf(stderr, "zuvEComFrameBuild refused a %zu-byte payload\n", frame.payload.size());
        std::abort();
    }
    frame.crc = static_cast<uint16_t>(frame.wire[size - 3] | (frame.wire[size - 2] << 8));
    return frame;
}

// Deterministic source of everything random in a test, so a failure replays from its seed.
class Rng {
public:
    explicit Rng(uint64_t seed) : engine_(seed) {}

    // Uniform in [lo, hi].
    size_t between(size_t lo, size_t hi) { return std::uniform_int_distribution<size_t>(lo, hi)(engine_); }
    uint8_t byte() { return static_cast<uint8_t>(between(0, 255)); }
    bool chance(double p) { return std::bernoulli_distribution(p)(engine_); }

    Bytes bytes(size_t n) {
        Bytes out(n);
        for (auto &b : out) {
            b = byte();
        }
        return out;
    }

    // Mostly log-sized payloads, now and then one up to the protocol's limit.
    size_t payloadSize() {
        if (chance(0.05)) {
            return between(0, ZUV_ECOM_MAX_PAYLOAD_SIZE);
        }
        return between(0, 120);
    }

    Frame frame() {
        const uint8_t id = byte();
        const uint8_t msgClass = byte();
        return makeFrame(id, msgClass, bytes(payloadSize()));
    }

    std::mt19937_64 &engine() { return engine_; }

private:
    std::mt19937_64 engine_;
};

enum class Noise {
    NoSyncByte,  // any byte but 0xFF: cannot start a sync pair
    Hostile,     // rich in 0xFF, 0x5A and 0x33, so false headers and end bytes show up often
};

inline Bytes makeNoise(Rng &rng, size_t n, Noise kind) {
    Bytes out(n);
    for (auto &b : out) {
        if (kind == Noise::NoSyncByte) {
            b = static_cast<uint8_t>(rng.between(0, 0xFE));
            continue;
        }
        switch (rng.between(0, 5)) {
            case 0: b = 0xFF; break;
            case 1: b = 0x5A; break;
            case 2: b = 0x33; break;
            case 3: b = static_cast<uint8_t>(rng.between(0, 15)); break;  // short false lengths
            default: b = rng.byte(); break;
        }
    }
    return out;
}

// Splits a stream into chunks of 1..maxChunk bytes (0-byte chunks now and then: empty reads).
inline std::vector<Bytes> chunk(Rng &rng, const Bytes &stream, size_t maxChunk) {
    std::vector<Bytes> chunks;
    size_t at = 0;
    while (at < stream.size()) {
        if (rng.chance(0.02)) {
            chunks.emplace_back();
            continue;
        }
        const size_t n = std::min(rng.between(1, maxChunk), stream.size() - at);
        chunks.emplace_back(stream.begin() + static_cast<std::ptrdiff_t>(at),
                            stream.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
    }
    return chunks;
}

// An in-memory interface linked to a protocol record, as the device link would set them up.
class MemoryLink {
public:
    MemoryLink() {
        if (zuvInterfaceMemoryCreate(&interface_) != ZUV_NO_ERROR) {
            std::abort();
        }
        protocol_.pLinkedInterface = &interface_;
        protocol_.rxBufferSize = 0;
    }
    ~MemoryLink() { zuvInterfaceMemoryDestroy(&interface_); }
    MemoryLink(const MemoryLink &) = delete;
    MemoryLink &operator=(const MemoryLink &) = delete;

    void push(const Bytes &bytes) { zuvInterfaceMemoryPushChunk(&interface_, bytes.data(), bytes.size()); }
    void push(const std::vector<Bytes> &chunks) {
        for (const Bytes &c : chunks) {
            push(c);
        }
    }
    // Held bytes first, then whatever the protocol reads next.
    void hold(const Bytes &bytes) {
        std::copy(bytes.begin(), bytes.end(), protocol_.rxBuffer);
        protocol_.rxBufferSize = bytes.size();
    }
    Bytes held() const { return Bytes(protocol_.rxBuffer, protocol_.rxBuffer + protocol_.rxBufferSize); }
    size_t pending() const { return zuvInterfaceMemoryPending(&interface_); }

    ZuvEComProtocol *protocol() { return &protocol_; }
    ZuvInterface *interface() { return &interface_; }

private:
    ZuvInterface interface_{};
    ZuvEComProtocol protocol_{};
};

}  // namespace zuv::test
