#include "zuvCrc.h"

#include <array>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// kCrc16Tables[k][b]: the effect of byte b followed by k zero bytes, so that
// eight bytes fold in one step (same result as the byte-wise table loop).
struct Crc16Tables {
    std::array<std::array<uint16_t, 256>, 8> t{};
    constexpr Crc16Tables() {
        for (unsigned b = 0; b < 256; ++b) {
            uint16_t crc = static_cast<uint16_t>(b);
            for (int bit = 0; bit < 8; ++bit) {
                crc = (crc & 1u) ? static_cast<uint16_t>((crc >> 1) ^ 0x8408u) : static_cast<uint16_t>(crc >> 1);
            }
            t[0][b] = crc;
        }
        for (unsigned k = 1; k < 8; ++k) {
            for (unsigned b = 0; b < 256; ++b) {
                const uint16_t prev = t[k - 1][b];
                t[k][b] = static_cast<uint16_t>((prev >> 8) ^ t[0][prev & 0xFFu]);
            }
        }
    }
};

struct Crc32Table {
    std::array<uint32_t, 256> t{};
    constexpr Crc32Table() {
        for (uint32_t b = 0; b < 256; ++b) {
            uint32_t crc = b << 24;
            for (int bit = 0; bit < 8; ++bit) {
                crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
            }
            t[b] = crc;
        }
    }
};

constexpr Crc16Tables kCrc16{};
constexpr Crc32Table kCrc32{};

static_assert(kCrc16.t[0][1] == 0x1189, "CRC-16 table entry 1");
static_assert(kCrc32.t[1] == 0x04C11DB7u, "CRC-32 table entry 1");

inline uint32_t crc32Step(uint32_t crc, uint8_t byte) {
    return (crc << 8) ^ kCrc32.t[((crc >> 24) ^ byte) & 0xFFu];
}

// Eight bytes per step through the sliced tables.
uint16_t crc16Tables(uint16_t crc, const uint8_t *p, size_t n) {
    const auto &t = kCrc16.t;
    while (n >= 8) {
        const unsigned x = crc ^ (static_cast<unsigned>(p[0]) | (static_cast<unsigned>(p[1]) << 8));
        crc = static_cast<uint16_t>(t[7][x & 0xFFu] ^ t[6][x >> 8] ^ t[5][p[2]] ^ t[4][p[3]] ^ t[3][p[4]] ^ t[2][p[5]] ^
                                    t[1][p[6]] ^ t[0][p[7]]);
        p += 8;
        n -= 8;
    }
    while (n-- > 0) {
        crc = static_cast<uint16_t>((crc >> 8) ^ t[0][(crc ^ *p++) & 0xFFu]);
    }
    return crc;
}

#if defined(__x86_64__)
// Carry-less folding, 16 bytes per step. The register holds the stream bits in
// arrival order (bit 0 first, i.e. the highest power), so a 64x64 product comes
// out one power short: the constants are x^(e-1) mod P to fold a half by x^e.
// What is left is folded down to eight bytes with the same remainder; the tables finish it.
constexpr uint64_t reflectedPowerOfX(unsigned e) {
    uint32_t r = 1;
    for (unsigned i = 0; i < e; ++i) {
        r <<= 1;
        if (r & 0x10000u) {
            r ^= 0x11021u;
        }
    }
    uint64_t out = 0;
    for (unsigned d = 0; d < 16; ++d) {
        if ((r >> d) & 1u) {
            out |= uint64_t{1} << (63 - d);
        }
    }
    return out;
}
constexpr uint64_t kFoldHigh = reflectedPowerOfX(191);  // first half: 192 powers on
constexpr uint64_t kFoldLow = reflectedPowerOfX(127);   // second half: 128 powers on
constexpr uint64_t kFoldHalf = reflectedPowerOfX(63);   // first half onto the second: 64 powers on

// Byte shuffles that move the first r bytes of a block to its end (zeros in front).
alignas(16) constexpr uint8_t kShiftToEnd[32] = {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80,
                                                 0x80, 0x80, 0x80, 0x80, 0x80, 0,    1,    2,    3,    4,    5,
                                                 6,    7,    8,    9,    10,   11,   12,   13,   14,   15};

__attribute__((target("pclmul,ssse3"))) inline __m128i fold(__m128i f, __m128i k, __m128i next) {
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(f, k, 0x00), _mm_clmulepi64_si128(f, k, 0x11)), next);
}

