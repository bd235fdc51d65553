// zuv record (--port … | --udp …) --out FILE [-p …]... [--duration S] [--count N]:
// reader → recorder; every reader.oData sample with its time stamp in a .zrec file.
#include <memory>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "commands.h"
#include "linkOptions.h"
#include "outputFailure.h"
#include "readerTap.h"
#include "recorder.h"
#include "runControl.h"
#include "session.h"
#include "toolError.h"

namespace zuv::tool {

namespace {

struct RecordOptions {
    LinkOptions link;
    std::vector<std::string> properties;
    std::string out;
    RunLimits limits;
};

void runRecord(ToolContext &context, const RecordOptions &options) {
    Session session(context);
    session.loadPackage();
    host::Instance &reader = session.createInstance("ZUV_FrameReader", "reader");
    session.applyProperties(linkAssignments(options.link));
    session.applyProperties(options.properties);

    OutputFailure outputFailure;
    recording::Recorder recorder;
    if (!recorder.open(options.out)) throw runError(recorder.error());
    recorder.setFailureHandler(outputFailure.handler());
    recorder.attach(session.runtime(), reader, "oData");
    ReaderTap tap;
    SampleCounter counter;
    attachReaderTap(session.runtime(), reader, tap);
    session.runtime().AttachSink(reader, "oData", counter.callback());

    RunHooks hooks;
    hooks.counter = &counter;
    hooks.status = [&tap] { return tap.status(); };
    const RunEnd end = runDiagram(session, options.limits, hooks);

    int status = end.reason == RunEndReason::ComponentEnded ? kExitRunFailed : kExitOk;
    const bool closed = recorder.close();
    status = OutputFailure::settle(context, closed, recorder.error(), recorder.errorNumber(), status);
    std::fprintf(stderr, "%s\n",
                 fmt::format("recorded {} frames ({} bytes) into {}", recorder.records(), recorder.bytes(), options.out)
                     .c_str());
    std::fputs(readerSummary(reader, tap).c_str(), stderr);
    context.exitStatus = status;
}

}  // namespace

void addRecordCommand(CLI::App &parent, ToolContext &context) {
    auto options = std::make_shared<RecordOptions>();
    CLI::App *cmd = parent.add_subcommand("record", "Record the reader's raw frames (reader.oData) into a .zrec file");
    addLinkOptions(*cmd, options->link);
    cmd->add_option("--out", options->out, "Recording to write")->type_name("FILE")->required();
    addPropertyOption(*cmd, options->properties);
    addRunLimitOptions(*cmd, options->limits);
    cmd->footer("Example:\n  zuv record --port /dev/ttyUSB0 -p pImuData=\"100 Hz\" --out imu.zrec --duration 60");
    cmd->callback([&context, options] { runRecord(context, *options); });
}

}  // namespace zuv::tool
