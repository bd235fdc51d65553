// The .zrec recording layout: an 8-byte header ("ZREC", u32 version 1) and then,
// until the end of the file, one record per sample: i64 time stamp in
// microseconds, u32 byte count, the bytes. Every number is little-endian.
// Errors: none; these are constants and byte helpers. Threading: pure functions.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zuv::recording {

inline constexpr char kMagic[4] = {'Z', 'R', 'E', 'C'};
inline constexpr uint32_t kVersion = 1;
inline constexpr size_t kHeaderSize = 8;
inline constexpr size_t kRecordHeaderSize = 12;
// The largest record a replay can deliver (the player's source holds no more).
inline constexpr uint32_t kMaxReplayableRecord = 65536;

inline void storeLe32(uint8_t *out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
}

inline void storeLe64(uint8_t *out, uint64_t v) {
    for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
}

inline uint32_t loadLe32(const uint8_t *in) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | in[i];
    return v;
}

inline uint64_t loadLe64(const uint8_t *in) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | in[i];
    return v;
}

}  // namespace zuv::recording
