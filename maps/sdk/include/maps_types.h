// Host data types shared by the package and the host: element types, type
// filters, data elements, property values and the definition tables.
// These are plain layouts read by both sides; keep them standard-layout.
// Errors: element accessors do not check indices (stay within BufferSize()).
// Threads: an element belongs to its writer between StartWriting and
// StopWriting, and is read-only for readers afterwards.
#pragma once

#include <cstdint>
#include <vector>

#include "maps_string.h"

using MAPSInt8 = int8_t;
using MAPSUInt8 = uint8_t;
using MAPSInt32 = int32_t;
using MAPSUInt32 = uint32_t;
using MAPSInt64 = int64_t;
using MAPSUInt64 = uint64_t;
using MAPSFloat64 = double;
using MAPSTimestamp = int64_t;

enum MAPSElementType : uint32_t {
    MAPSType_Stream8 = 1,
    MAPSType_TextAscii = 2,
    MAPSType_Integer32 = 3,
    MAPSType_Integer64 = 4,
    MAPSType_Float64 = 5,
    MAPSType_Float32 = 6,
};

// Bytes per vector element of a type (0 for an unknown type).
constexpr int MAPSElementSize(MAPSElementType type) {
    return type == MAPSType_Stream8 || type == MAPSType_TextAscii   ? 1
           : type == MAPSType_Integer32 || type == MAPSType_Float32 ? 4
           : type == MAPSType_Integer64 || type == MAPSType_Float64 ? 8
                                                                    : 0;
}

constexpr uint32_t MAPSTypeBit(MAPSElementType type) {
    return 1u << static_cast<uint32_t>(type);
}

// What an input accepts: a set of element types.
struct MAPSTypeFilter {
    uint32_t mask;
    const char *name;
    constexpr bool Accepts(MAPSElementType type) const { return (mask & MAPSTypeBit(type)) != 0; }
};

enum MAPSPropertyKind : int32_t {
    MAPSProperty_Bool = 1,
    MAPSProperty_Integer = 2,
    MAPSProperty_Float = 3,
    MAPSProperty_String = 4,
    MAPSProperty_Enum = 5,
};

// Default value of a property definition. For an enumeration, `text` holds
// the choices separated by "|" and `integer` the default index.
struct MAPSPropertyValue {
    MAPSPropertyKind kind;
    bool boolean;
    MAPSInt64 integer;
    double real;
    const char *text;

    static constexpr MAPSPropertyValue Bool(bool v) { return {MAPSProperty_Bool, v, v ? 1 : 0, 0.0, nullptr}; }
    static constexpr MAPSPropertyValue Integer(MAPSInt64 v) { return {MAPSProperty_Integer, v != 0, v, 0.0, nullptr}; }
    static constexpr MAPSPropertyValue Float(double v) { return {MAPSProperty_Float, false, 0, v, nullptr}; }
    static constexpr MAPSPropertyValue String(const char *v) { return {MAPSProperty_String, false, 0, 0.0, v}; }
    static constexpr MAPSPropertyValue Enum(const char *choices, int index) {
        return {MAPSProperty_Enum, false, index, 0.0, choices};
    }
};

// Value of an enumeration property as Get/Set exchange it.
struct MAPSEnumStruct {
    MAPSStringArray enumValues;
    int selectedEnum = 0;
    // The selected choice, or an empty string when the index is out of range.
    MAPSString SelectedText() const {
        return selectedEnum >= 0 && selectedEnum < static_cast<int>(enumValues.size()) ? enumValues[selectedEnum]
                                                                                       : MAPSString();
    }
};

class MAPSModule;
class MAPSComponent;
struct MAPSComponentDefinition;

struct MAPSInputDefinition {
    const char *name;
    MAPSTypeFilter filter;
};

struct MAPSOutputDefinition {
    const char *name;
    MAPSElementType type;
    int maxSize;   // elements per sample
    int fifoSize;  // FIFO depth
};

// Flags word bit: the property may change while the component runs.
constexpr uint32_t MAPS_PROPERTY_CHANGEABLE_WHILE_RUNNING = 0x100;

struct MAPSPropertyDefinition {
    const char *name;
    MAPSPropertyValue defaultValue;
    uint32_t flags;
};

using MAPSActionFunction = void (*)(MAPSModule *module, int actionIndex);

struct MAPSActionDefinition {
    const char *name;
    MAPSActionFunction callback;
    int flags;  // 1: runnable whether or not the component runs
};

enum MAPSThreading : int32_t { MAPS_THREADED = 1, MAPS_SEQUENTIAL = 2 };

