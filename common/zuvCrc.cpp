#include "zuvCrc.h"

#include <array>

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

}  // namespace

extern "C" {

void zuvCrc16Initialize(uint16_t *pCrc) {
    *pCrc = 0;
}

void zuvCrc16Update(uint16_t *pCrc, const void *pBuffer, size_t bufferSize) {
    const auto *p = static_cast<const uint8_t *>(pBuffer);
    uint16_t crc = *pCrc;
    const auto &t = kCrc16.t;
    while (bufferSize >= 8) {
        const unsigned x = crc ^ (static_cast<unsigned>(p[0]) | (static_cast<unsigned>(p[1]) << 8));
        crc = static_cast<uint16_t>(t[7][x & 0xFFu] ^ t[6][x >> 8] ^ t[5][p[2]] ^ t[4][p[3]] ^ t[3][p[4]] ^
                                    t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]]);
        p += 8;
        bufferSize -= 8;
    }
    while (bufferSize-- > 0) {
        crc = static_cast<uint16_t>((crc >> 8) ^ t[0][(crc ^ *p++) & 0xFFu]);
    }
    *pCrc = crc;
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
