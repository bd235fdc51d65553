// Random bytes in random chunks through the in-memory interface into the frame
// extraction. Input: one control byte, then the stream.
//   control bits 0-2: chunking seed; bit 3: no payload buffer; bit 4: a small
//   maxSize; bit 5: some reads fail.
// Checks: only results 0, 2, 3, 8 and 10; never more than 4096 bytes held; every
// frame returned lies on the wire with its CRC and end byte; and the results do
// not depend on how the stream was cut.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "zuvExtractionHarness.h"

namespace {

using zuv::test::Bytes;

[[noreturn]] void fail(const char *what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

struct Outcome {
    ZuvErrorCode result;
    uint8_t id, msgClass;
    uint16_t crc;
    Bytes payload;
    bool operator==(const Outcome &o) const {
        return result == o.result && id == o.id && msgClass == o.msgClass && crc == o.crc && payload == o.payload;
    }
};

struct Settings {
    bool payloadBuffer;
    size_t maxSize;
};

std::vector<Outcome> run(const Bytes &stream, const std::vector<Bytes> &chunks, const Settings &settings,
                         uint32_t failEvery) {
    zuv::test::MemoryLink link;
    link.push(chunks);
    std::vector<Outcome> outcomes;
    static uint8_t payload[ZUV_ECOM_MAX_PAYLOAD_SIZE];
    // Every call consumes a read or a frame: this many calls always suffice.
    const size_t budget = 2 * (stream.size() + chunks.size()) + 16;
    size_t calls = 0;
    for (;;) {
        if (++calls > budget) fail("extraction does not make progress");
        if (failEvery != 0 && calls % failEvery == 0) {
            zuvInterfaceMemoryFailReads(link.interface(), 1, ZUV_READ_ERROR);
        }
        const bool sourceEmpty = link.pending() == 0;
        Outcome o{ZUV_NOT_READY, 0, 0, 0, {}};
        size_t size = 0;
        o.result = zuv::test::receive(link.protocol(), &o.msgClass, &o.id, settings.payloadBuffer ? payload : nullptr,
                                      &size, settings.maxSize, o.crc);
        if (link.protocol()->rxBufferSize > ZUV_ECOM_MAX_BUFFER_SIZE) fail("more than 4096 bytes held");
        switch (o.result) {
            case ZUV_NO_ERROR:
            case ZUV_NULL_POINTER:
            case ZUV_INVALID_CRC:
            case ZUV_BUFFER_OVERFLOW:
            case ZUV_NOT_READY: break;
            default: fail("unexpected result");
        }
        if (size > settings.maxSize || (size > 0 && o.result != ZUV_NO_ERROR)) fail("payload size out of place");
        o.payload.assign(payload, payload + size);
        if (o.result == ZUV_NO_ERROR) {
            // Rebuild the frame from what was returned: it must be on the wire, CRC and end byte included.
            uint8_t frame[ZUV_ECOM_MAX_FRAME_SIZE];
            size_t frameSize = 0;
            if (zuvEComFrameBuild(o.id, o.msgClass, o.payload.data(), o.payload.size(), frame, sizeof(frame),
                                  &frameSize) != ZUV_NO_ERROR) {
                fail("frame cannot be rebuilt");
            }
            if (static_cast<uint16_t>(frame[frameSize - 3] | (frame[frameSize - 2] << 8)) != o.crc) {
                fail("returned CRC is not the frame's");
            }
            if (std::search(stream.begin(), stream.end(), frame, frame + frameSize) == stream.end()) {
                fail("returned frame is not in the stream");
            }
        }
        if (o.result != ZUV_NOT_READY) {
            outcomes.push_back(std::move(o));
        } else if (sourceEmpty) {
            return outcomes;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    const uint8_t control = data[0];
    const Bytes stream(data + 1, data + size);
    const Settings settings{(control & 0x08) == 0, (control & 0x10) != 0 ? size_t{16} : ZUV_ECOM_MAX_PAYLOAD_SIZE};

    zuv::test::Rng rng(control & 0x07);
    const size_t maxChunk = size_t{1} << rng.between(0, 12);
    const std::vector<Bytes> chunks = zuv::test::chunk(rng, stream, maxChunk);
    const std::vector<Outcome> chunked = run(stream, chunks, settings, (control & 0x20) != 0 ? 3 : 0);
    const std::vector<Outcome> whole = run(stream, {stream}, settings, 0);
    if (!(chunked == whole)) fail("chunking changed the results");
    return 0;
}
