// Visitors of a record's field list: one list per record, in wire order, read
// by FieldReader, written by FieldWriter and measured by FieldSize, so that the
// three can never disagree. A list is a function template
//   template <class V, class R> constexpr void visit(V &v, R &record)
// that calls v(field) for each field; arrays are visited whole.
// Errors: as WireReader / WireWriter (a cursor stops and remembers it).
// Threading: none; each visitor is a local value.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/wireBytes.h"

namespace zuv {

class FieldReader {
public:
    explicit FieldReader(WireReader &reader) : r_(reader) {}
    void operator()(uint8_t &x) { x = r_.u8(); }
    void operator()(int8_t &x) { x = r_.i8(); }
    void operator()(uint16_t &x) { x = r_.u16(); }
    void operator()(uint32_t &x) { x = r_.u32(); }
    void operator()(int32_t &x) { x = r_.i32(); }
    void operator()(uint64_t &x) { x = r_.u64(); }
    void operator()(float &x) { x = r_.f32(); }
    void operator()(double &x) { x = r_.f64(); }
    template <typename T, size_t N>
    void operator()(T (&values)[N]) {
        for (T &value : values) (*this)(value);
    }

private:
    WireReader &r_;
};

class FieldWriter {
public:
    explicit FieldWriter(WireWriter &writer) : w_(writer) {}
    void operator()(const uint8_t &x) { w_.u8(x); }
    void operator()(const int8_t &x) { w_.i8(x); }
    void operator()(const uint16_t &x) { w_.u16(x); }
    void operator()(const uint32_t &x) { w_.u32(x); }
    void operator()(const int32_t &x) { w_.i32(x); }
    void operator()(const uint64_t &x) { w_.u64(x); }
    void operator()(const float &x) { w_.f32(x); }
    void operator()(const double &x) { w_.f64(x); }
    template <typename T, size_t N>
    void operator()(const T (&values)[N]) {
        for (const T &value : values) (*this)(value);
    }

private:
    WireWriter &w_;
};

// Wire bytes of a field list: every field is as wide on the wire as in memory.
struct FieldSize {
    size_t size = 0;
    template <typename T>
    constexpr void operator()(const T &) {
        size += sizeof(T);
    }
};

}  // namespace zuv
