// Replaying a .zrec recording into one input of an instance (zuv decode): the
// host clock follows the recording, each sample is delivered with the clock at
// its time stamp, and the run stops only after the consumer has finished with
// every sample.
// Errors: a file that cannot be read or has no ZREC header is ToolError status
// 1 before anything runs (nothing decoded). Otherwise the result is the exit
// status: 0 when every record was delivered and consumed; 1 after a truncated
// last record (its byte offset reported, the records before it delivered), a
// read error, a record too large to deliver (skipped, never read into
// memory), an interrupted run, or a component that stopped itself. A stop
// request while a FIFO waits for its writer ends the wait (status 1).
// Threading: main thread; set up instances, properties and sinks first.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "outputFailure.h"
#include "session.h"

namespace zuv::tool {

struct ReplayOptions {
    std::string path;
    bool realtime = false;
    int maxRecordSize = 65536;
    // Wait for the consumer to finish each sample before the clock moves on.
    // A consumer that reads only its samples' own time stamps gives the same
    // result without it, much faster.
    bool lockstep = true;
    // True once an output has failed: the stop it asked for is then that
    // output's failure (its caller reports it), not an interrupted replay.
    std::function<bool()> outputFailed;
};

struct ReplayResult {
    int status = 0;
    uint64_t delivered = 0;
};

ReplayResult replayRecording(Session &session, host::Instance &consumer, const std::string &input,
                             const ReplayOptions &options);

// An output that the decoder's samples are written to (JsonLinesSink,
// CsvExportSink), closed once the replay is over.
struct ReplayOutput {
    std::function<bool()> close;
    std::function<std::string()> error;
    std::function<int()> errorNumber;
};

// zuv decode and zuv export: the recording into the decoder's iData, not in
// lockstep (the decoder stamps with its samples' own time stamps, so the
// clock may run ahead of it), then the output closed and the exit status
// settled from both. Attach the output and its failure handler first.
void replayIntoDecoder(Session &session, host::Instance &decoder, const std::string &recording, bool realtime,
                       const OutputFailure &outputFailure, const ReplayOutput &output);

}  // namespace zuv::tool
