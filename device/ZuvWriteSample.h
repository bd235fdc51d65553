// The one way the package writes a sample on an output, used by the log record
// writers and by the helper base's copy operations.
//
// A sample the output cannot take whole (another element type, more values
// than its buffer holds) is refused: one error report naming the pin, nothing
// written. Cutting it would lose data without a word.
// An output that yields no element (not connected, or the component stopping)
// is reported with `noElementReport` (a format taking the pin name) when one
// is given, and skipped quietly otherwise.
// Threading: the calling component's thread; no heap allocation unless it reports.
#pragma once

#include <optional>

#include "maps.hpp"

namespace zuv {

// The output when it can take `count` elements of `type`; otherwise reports and returns null.
MAPSOutput *OutputTaking(MAPSComponent &component, const char *outputName, MAPSElementType type, long long count);

void ReportNoElement(MAPSComponent &component, const char *noElementReport, const char *outputName);

struct SampleStamp {
    MAPSTimestamp timestamp;
    std::optional<int> quality;  // left as the element has it when empty
};

// fill(element) writes the `count` elements; returns StopWriting's result, or false when nothing was written.
template <typename Fill>
bool WriteSample(MAPSComponent &component, const char *outputName, MAPSElementType type, long long count,
                 const SampleStamp &stamp, const char *noElementReport, Fill fill) {
    MAPSOutput *output = OutputTaking(component, outputName, type, count);
    if (output == nullptr) {
        return false;
    }
    MAPSIOElt *element = component.StartWriting(*output);
    if (element == nullptr) {
        ReportNoElement(component, noElementReport, outputName);
        return false;
    }
    fill(*element);
    element->Timestamp() = stamp.timestamp;
    if (stamp.quality) {
        element->Quality() = *stamp.quality;
    }
    element->VectorSize() = static_cast<int>(count);
    return component.StopWriting(element, false);
}

}  // namespace zuv
