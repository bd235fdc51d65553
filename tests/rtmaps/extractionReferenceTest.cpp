// The package's extraction against the plain step-by-step one: fed the same
// chunks, every call must give the same result, out-arguments and held bytes.
// The package's routine moves the held bytes once per call and checks the CRC
// 16 bytes at a time; any slip in either shows up here as a diverging call.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "zuvExtractionHarness.h"
#include "zuvExtractionReference.h"

namespace zuv::test {
namespace {

void append(Bytes &to, const Bytes &bytes) {
    to.insert(to.end(), bytes.begin(), bytes.end());
}

// Everything the extraction must sort out, mixed at random.
Bytes hostileStream(Rng &rng, size_t pieces) {
    Bytes s;
    for (size_t i = 0; i < pieces; ++i) {
        Bytes wire = rng.frame().wire;
        switch (rng.between(0, 9)) {
            case 0: append(s, zuv::test::makeNoise(rng, rng.between(1, 60), zuv::test::Noise::Hostile)); break;
            case 1:  // wrong CRC
                wire[wire.size() - 3 + rng.between(0, 1)] ^= static_cast<uint8_t>(rng.between(1, 255));
                append(s, wire);
                break;
            case 2:  // payload bit flipped: the CRC no longer matches
                wire[2 + rng.between(0, wire.size() - 6)] ^= static_cast<uint8_t>(1u << rng.between(0, 7));
                append(s, wire);
                break;
            case 3:  // cut short, the next piece follows at once
                wire.resize(rng.between(1, wire.size() - 1));
                append(s, wire);
                break;
            case 4: {  // a length past the limit
                const size_t n = rng.between(ZUV_ECOM_MAX_PAYLOAD_SIZE + 1, 0xFFFF);
                append(s, Bytes{0xFF, 0x5A, rng.byte(), rng.byte(), static_cast<uint8_t>(n),
                                static_cast<uint8_t>(n >> 8)});
                break;
            }
            case 5:  // wrong end byte
                wire.back() = static_cast<uint8_t>(0x33 ^ rng.between(1, 255));
                append(s, wire);
                break;
            case 6:  // a lone first sync byte, or a pair at the very end of a piece
                append(s, rng.chance(0.5) ? Bytes{0xFF} : Bytes{0xFF, 0x5A});
                break;
            default: append(s, wire); break;
        }
    }
    return s;
}

struct Call {
    ZuvErrorCode result;
    uint8_t id, msgClass;
    uint16_t crc;
    size_t payloadSize;
    Bytes payload;
    Bytes held;
    size_t pending;
};

enum class PayloadArgs { Full, Small, NoBuffer, NoSize };

struct Case {
    uint64_t seed;
    size_t maxChunk;
    PayloadArgs args;
    bool failingReads;
};
void PrintTo(const Case &c, std::ostream *os) {
    *os << "seed " << c.seed << ", chunks up to " << c.maxChunk << ", args " << static_cast<int>(c.args)
        << (c.failingReads ? ", failing reads" : "");
}

template <typename Receive>
Call callOnce(MemoryLink &link, const Case &c, Receive receive) {
    // Untouched out-arguments keep these values, so "left alone" is compared too.
    Call call{ZUV_ERROR, 0xA5, 0xA5, 0xA5A5, 0xA5A5, {}, {}, 0};
    uint8_t payload[ZUV_ECOM_MAX_PAYLOAD_SIZE];
    std::memset(payload, 0xA5, sizeof payload);
    const size_t maxSize = c.args == PayloadArgs::Small ? 40 : sizeof payload;
    call.result =
        receive(link.protocol(), &call.msgClass, &call.id, c.args == PayloadArgs::NoBuffer ? nullptr : payload,
                c.args == PayloadArgs::NoSize ? nullptr : &call.payloadSize, maxSize, call.crc);
    call.payload.assign(payload, payload + sizeof payload);
    call.held = link.held();
    call.pending = link.pending();
    return call;
}

class ExtractionMatchesReference : public ::testing::TestWithParam<Case> {};

TEST_P(ExtractionMatchesReference, CallByCall) {
    const Case c = GetParam();
    Rng rng(c.seed);
    const Bytes stream = hostileStream(rng, 600);
    const std::vector<Bytes> chunks = zuv::test::chunk(rng, stream, c.maxChunk);
    MemoryLink fast;
    MemoryLink plain;
    fast.push(chunks);
    plain.push(chunks);

    size_t frames = 0, crcDrops = 0, calls = 0;
    for (; calls < 4 * (stream.size() + chunks.size()); ++calls) {
        if (c.failingReads && rng.chance(0.1)) {
            zuvInterfaceMemoryFailReads(fast.interface(), 1, ZUV_READ_ERROR);
            zuvInterfaceMemoryFailReads(plain.interface(), 1, ZUV_READ_ERROR);
        }
        const bool sourceEmpty = plain.pending() == 0;
        const Call got = callOnce(fast, c, zuv::Quarvelis_zuvEComProtocolReceive);
        const Call want = callOnce(plain, c, zuv::test::referenceReceive);
        ASSERT_EQ(got.result, want.result) << "call " << calls;
        ASSERT_EQ(got.id, want.id) << "call " << calls;
        ASSERT_EQ(got.msgClass, want.msgClass) << "call " << calls;
        ASSERT_EQ(got.crc, want.crc) << "call " << calls;
        ASSERT_EQ(got.payloadSize, want.payloadSize) << "call " << calls;
        ASSERT_EQ(got.payload, want.payload) << "call " << calls;
        ASSERT_EQ(got.held, want.held) << "call " << calls;
        ASSERT_EQ(got.pending, want.pending) << "call " << calls;
        // Taken whole: delivered, or refused for the payload arguments.
        frames += want.result == ZUV_NO_ERROR || want.result == ZUV_NULL_POINTER || want.result == ZUV_BUFFER_OVERFLOW;
        crcDrops += want.result == ZUV_INVALID_CRC;
        if (want.result == ZUV_NOT_READY && sourceEmpty) {
            break;
        }
    }
    EXPECT_EQ(plain.pending(), 0u) << "stream not used up in " << calls << " calls";
    // The stream must give both good frames and CRC drops, or the comparison proves little.
    EXPECT_GT(frames, 40u);
    EXPECT_GT(crcDrops, 10u);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, ExtractionMatchesReference,
    ::testing::Values(Case{1, 1, PayloadArgs::Full, false}, Case{2, 7, PayloadArgs::Full, true},
                      Case{3, 67, PayloadArgs::Small, false}, Case{4, 300, PayloadArgs::NoBuffer, true},
                      Case{5, 1400, PayloadArgs::Full, false}, Case{6, 1400, PayloadArgs::NoSize, true},
                      Case{7, 4096, PayloadArgs::Full, true}, Case{8, 9000, PayloadArgs::Small, false}),
    [](const ::testing::TestParamInfo<Case> &p) {
        return "seed" + std::to_string(p.param.seed) + "_chunk" + std::to_string(p.param.maxChunk) + "_args" +
               std::to_string(static_cast<int>(p.param.args)) + (p.param.failingReads ? "_failing" : "");
    });

// Held bytes the library left (a command's wait) meet the extraction in any
// state: full, ending in a lone 0xFF, a header cut short.
TEST(ExtractionMatchesReferenceFromHeldBytes, AnyStartingBuffer) {
    Rng rng(99);
    for (int round = 0; round < 400; ++round) {
        Bytes start = hostileStream(rng, rng.between(1, 80));
        start.resize(std::min<size_t>(
            start.size(), rng.chance(0.3) ? ZUV_ECOM_MAX_BUFFER_SIZE : rng.between(0, ZUV_ECOM_MAX_BUFFER_SIZE)));
        const Bytes more = hostileStream(rng, 20);
        MemoryLink fast, plain;
        fast.hold(start);
        plain.hold(start);
        const std::vector<Bytes> chunks = zuv::test::chunk(rng, more, 500);
        fast.push(chunks);
        plain.push(chunks);
        const Case c{0, 0, PayloadArgs::Full, false};
        const Call got = callOnce(fast, c, zuv::Quarvelis_zuvEComProtocolReceive);
        const Call want = callOnce(plain, c, zuv::test::referenceReceive);
        ASSERT_EQ(got.result, want.result) << "round " << round;
        ASSERT_EQ(got.id, want.id) << "round " << round;
        ASSERT_EQ(got.crc, want.crc) << "round " << round;
        ASSERT_EQ(got.payload, want.payload) << "round " << round;
        ASSERT_EQ(got.held, want.held) << "round " << round;
    }
}

}  // namespace
}  // namespace zuv::test
