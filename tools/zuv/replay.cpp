#include "replay.h"

#include <algorithm>
#include <chrono>

#include <fmt/format.h>

#include "player.h"
#include "runControl.h"
#include "stopSignal.h"
#include "toolError.h"

namespace zuv::tool {

namespace {
constexpr int kBulkFifoBytes = 8 << 20;
}  // namespace

ReplayResult replayRecording(Session &session, host::Instance &consumer, const std::string &input,
                             const ReplayOptions &options) {
    recording::ZrecReader reader(static_cast<uint32_t>(std::max(options.maxRecordSize, 0)));
    if (!reader.open(options.path, [] { return StopSignal::stopRequested(); })) throw runError(reader.error());

    host::Runtime &rt = session.runtime();
    rt.SetClockMode(host::ClockMode::Driven);
    // Unpaced and not in lockstep, the player only has to keep ahead of the
    // consumer: a deeper FIFO, filled and emptied in runs, trades places
    // between the two threads once per run instead of at every record.
    const bool bulk = !options.realtime && !options.lockstep;
    const int depth = bulk ? std::clamp(kBulkFifoBytes / std::max(options.maxRecordSize, 1), 16, 256) : 16;
    host::Source &source = rt.CreateSource("player", host::ElementType::Stream8, options.maxRecordSize, depth);
    source.SetBulk(bulk);
    rt.Connect(source, consumer, input);
    startDiagram(session);

    ToolContext &context = session.context();
    ReplayResult result;
    if (host::Instance *ended = rt.WaitForEnded(std::chrono::milliseconds(0))) {
        rt.Stop();
        context.printError(ended->Name() + " stopped itself at start; nothing replayed");
        result.status = kExitRunFailed;
        return result;
    }

    recording::PlayOptions play;
    play.realtime = options.realtime;
    play.maxRecordSize = options.maxRecordSize;
    play.lockstep = options.lockstep;
    play.shouldStop = [] { return StopSignal::stopRequested(); };
    auto nextStatus = std::chrono::steady_clock::now();
    if (context.status.enabled()) {
        play.progress = [&](uint64_t delivered, int64_t t) {
            auto now = std::chrono::steady_clock::now();
            if (now < nextStatus) return;
            nextStatus = now + std::chrono::milliseconds(250);
            context.status.show(fmt::format("replaying {}: {} records, t = {:.3f} s", options.path, delivered,
                                            static_cast<double>(t) / 1e6));
        };
    }
    recording::PlayOutcome outcome = recording::playRecording(reader, source, play);
    host::Instance *ended = rt.WaitForEnded(std::chrono::milliseconds(0));
    rt.Stop();
    context.status.finish();

    result.delivered = outcome.delivered;
    if (!outcome.error.empty()) context.printError(outcome.error);
    if (ended != nullptr) {
        context.printError(ended->Name() + " stopped itself during the replay");
    } else if (outcome.interrupted && options.outputFailed && options.outputFailed()) {
        result.status = outcome.error.empty() ? kExitOk : kExitRunFailed;
        return result;
    } else if (outcome.interrupted) {
        context.printError(fmt::format("replay interrupted after {} records", outcome.delivered));
    }
    result.status = outcome.complete() && ended == nullptr ? kExitOk : kExitRunFailed;
    return result;
}

void replayIntoDecoder(Session &session, host::Instance &decoder, const std::string &recording, bool realtime,
                       const OutputFailure &outputFailure, const ReplayOutput &output) {
    ReplayOptions replay;
    replay.path = recording;
    replay.realtime = realtime;
    // The decoder reads the host clock only in Birth (0 in a replay): letting
    // the clock run ahead of it changes no line.
    replay.lockstep = false;
    replay.outputFailed = [&outputFailure] { return outputFailure.failed(); };
    ReplayResult result = replayRecording(session, decoder, "iData", replay);
    const bool closed = output.close();
    ToolContext &context = session.context();
    context.exitStatus = OutputFailure::settle(context, closed, output.error(), output.errorNumber(), result.status);
}

}  // namespace zuv::tool
