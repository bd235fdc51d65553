// The element calls of an instance in step mode (step.cpp): when an instance
// has them, the kernel table sends its reads and writes here instead of to
// the FIFOs of a threaded run.
#pragma once

#include "maps_types.h"

namespace zuv::host::detail {

class StepPins {
public:
    virtual int StartWriting(MAPSOutput *output, MAPSIOElt **element) = 0;
    virtual int StopWriting(MAPSIOElt *element, int discard) = 0;
    virtual int StartReading(MAPSInput *input, MAPSIOElt **element) = 0;

protected:
    ~StepPins() = default;
};

}  // namespace zuv::host::detail
