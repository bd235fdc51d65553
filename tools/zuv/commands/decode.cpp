// zuv decode FILE [-p NAME=VALUE]... [--jsonl PATH] [--realtime]: a recording
// replayed into `decoder`, every output sample as one JSON line, in the order
// the samples were published. The host clock follows the recording, so the
// lines are those of the live run that made it.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "jsonLinesSink.h"
#include "outputFailure.h"
#include "replay.h"
#include "session.h"
#include "toolError.h"

namespace zuv::tool {

namespace {

struct DecodeOptions {
    std::string recording;
    std::vector<std::string> properties;
    std::string jsonl;
    bool realtime = false;
};

void runDecode(ToolContext &context, const DecodeOptions &options) {
    Session session(context);
    session.loadPackage();
    host::Instance &decoder = session.createInstance("ZUV_FrameDecoder", "decoder");
    session.applyProperties(options.properties);

    OutputFailure outputFailure;
    sinks::JsonLinesSink sink(stdout);
    if (!options.jsonl.empty() && !sink.openFile(options.jsonl)) throw runError(sink.error());
    sink.setFailureHandler(outputFailure.handler());
    // Formatting on a thread of its own leaves the decoder's thread to decoding.
    sink.startWriterThread();
    // The outputs exist once the properties are applied; attach to all of them.
    sink.attachAll(session.runtime(), decoder);

    replayIntoDecoder(
        session, decoder, options.recording, options.realtime, outputFailure,
        {[&sink] { return sink.close(); }, [&sink] { return sink.error(); }, [&sink] { return sink.errorNumber(); }});
}

}  // namespace

void addDecodeCommand(CLI::App &parent, ToolContext &context) {
    auto options = std::make_shared<DecodeOptions>();
    CLI::App *cmd = parent.add_subcommand(
        "decode",
        "Replay a recording of raw frames into the frame decoder and write every output sample as a JSON line");
    cmd->add_option("FILE", options->recording, "Recording (.zrec) of reader.oData samples")->required();
    addPropertyOption(*cmd, options->properties);
    cmd->add_option("--jsonl", options->jsonl, "Write the JSON lines to this file instead of standard output");
    cmd->add_flag("--realtime", options->realtime, "Pace the replay by the recorded time stamps");
    cmd->footer(
        "Example:\n"
        "  zuv decode run.zrec -p pImuData=Enabled -p pEkfNav=Enabled --jsonl run.jsonl");
    cmd->callback([&context, options] { runDecode(context, *options); });
}

}  // namespace zuv::tool
