// Replays a .zrec recording into a runtime Source (the decoder's input).
// Each record is pushed with its time stamp; with the runtime's clock in
// Driven mode the host clock reads that time stamp while the consumer handles
// the sample: by default the player waits for the consumer to finish each
// sample before it moves the clock on (lockstep). Without lockstep up to a
// FIFO's worth of samples queue up and the clock runs ahead of the consumer,
// which is faster and gives the same result for a consumer that reads only
// the samples' own time stamps. As fast as possible by default; `realtime` paces the pushes by
// the recorded time differences. When the recording ends, the player waits
// until the consumer has finished with every sample (drain) before returning,
// so that stopping the run afterwards loses nothing.
// Errors: in the outcome: a truncated last record (offset kept, the records
// before it played), a read error, records too large for the source (skipped,
// counted), an interrupted run. Never throws.
// Threading: runs on the calling (control) thread; `shouldStop` is polled
// between records and while pacing. Runtime::Stop from another thread releases
// a blocked push.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "maps_runtime.h"
#include "zrecReader.h"

namespace zuv::recording {

struct PlayOptions {
    bool realtime = false;
    bool lockstep = true;
    int maxRecordSize = 65536;  // must not exceed the source's maxSize
    std::function<bool()> shouldStop;
    // Called after each delivered record (status line, counters); may be empty.
    std::function<void(uint64_t delivered, int64_t timestampUs)> progress;
};

struct PlayOutcome {
    uint64_t delivered = 0;
    uint64_t oversized = 0;
    ZrecStatus end = ZrecStatus::End;
    bool interrupted = false;  // stopped before the end (signal, run stopping)
    bool drained = false;
    std::string error;  // truncation, read error or oversized records, one line each

    bool complete() const { return end == ZrecStatus::End && !interrupted && oversized == 0 && drained; }
};

PlayOutcome playRecording(ZrecReader &reader, host::Source &source, const PlayOptions &options);

}  // namespace zuv::recording
