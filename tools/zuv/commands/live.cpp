// zuv live (--port PATH [--baud N] | --udp ADDR:PORT [--local-port N]) [-p …]...
//          [--record FILE] [--jsonl PATH] [--duration S] [--count N]:
// reader → decoder on a device, every decoder output sample as a JSON line,
// reader.oData optionally recorded for a later `zuv decode`.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "jsonLinesSink.h"
#include "linkOptions.h"
#include "outputFailure.h"
#include "readerTap.h"
#include "recorder.h"
#include "runControl.h"
#include "session.h"
#include "toolError.h"

namespace zuv::tool {

namespace {

struct LiveOptions {
    LinkOptions link;
    std::vector<std::string> properties;
    std::string record;
    std::string jsonl;
    RunLimits limits;
};

int exitStatusOf(const RunEnd &end) {
    return end.reason == RunEndReason::ComponentEnded ? kExitRunFailed : kExitOk;
}

void runLive(ToolContext &context, const LiveOptions &options) {
    Session session(context);
    session.loadPackage();
    host::Instance &reader = session.createInstance("ZUV_FrameReader", "reader");
    host::Instance &decoder = session.createInstance("ZUV_FrameDecoder", "decoder");
    session.applyProperties(linkAssignments(options.link));
    session.applyProperties(options.properties);
    session.runtime().Connect(reader, "oData", decoder, "iData");

    OutputFailure outputFailure;
    sinks::JsonLinesSink sink(stdout);
    if (!options.jsonl.empty() && !sink.openFile(options.jsonl)) throw runError(sink.error());
    sink.setFlushEachLine(options.jsonl.empty());
    sink.setFailureHandler(outputFailure.handler());
    sink.attachAll(session.runtime(), decoder);
    if (hasLinkStatisticsOutput(reader)) {
        session.runtime().AttachSink(reader, "oLinkStatistics", sink.callbackFor("reader", "oLinkStatistics"));
    }

    recording::Recorder recorder;
    if (!options.record.empty()) {
        if (!recorder.open(options.record)) throw runError(recorder.error());
        recorder.setFailureHandler(outputFailure.handler());
        recorder.attach(session.runtime(), reader, "oData");
    }
    ReaderTap tap;
    SampleCounter counter;
    attachReaderTap(session.runtime(), reader, tap);
    session.runtime().AttachSink(reader, "oData", counter.callback());

    RunHooks hooks;
    hooks.counter = &counter;
    hooks.status = [&tap] { return tap.status(); };
    const RunEnd end = runDiagram(session, options.limits, hooks);

    int status = exitStatusOf(end);
    std::fputs(readerSummary(reader, tap).c_str(), stderr);
    if (!options.record.empty()) {
        const bool closed = recorder.close();
        status = OutputFailure::settle(context, closed, recorder.error(), recorder.errorNumber(), status);
    }
    const bool closed = sink.close();
    status = OutputFailure::settle(context, closed, sink.error(), sink.errorNumber(), status);
    context.exitStatus = status;
}

}  // namespace

void addLiveCommand(CLI::App &parent, ToolContext &context) {
    auto options = std::make_shared<LiveOptions>();
    CLI::App *cmd = parent.add_subcommand(
        "live", "Read a device (reader → decoder) and write every decoder output sample as a JSON line");
    addLinkOptions(*cmd, options->link);
    addPropertyOption(*cmd, options->properties);
    cmd->add_option("--record", options->record, "Also record reader.oData into this .zrec file")->type_name("FILE");
    cmd->add_option("--jsonl", options->jsonl, "Write the JSON lines to this file instead of standard output")
        ->type_name("PATH");
    addRunLimitOptions(*cmd, options->limits);
    cmd->footer(
        "Rate properties exist on both instances; name the instance:\n"
        "  zuv live --port /dev/ttyUSB0 -p reader.pImuData=\"25 Hz\" -p decoder.pImuData=Enabled \\\n"
        "           --record run.zrec --duration 10\n"
        "then `zuv decode run.zrec -p pImuData=Enabled` gives the same JSON lines.");
    cmd->callback([&context, options] { runLive(context, *options); });
}

}  // namespace zuv::tool
