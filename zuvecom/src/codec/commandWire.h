// Visitors of the command payload field lists (codec/commandFields.h) and the
// encode/decode frame around them. Beyond the log visitors they know booleans
// (one byte, nonzero is true), enumerations (one byte, or Wire wide, checked
// against their ValueSet before the cast) and 32-byte texts.
// Errors: ZUV_NULL_POINTER, ZUV_BUFFER_OVERFLOW, ZUV_INVALID_FRAME (size),
// ZUV_INVALID_PARAMETER (value out of its set), as encodePayload/decodePayload.
// Threading: none; each visitor is a local value.
#pragma once

#include <type_traits>

#include "codec/commandValueSets.h"
#include "codec/payloadCodec.h"
#include "codec/wireFields.h"

namespace zuv::commands {

template <typename E, typename Wire>
struct Enum {
    E &value;
};

template <typename Wire = uint8_t, typename E>
constexpr Enum<E, Wire> wire(E &value) {
    return {value};
}

template <typename C>
struct Text {
    C &text;
};

template <typename C>
constexpr Text<C> text(C &value) {
    return {value};
}

class CommandReader : public FieldReader {
public:
    using FieldReader::operator();
    explicit CommandReader(WireReader &reader) : FieldReader(reader), r_(reader) {}
    void operator()(bool &x) { x = r_.u8() != 0; }
    template <typename E, typename Wire>
    void operator()(Enum<E, Wire> field) {
        const Wire raw = sizeof(Wire) == 1 ? r_.u8() : r_.u16();
        if (ValueSet<E>::contains(raw)) {
            field.value = static_cast<E>(raw);
        } else {
            valid_ = false;
        }
    }
    template <typename C>
    void operator()(Text<C> field) {
        readText(r_, field.text);
    }
    bool valid() const { return valid_; }

private:
    WireReader &r_;
    bool valid_ = true;
};

class CommandWriter : public FieldWriter {
public:
    using FieldWriter::operator();
    explicit CommandWriter(WireWriter &writer) : FieldWriter(writer), w_(writer) {}
    void operator()(const bool &x) { w_.u8(x ? 1 : 0); }
    template <typename E, typename Wire>
    void operator()(Enum<E, Wire> field) {
        if (sizeof(Wire) == 1) {
            w_.u8(static_cast<uint8_t>(field.value));
        } else {
            w_.u16(static_cast<uint16_t>(field.value));
        }
    }
    template <typename C>
    void operator()(Text<C> field) {
        writeText(w_, field.text);
    }

private:
    WireWriter &w_;
};

struct CommandSize : FieldSize {
    using FieldSize::operator();
    template <typename E, typename Wire>
    constexpr void operator()(Enum<E, Wire>) {
        size += sizeof(Wire);
    }
    template <typename C>
    constexpr void operator()(Text<C>) {
        size += ZUV_ECOM_TEXT_SIZE;
    }
};

// Checks a record's enumerations before anything is written.
struct ValueCheck {
    bool valid = true;
    template <typename T>
    void operator()(const T &) {}
    template <typename E, typename Wire>
    void operator()(Enum<E, Wire> field) {
        valid = valid && ValueSet<std::remove_const_t<E>>::contains(static_cast<long>(field.value));
    }
};

template <typename List, typename Payload>
constexpr size_t wireSize() {
    Payload payload{};
    CommandSize counter;
    List::visit(counter, payload);
    return counter.size;
}

template <typename List, typename Payload>
ZuvErrorCode encodeWith(const Payload &payload, uint8_t *pOut, size_t capacity, size_t *pSize) {
    return encodePayload(pOut, capacity, pSize, wireSize<List, Payload>(), [&](WireWriter &w) {
        ValueCheck check;
        List::visit(check, payload);
        if (!check.valid) {
            return false;
        }
        CommandWriter writer(w);
        List::visit(writer, payload);
        return true;
    });
}

// *pPayload is written only when the whole payload is valid.
template <typename List, typename Payload>
ZuvErrorCode decodeWith(const uint8_t *pIn, size_t size, Payload *pPayload) {
    return decodePayload(pIn, size, wireSize<List, Payload>(), [&](WireReader &r) {
        Payload payload{};
        CommandReader reader(r);
        List::visit(reader, payload);
        if (!reader.valid()) {
            return false;
        }
        *pPayload = payload;
        return true;
    });
}

}  // namespace zuv::commands
