#include "player.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <thread>

namespace zuv::recording {

namespace {

using Clock = std::chrono::steady_clock;

void appendLine(std::string &to, const std::string &line) {
    if (!to.empty()) to.push_back('\n');
    to += line;
}

// Sleeps until `until` in slices so that a stop request is seen quickly.
bool paceUntil(Clock::time_point until, const std::function<bool()> &shouldStop) {
    for (;;) {
        if (shouldStop && shouldStop()) return false;
        auto now = Clock::now();
        if (now >= until) return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(until - now, std::chrono::milliseconds(20)));
    }
}

void play(ZrecReader &reader, host::Source &source, const PlayOptions &options, PlayOutcome &out);

}  // namespace

PlayOutcome playRecording(ZrecReader &reader, host::Source &source, const PlayOptions &options) {
    PlayOutcome out;
    try {
        play(reader, source, options, out);
    } catch (const std::exception &e) {
        out.interrupted = true;
        appendLine(out.error, std::string("replay failed: ") + e.what());
    } catch (...) {
        out.interrupted = true;
        appendLine(out.error, "replay failed");
    }
    return out;
}

namespace {

void play(ZrecReader &reader, host::Source &source, const PlayOptions &options, PlayOutcome &out) {
    ZrecRecord record;
    bool haveFirst = false;
    int64_t firstTimestamp = 0;
    Clock::time_point wallStart;
    for (;;) {
        if (options.shouldStop && options.shouldStop()) {
            out.interrupted = true;
            break;
        }
        out.end = reader.next(record);
        if (out.end != ZrecStatus::Record && out.end != ZrecStatus::Oversized) break;
        if (out.end == ZrecStatus::Oversized ||
            record.size > static_cast<uint32_t>(std::max(options.maxRecordSize, 0))) {
            ++out.oversized;
            appendLine(out.error, "record at byte offset " + std::to_string(record.offset) + " holds " +
                                      std::to_string(record.size) + " bytes, more than " +
                                      std::to_string(options.maxRecordSize) + "; skipped");
            continue;
        }
        if (options.realtime) {
            if (!haveFirst) {
                haveFirst = true;
                firstTimestamp = record.timestampUs;
                wallStart = Clock::now();
            }
            // A time stamp earlier than the first one is not waited for.
            auto offset = std::chrono::microseconds(std::max<int64_t>(record.timestampUs - firstTimestamp, 0));
            if (!paceUntil(wallStart + offset, options.shouldStop)) {
                out.interrupted = true;
                break;
            }
        }
        if (!source.Push(record.timestampUs, record.bytes, static_cast<int>(record.size))) {
            out.interrupted = true;
            break;
        }
        if (options.lockstep && !source.Drain()) {
            out.interrupted = true;
            break;
        }
        ++out.delivered;
        if (options.progress) options.progress(out.delivered, record.timestampUs);
    }
    if (out.end == ZrecStatus::Truncated || out.end == ZrecStatus::ReadError) appendLine(out.error, reader.error());
    if (!out.interrupted) {
        // Stopping before the consumer is done would lose its last outputs.
        out.drained = source.Drain();
        if (!out.drained) out.interrupted = true;
    }
}

}  // namespace

}  // namespace zuv::recording
