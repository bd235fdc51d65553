// Little-endian cursors over payload bytes, one field at a time. Callers check the
// layout size first; a cursor that would step outside its bytes stops and remembers it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zuv {

class WireReader {
public:
    WireReader(const uint8_t *pData, size_t size) : data_(pData), size_(size) {}

    uint8_t u8() {
        const uint8_t *p = take(1);
        return p != nullptr ? p[0] : 0;
    }
    int8_t i8() { return static_cast<int8_t>(u8()); }
    uint16_t u16() {
        const uint8_t *p = take(2);
        return p != nullptr ? static_cast<uint16_t>(p[0] | (p[1] << 8)) : 0;
    }
    uint32_t u32() {
        const uint8_t *p = take(4);
        if (p == nullptr) {
            return 0;
        }
        return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
               (static_cast<uint32_t>(p[3]) << 24);
    }
    int32_t i32() { return static_cast<int32_t>(u32()); }
    uint64_t u64() {
        const uint64_t low = u32();
        const uint64_t high = u32();
        return low | (high << 32);
    }
    float f32() {
        const uint32_t bits = u32();
        float value;
        std::memcpy(&value, &bits, sizeof(value));
        return value;
    }
    double f64() {
        const uint64_t bits = u64();
        double value;
        std::memcpy(&value, &bits, sizeof(value));
        return value;
    }
    void f32Array(float *pOut, size_t count) {
        for (size_t i = 0; i < count; ++i) {
            pOut[i] = f32();
        }
    }
    void bytes(uint8_t *pOut, size_t count) {
        const uint8_t *p = take(count);
        if (p != nullptr && count > 0) {
            std::memcpy(pOut, p, count);
        }
    }
    bool failed() const { return failed_; }
    size_t offset() const { return offset_; }

private:
    const uint8_t *take(size_t count) {
        if (failed_ || count > size_ - offset_) {
            failed_ = true;
            return nullptr;
        }
        const uint8_t *p = data_ + offset_;
        offset_ += count;
        return p;
    }

    const uint8_t *data_;
    size_t size_;
    size_t offset_ = 0;
    bool failed_ = false;
};

class WireWriter {
public:
    WireWriter(uint8_t *pData, size_t capacity) : data_(pData), capacity_(capacity) {}

    void u8(uint8_t value) {
        uint8_t *p = take(1);
        if (p != nullptr) {
            p[0] = value;
        }
    }
    void i8(int8_t value) { u8(static_cast<uint8_t>(value)); }
    void u16(uint16_t value) {
        uint8_t *p = take(2);
        if (p != nullptr) {
            p[0] = static_cast<uint8_t>(value);
            p[1] = static_cast<uint8_t>(value >> 8);
        }
    }
    void u32(uint32_t value) {
        uint8_t *p = take(4);
        if (p != nullptr) {
            for (int i = 0; i < 4; ++i) {
                p[i] = static_cast<uint8_t>(value >> (8 * i));
            }
        }
    }
    void i32(int32_t value) { u32(static_cast<uint32_t>(value)); }
    void u64(uint64_t value) {
        u32(static_cast<uint32_t>(value));
        u32(static_cast<uint32_t>(value >> 32));
    }
    void f32(float value) {
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof(bits));
        u32(bits);
    }
    void f64(double value) {
        uint64_t bits;
        std::memcpy(&bits, &value, sizeof(bits));
        u64(bits);
    }
    void f32Array(const float *pValues, size_t count) {
        for (size_t i = 0; i < count; ++i) {
            f32(pValues[i]);
        }
    }
    void bytes(const uint8_t *pValues, size_t count) {
        uint8_t *p = take(count);
        if (p != nullptr && count > 0) {
            std::memcpy(p, pValues, count);
        }
    }
    bool failed() const { return failed_; }
    size_t size() const { return offset_; }

private:
    uint8_t *take(size_t count) {
        if (failed_ || count > capacity_ - offset_) {
            failed_ = true;
            return nullptr;
        }
        uint8_t *p = data_ + offset_;
        offset_ += count;
        return p;
    }

    uint8_t *data_;
    size_t capacity_;
    size_t offset_ = 0;
    bool failed_ = false;
};

}  // namespace zuv
