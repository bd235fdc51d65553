// Random bytes in random chunks through the reader's counted extraction.
// Input: one control byte (chunking seed, bits 0-2), then the stream.
// Checks: the counted extraction gives exactly the plain extraction's results;
// every byte is read once and counted once; discarded bytes and dropped frames
// never exceed what arrived.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "zuvExtractionHarness.h"
#include "zuvLinkStatistics.h"

namespace {

using zuv::test::Bytes;

[[noreturn]] void fail(const char *what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    const Bytes stream(data + 1, data + size);
    zuv::test::Rng rng(data[0] & 0x07);
    const std::vector<Bytes> chunks = zuv::test::chunk(rng, stream, size_t{1} << rng.between(0, 12));

    zuv::test::MemoryLink plain;
    plain.push(chunks);
    const std::vector<zuv::test::Extracted> expected = zuv::test::drain(plain);

    zuv::test::MemoryLink counted;
    counted.push(chunks);
    auto statistics = std::make_unique<zuv::LinkStatistics>();
    auto frame = std::make_unique<zuv::LogFrame>();
    size_t index = 0;
    int64_t frameBytes = 0;
    for (size_t calls = 0;; ++calls) {
        if (calls > 2 * (stream.size() + chunks.size()) + 16) fail("no progress");
        const bool sourceEmpty = counted.pending() == 0;
        const ZuvErrorCode rc = statistics->receive(counted.protocol(), *frame);
        if (rc == ZUV_NOT_READY) {
            if (sourceEmpty) break;
            continue;
        }
        if (index >= expected.size() || expected[index].result != rc) fail("results differ from the plain extraction");
        if (rc == ZUV_NO_ERROR) {
            const zuv::test::Extracted &e = expected[index];
            if (e.id != frame->msgId || e.msgClass != frame->msgClass || e.payload.size() != frame->payloadSize) {
                fail("frame differs from the plain extraction");
            }
            frameBytes += static_cast<int64_t>(frame->payloadSize + ZUV_ECOM_FRAME_OVERHEAD);
        }
        ++index;
    }
    if (index != expected.size()) fail("fewer results than the plain extraction");
    const zuv::LinkCounts &c = statistics->counts();
    if (c[zuv::kBytesReceived] != static_cast<int64_t>(stream.size())) fail("bytes received miscounted");
    const int64_t held = static_cast<int64_t>(counted.protocol()->rxBufferSize);
    if (c[zuv::kBytesDiscarded] + frameBytes + held > c[zuv::kBytesReceived]) fail("more bytes accounted than came");
    for (const int64_t n : c) {
        if (n < 0) fail("negative count");
    }
    return 0;
}
