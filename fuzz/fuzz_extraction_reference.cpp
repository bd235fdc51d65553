// The package's extraction and the step-by-step one on the same chunks.
// Input: one control byte, then the stream.
//   control bits 0-2: chunking seed; bit 3: no payload buffer; bit 4: a small
//   maxSize; bit 5: some reads fail; bit 6: the first bytes start out held.
// Checks: every call gives the same result, out-arguments and held bytes, and
// consumes the same reads.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "zuvExtractionHarness.h"
#include "zuvExtractionReference.h"

namespace {

using zuv::test::Bytes;

[[noreturn]] void fail(const char *what, size_t call) {
    std::fprintf(stderr, "call %zu: %s differs from the step-by-step extraction\n", call, what);
    std::abort();
}

struct Call {
    ZuvErrorCode result = ZUV_ERROR;
    uint8_t id = 0xA5, msgClass = 0xA5;
    uint16_t crc = 0xA5A5;
    size_t payloadSize = 0xA5A5;
    uint8_t payload[ZUV_ECOM_MAX_PAYLOAD_SIZE];
};

template <typename Receive>
void callOnce(zuv::test::MemoryLink &link, uint8_t control, Receive receive, Call &call) {
    std::memset(call.payload, 0xA5, sizeof call.payload);
    call = Call{};
    call.result = receive(link.protocol(), &call.msgClass, &call.id, (control & 0x08) ? nullptr : call.payload,
                          &call.payloadSize, (control & 0x10) ? 16 : sizeof call.payload, call.crc);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    const uint8_t control = data[0];
    const Bytes stream(data + 1, data + size);
    zuv::test::Rng rng(control & 0x07);
    zuv::test::MemoryLink fast, plain;
    size_t from = 0;
    if (control & 0x40) {
        from = std::min<size_t>(stream.size(), ZUV_ECOM_MAX_BUFFER_SIZE);
        const Bytes held(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(from));
        fast.hold(held);
        plain.hold(held);
    }
    const Bytes rest(stream.begin() + static_cast<std::ptrdiff_t>(from), stream.end());
    const std::vector<Bytes> chunks = zuv::test::chunk(rng, rest, size_t{1} << rng.between(0, 12));
    fast.push(chunks);
    plain.push(chunks);

    static Call got, want;
    const size_t budget = 2 * (stream.size() + chunks.size()) + 16;
    for (size_t call = 0; call < budget; ++call) {
        if ((control & 0x20) && call % 3 == 0) {
            zuvInterfaceMemoryFailReads(fast.interface(), 1, ZUV_READ_ERROR);
            zuvInterfaceMemoryFailReads(plain.interface(), 1, ZUV_READ_ERROR);
        }
        const bool sourceEmpty = plain.pending() == 0;
        callOnce(fast, control, zuv::Quarvelis_zuvEComProtocolReceive, got);
        callOnce(plain, control, zuv::test::referenceReceive, want);
        if (got.result != want.result) fail("result", call);
        if (got.id != want.id || got.msgClass != want.msgClass) fail("id or class", call);
        if (got.crc != want.crc) fail("frame CRC", call);
        if (got.payloadSize != want.payloadSize || std::memcmp(got.payload, want.payload, sizeof got.payload) != 0) {
            fail("payload", call);
        }
        if (fast.held() != plain.held()) fail("held bytes", call);
        if (fast.pending() != plain.pending()) fail("bytes read", call);
        if (want.result == ZUV_NOT_READY && sourceEmpty) return 0;
    }
    fail("progress", budget);
}