// n >= 16. Leading zero bytes leave a remainder unchanged, so the n % 16 odd
// bytes are padded in front to make the first block; the state enters as an
// XOR over the first two bytes, as in the byte-wise loop.
__attribute__((target("pclmul,ssse3"))) uint16_t crc16Fold(uint16_t crc, const uint8_t *p, size_t n) {
    const size_t r = n % 16;
    const __m128i k = _mm_set_epi64x(static_cast<long long>(kFoldLow), static_cast<long long>(kFoldHigh));
    const __m128i state = _mm_cvtsi32_si128(crc);
    __m128i f;
    if (r == 0) {
        f = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)), state);
        p += 16;
        n -= 16;
    } else {
        const __m128i first = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)), state);
        f = _mm_shuffle_epi8(first, _mm_loadu_si128(reinterpret_cast<const __m128i *>(kShiftToEnd + r)));
        __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + r));
        if (r == 1) {
            second = _mm_xor_si128(second, _mm_cvtsi32_si128(crc >> 8));
        }
        f = fold(f, k, second);
        p += r + 16;
        n -= r + 16;
    }
    for (; n >= 16; p += 16, n -= 16) {
        f = fold(f, k, _mm_loadu_si128(reinterpret_cast<const __m128i *>(p)));
    }
    // Fold the first half onto the second twice (80, then 64 significant bits),
    // and the tables take the last eight bytes in one step.
    const __m128i half = _mm_set_epi64x(0, static_cast<long long>(kFoldHalf));
    const __m128i secondHalf = _mm_set_epi64x(-1, 0);
    f = _mm_xor_si128(_mm_clmulepi64_si128(f, half, 0x00), _mm_and_si128(f, secondHalf));
    f = _mm_xor_si128(_mm_clmulepi64_si128(f, half, 0x00), _mm_and_si128(f, secondHalf));
    const uint64_t g = static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(f, f)));
    const auto &t = kCrc16.t;
    return static_cast<uint16_t>(t[7][g & 0xFFu] ^ t[6][(g >> 8) & 0xFFu] ^ t[5][(g >> 16) & 0xFFu] ^
                                 t[4][(g >> 24) & 0xFFu] ^ t[3][(g >> 32) & 0xFFu] ^ t[2][(g >> 40) & 0xFFu] ^
                                 t[1][(g >> 48) & 0xFFu] ^ t[0][g >> 56]);
}

bool haveFold() {
    static const bool have = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("ssse3");
    return have;
}
#endif

}  // namespace

extern "C" {

void zuvCrc16Initialize(uint16_t *pCrc) {
    *pCrc = 0;
}

void zuvCrc16Update(uint16_t *pCrc, const void *pBuffer, size_t bufferSize) {
    const auto *p = static_cast<const uint8_t *>(pBuffer);
#if defined(__x86_64__)
    if (bufferSize >= 16 && haveFold()) {
        *pCrc = crc16Fold(*pCrc, p, bufferSize);
        return;
    }
#endif
    *pCrc = crc16Tables(*pCrc, p, bufferSize);
}

uint16_t zuvCrc16Compute(const void *pBuffer, size_t bufferSize) {
    uint16_t crc;
    zuvCrc16Initialize(&crc);
    zuvCrc16Update(&crc, pBuffer, bufferSize);
    return crc;
}

void zuvCrc32Initialize(uint32_t *pCrc) {
    *pCrc = 0xFFFFFFFFu;
}

void zuvCrc32Update(uint32_t *pCrc, const void *pBuffer, size_t bufferSize) {
    const auto *p = static_cast<const uint8_t *>(pBuffer);
    uint32_t crc = *pCrc;
    size_t i = 0;
    for (; i + 4 <= bufferSize; i += 4) {
        crc = crc32Step(crc, p[i + 3]);
        crc = crc32Step(crc, p[i + 2]);
        crc = crc32Step(crc, p[i + 1]);
        crc = crc32Step(crc, p[i]);
    }
    for (size_t j = bufferSize; j > i; --j) {
        crc = crc32Step(crc, p[j - 1]);
    }
    *pCrc = crc;
}

uint32_t zuvCrc32Compute(const void *pBuffer, size_t bufferSize) {
    uint32_t crc;
    zuvCrc32Initialize(&crc);
    zuvCrc32Update(&crc, pBuffer, bufferSize);
    return crc;
}

}  // extern "C"
