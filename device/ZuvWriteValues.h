// The generic log writer: a record that the catalogue lays out with a values
// list (zuvEComLogCatalogue.h) goes out as one sample of those values in their
// order, each widened to the output's element type, then the appended value;
// and, when asked and the kind has a twin, its device time stamp on the twin.
// The same rules as the named writers (ZUV_WriteOutput.h) hold: an appended
// value below 0 is left out, a sample its output cannot take is refused with
// a report.
// Threading: the calling component's thread; no lock, no heap allocation
// (the values sit in a std::array on the stack).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "maps.hpp"
#include "zuvEComLogCatalogue.h"

namespace zuv::writers {

// `count` values, then `appended` when it is 0 or more.
void PublishValues(MAPSComponent *component, const char *output, const double *values, int count,
                   const MAPSInt64 &timestamp, MAPSInt32 appended);
void PublishValues(MAPSComponent *component, const char *output, const MAPSInt64 *values, int count,
                   const MAPSInt64 &timestamp, MAPSInt32 appended);
// The device time stamp as one Integer64, when internalTimestamp is set.
void PublishTwin(MAPSComponent *component, const char *twinOutput, uint32_t deviceTimestamp, bool internalTimestamp,
                 const MAPSInt64 &timestamp);

// Takes a record's values in the order of its values list.
template <typename T, size_t N>
struct ValueSink {
    std::array<T, N> *values;
    size_t next = 0;
    template <class V>
    void operator()(const char *, const V &value) {
        (*values)[next++] = static_cast<T>(value);
    }
};

// V describes the record (a `Type` and its `values`); T is double or MAPSInt64.
// An empty twinOutput means the kind has none.
template <class V, typename T>
void WriteValuesOf(MAPSComponent *component, const typename V::Type &log, const char *output, const char *twinOutput,
                   const MAPSInt64 &timestamp, bool internalTimestamp, MAPSInt32 appended) {
    static_assert(std::is_same<T, double>::value || std::is_same<T, MAPSInt64>::value, "an output's numeric element");
    constexpr size_t kCount = static_cast<size_t>(catalogue::valueCountOf<V>());
    std::array<T, kCount> values{};
    ValueSink<T, kCount> sink{&values};
    V::values(sink, log);
    PublishValues(component, output, values.data(), static_cast<int>(kCount), timestamp, appended);
    if (twinOutput[0] != '\0') {
        PublishTwin(component, twinOutput, log.timeStamp, internalTimestamp, timestamp);
    }
}

// A catalogue record, on the element type and the size its layout declares.
template <catalogue::Record R>
void WriteValues(MAPSComponent *component, const typename catalogue::RecordType<R>::Type &log, const char *output,
                 const char *twinOutput, const MAPSInt64 &timestamp, bool internalTimestamp, MAPSInt32 appended) {
    constexpr catalogue::Layout layout = catalogue::layoutOf(R);
    static_assert(layout.element != catalogue::Element::Stream8, "raw records have no values");
    static_assert(catalogue::valueCount<R>() + 1 == layout.elementCount,
                  "the values and the framerate fill the declared output");
    using T = std::conditional_t<layout.element == catalogue::Element::Float64, double, MAPSInt64>;
    WriteValuesOf<catalogue::RecordType<R>, T>(component, log, output, twinOutput, timestamp, internalTimestamp,
                                               appended);
}

}  // namespace zuv::writers