using MAPSInstantiateFunction = MAPSComponent *(*)(const char *name, MAPSComponentDefinition &definition);

// Counts of leading entries: how many of each table the host creates with the
// instance (-1: all); the component creates later entries itself in Dynamic.
struct MAPSComponentDefinition {
    const char *name;
    const char *version;
    MAPSInstantiateFunction instantiate;
    int priority;
    int threading;
    const MAPSInputDefinition *inputs;
    int inputCount;
    const MAPSOutputDefinition *outputs;
    int outputCount;
    const MAPSPropertyDefinition *properties;
    int propertyCount;
    const MAPSActionDefinition *actions;
    int actionCount;
    int leadingInputs;
    int leadingOutputs;
    int leadingProperties;
    int leadingActions;
};

// Table helpers for definitions: MAPS_TABLE(array) or MAPS_NO_TABLE.
#define MAPS_TABLE(array) array, static_cast<int>(sizeof(array) / sizeof((array)[0]))
#define MAPS_NO_TABLE nullptr, 0

// One sample. The host owns it; its buffer holds BufferSize() elements of
// Type() (text elements have room for a terminating zero after them).
class MAPSIOElt {
public:
    unsigned char *Stream8() { return static_cast<unsigned char *>(data_); }
    char *TextAscii() { return static_cast<char *>(data_); }
    char *Text() { return static_cast<char *>(data_); }
    double &Float64(int i = 0) { return static_cast<double *>(data_)[i]; }
    float &Float32(int i = 0) { return static_cast<float *>(data_)[i]; }
    MAPSInt32 &Integer32(int i = 0) { return static_cast<MAPSInt32 *>(data_)[i]; }
    MAPSInt64 &Integer64(int i = 0) { return static_cast<MAPSInt64 *>(data_)[i]; }
    void *Data() { return data_; }
    const void *Data() const { return data_; }
    MAPSTimestamp &Timestamp() { return timestamp_; }
    int &VectorSize() { return vectorSize_; }
    int &Quality() { return quality_; }
    MAPSTimestamp Timestamp() const { return timestamp_; }
    int VectorSize() const { return vectorSize_; }
    int Quality() const { return quality_; }
    int BufferSize() const { return bufferSize_; }
    MAPSElementType Type() const { return type_; }

protected:
    MAPSIOElt() = default;
    ~MAPSIOElt() = default;
    MAPSIOElt(const MAPSIOElt &) = delete;
    MAPSIOElt &operator=(const MAPSIOElt &) = delete;

    void *data_ = nullptr;
    MAPSTimestamp timestamp_ = 0;
    int vectorSize_ = 0;
    int bufferSize_ = 0;
    int quality_ = 0;
    MAPSElementType type_ = MAPSType_Stream8;
};

// Pins and properties as the package sees them. The host creates these
// objects; the package only holds references it got from the host.
class MAPSInput {
public:
    const char *Name() const { return name_; }
    const MAPSTypeFilter &Filter() const { return filter_; }

protected:
    MAPSInput() = default;
    ~MAPSInput() = default;
    MAPSInput(const MAPSInput &) = delete;
    MAPSInput &operator=(const MAPSInput &) = delete;
    const char *name_ = "";
    MAPSTypeFilter filter_{0, ""};
};

class MAPSOutput {
public:
    const char *Name() const { return name_; }
    MAPSElementType Type() const { return type_; }
    int BufferSize() const { return maxSize_; }  // elements per sample
    int FifoSize() const { return fifoSize_; }

protected:
    MAPSOutput() = default;
    ~MAPSOutput() = default;
    MAPSOutput(const MAPSOutput &) = delete;
    MAPSOutput &operator=(const MAPSOutput &) = delete;
    const char *name_ = "";
    MAPSElementType type_ = MAPSType_Stream8;
    int maxSize_ = 0;
    int fifoSize_ = 0;
};

class MAPSProperty {
public:
    const char *Name() const { return name_; }
    MAPSPropertyKind Kind() const { return kind_; }
    uint32_t Flags() const { return flags_; }
    bool Valid() const { return valid_; }

protected:
    MAPSProperty() = default;
    ~MAPSProperty() = default;
    MAPSProperty(const MAPSProperty &) = delete;
    MAPSProperty &operator=(const MAPSProperty &) = delete;
    const char *name_ = "";
    MAPSPropertyKind kind_ = MAPSProperty_Integer;
    uint32_t flags_ = 0;
    bool valid_ = true;
};
