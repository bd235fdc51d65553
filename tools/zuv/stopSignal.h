// SIGINT and SIGTERM as a stop request for the running diagram: the first
// signal asks for a clean stop (every Death runs, every file is completed), a
// second one while stopping ends the process at once with status 130.
// SIGPIPE is ignored: a closed output is a write error that ends the run.
// Errors: none. Threading: install() once from main; stopRequested() and
// waitFor() from any thread. The handler only writes to a pipe, which is
// async-signal-safe.
#pragma once

#include <chrono>

namespace zuv::tool {

class StopSignal {
public:
    static void install();
    static bool stopRequested();
    // Sleeps until a stop is requested or the time is up; true on a stop.
    static bool waitFor(std::chrono::milliseconds timeout);
    // A descriptor that is readable from the first stop request on, for a
    // wait that watches more than the stop; -1 if no pipe could be made.
    static int fd();
    // Lets code other than the signal handler end a run the same way.
    static void request();
    // Tests only: forget an earlier request.
    static void reset();
};

}  // namespace zuv::tool
