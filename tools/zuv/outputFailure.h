// A failing output ends the run at once. The first write failure of a sink
// asks for the same stop as SIGINT; when the run is over, the command settles
// each output: a reader of standard output that went away (EPIPE, `| head`)
// ends the run quietly with its status unchanged, as command-line tools do;
// any other failure is reported once, naming the file and the OS reason, and
// makes the status 1.
// Errors: none of its own. Threading: the handler runs on a component thread;
// failed() from any thread; settle() on the main thread after the run.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "toolContext.h"

namespace zuv::tool {

class OutputFailure {
public:
    // For a sink's setFailureHandler.
    std::function<void(const std::string &)> handler();
    bool failed() const { return failed_.load(); }

    // Folds one closed output into the exit status.
    static int settle(ToolContext &context, bool closedOk, const std::string &error, int errorNumber, int status);

private:
    std::atomic<bool> failed_{false};
};

}  // namespace zuv::tool
