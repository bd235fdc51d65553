// The auxiliary port loop of the frame reader: every half second, take the
// NMEA sentences that the link's auxiliary reading queued and publish them as
// text samples, back to back.
//
// A cycle's text that does not fit one sample is spread over several, cut only
// between sentences; a single sentence longer than a whole sample is dropped
// with a warning (it cannot be a sentence: those are at most 82 characters).
// Errors: a read result other than 0 and 18 (nothing complete yet) is reported
// at error level, once per cycle, and the loop goes on.
// Threading: runs on the reader's auxiliary thread; the source and the host
// adapter are used from that thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>

#include "zuvErrorCodes.h"

namespace zuv {

constexpr int64_t kAuxPollPauseUs = 500000;

// The link's auxiliary side.
class AuxSentenceSource {
public:
    virtual ~AuxSentenceSource() = default;
    virtual bool IsOpen() const = 0;
    virtual ZuvErrorCode ReadAuxFrames() = 0;
    virtual std::list<std::string> PopNMEASentences() = 0;
};

// What the loop needs of the host.
class AuxHost {
public:
    virtual ~AuxHost() = default;
    // Characters one sample holds, without its terminating zero.
    virtual size_t SampleCapacity() const = 0;
    // A buffer of SampleCapacity() characters plus the zero, or null when no
    // sample can be written.
    virtual char *StartSample() = 0;
    virtual void FinishSample(size_t length) = 0;
    virtual void Report(const std::string &text, int level) = 0;
    virtual void Pause(int64_t microseconds) = 0;
    virtual bool Dying() const = 0;
};

// One poll: read, then publish what is queued.
void ForwardAuxCycle(AuxSentenceSource &source, AuxHost &host);
// Cycles with a pause after each until the component is dying; returns at once
// when no auxiliary link is open.
void RunAuxLoop(AuxSentenceSource &source, AuxHost &host);

}  // namespace zuv
