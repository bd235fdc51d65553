// zuv timing FILE.zrec [--json]: per log kind of a recording, its frame count,
// rate and gaps on the device clock, the arrival jitter against the mapped
// device time, the drift and the clock jumps. Needs no package: the frames are
// read with the zuvECom library and mapped as the decoder maps them.
#include <cstdio>
#include <memory>
#include <string>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "commands.h"
#include "timingAnalysis.h"
#include "toolError.h"
#include "zrecReader.h"
#include "zuvECom.h"
#include "zuvEComIds.h"
#include "zuvEComLogCatalogue.h"
#include "zuvInterfaceMemory.h"

namespace zuv::tool {

namespace {

namespace catalogue = zuv::catalogue;

struct TimingOptions {
    std::string recording;
    bool json = false;
};

// The frames of one record at a time, cut and parsed by the library.
class FrameSource {
public:
    explicit FrameSource(TimingAnalysis &analysis) : analysis_(analysis) {
        zuvInterfaceZeroInit(&link_);
        zuvInterfaceMemoryCreate(&link_);
        zuvEComInit(&ecom_, &link_);
        zuvEComSetReceiveLogCallback(&ecom_, &FrameSource::onLog, this);
    }
    ~FrameSource() {
        zuvEComClose(&ecom_);
        zuvInterfaceMemoryDestroy(&link_);
    }
    FrameSource(const FrameSource &) = delete;
    FrameSource &operator=(const FrameSource &) = delete;

    void add(const recording::ZrecRecord &record) {
        arrivalUs_ = record.timestampUs;
        zuvInterfaceMemoryPushChunk(&link_, record.bytes, record.size);
        // One chunk per read: one call takes it; a second is only a safeguard.
        for (int call = 0; call < 2 && zuvInterfaceMemoryPending(&link_) > 0; ++call) {
            zuvEComHandle(&ecom_);
        }
    }

private:
    static ZuvErrorCode onLog(ZuvEComHandle *, ZuvEComClass, uint8_t msgId, const ZuvBinaryLogData *log, void *arg) {
        auto &self = *static_cast<FrameSource *>(arg);
        uint32_t ts = 0;
        const bool hasTs = zuvEComBinaryLogTimeStamp(msgId, log, &ts) != 0;
        self.analysis_.addFrame(self.arrivalUs_, msgId, hasTs, ts);
        return ZUV_NO_ERROR;
    }

    TimingAnalysis &analysis_;
    ZuvInterface link_{};
    ZuvEComHandle ecom_{};
    int64_t arrivalUs_ = 0;
};

// The catalogue's name of a log kind ("ImuData"); ids no reader property offers have none.
std::string logNameOf(uint8_t id) {
    if (id == ZUV_ECOM_LOG_SHIP_MOTION) return "ShipMotion";
    const catalogue::LogKind *kind = catalogue::kindOf(id);
    return kind != nullptr ? catalogue::logName(*kind) : "";
}

nlohmann::json toJson(const std::string &file, uint64_t records, const TimingReport &report) {
    nlohmann::json logs = nlohmann::json::array();
    for (const KindTiming &kind : report.kinds) {
        nlohmann::json entry = {
            {"id", kind.id}, {"log", logNameOf(kind.id)}, {"frames", kind.frames}, {"deviceClock", kind.deviceClock}};
        if (kind.deviceClock) {
            entry["rateHz"] = kind.rateHz;
            entry["spacingUs"] = kind.spacingUs;
            entry["gaps"] = kind.gaps;
            entry["missingFrames"] = kind.missingFrames;
            entry["largestGapFrames"] = kind.largestGapFrames;
            entry["largestGapUs"] = kind.largestGapUs;
            entry["jitterMedianUs"] = kind.jitterMedianUs;
            entry["jitterP99Us"] = kind.jitterP99Us;
            entry["driftPpm"] = kind.driftPpm;
            entry["clockJumps"] = kind.clockJumps;
        }
        logs.push_back(entry);
    }
    return {{"file", file},
            {"records", records},
            {"frames", report.frames},
            {"clockJumps", report.clockJumpsAt},
            {"logs", logs}};
}

void printText(const std::string &file, uint64_t records, const TimingReport &report) {
    std::printf("%s: %llu records, %llu frames, %zu clock jumps\n", file.c_str(),
                static_cast<unsigned long long>(records), static_cast<unsigned long long>(report.frames),
                report.clockJumpsAt.size());
    for (const int64_t at : report.clockJumpsAt) {
        std::printf("  clock jump at t=%lld us\n", static_cast<long long>(at));
    }
    std::printf("  %4s %-15s %8s %10s %6s %8s %16s %14s %11s %10s %6s\n", "id", "log", "frames", "rate Hz", "gaps",
                "missing", "largest gap", "jitter median", "jitter p99", "drift ppm", "jumps");
    for (const KindTiming &kind : report.kinds) {
        if (!kind.deviceClock) {
            std::printf("  %4u %-15s %8llu   (no device time stamp)\n", unsigned(kind.id), logNameOf(kind.id).c_str(),
                        static_cast<unsigned long long>(kind.frames));
            continue;
        }
        const std::string largest =
            kind.gaps == 0 ? "-" : fmt::format("{} ({} us)", kind.largestGapFrames, kind.largestGapUs);
        std::printf("  %4u %-15s %8llu %10.3f %6llu %8llu %16s %11lld us %8lld us %10.1f %6lld\n", unsigned(kind.id),
                    logNameOf(kind.id).c_str(), static_cast<unsigned long long>(kind.frames), kind.rateHz,
                    static_cast<unsigned long long>(kind.gaps), static_cast<unsigned long long>(kind.missingFrames),
                    largest.c_str(), static_cast<long long>(kind.jitterMedianUs),
                    static_cast<long long>(kind.jitterP99Us), kind.driftPpm, static_cast<long long>(kind.clockJumps));
    }
}

void runTiming(ToolContext &context, const TimingOptions &options) {
    recording::ZrecReader reader;
    if (!reader.open(options.recording)) throw runError(reader.error());
    TimingAnalysis analysis;
    FrameSource frames(analysis);
    recording::ZrecRecord record;
    recording::ZrecStatus status = recording::ZrecStatus::Record;
    while ((status = reader.next(record)) == recording::ZrecStatus::Record) {
        frames.add(record);
    }
    const TimingReport report = analysis.report();
    if (options.json) {
        std::printf("%s\n", toJson(options.recording, reader.recordCount(), report).dump().c_str());
    } else {
        printText(options.recording, reader.recordCount(), report);
    }
    if (std::fflush(stdout) != 0) throw runError("cannot write the report to standard output");
    if (status != recording::ZrecStatus::End) {
        context.printError(reader.error());
        context.exitStatus = kExitRunFailed;
    }
}

}  // namespace

void addTimingCommand(CLI::App &parent, ToolContext &context) {
    auto options = std::make_shared<TimingOptions>();
    CLI::App *cmd = parent.add_subcommand(
        "timing", "Show a recording's timing per log kind: rate and gaps on the device clock, jitter, drift");
    cmd->add_option("FILE", options->recording, "Recording (.zrec) of reader.oData samples")->required();
    cmd->add_flag("--json", options->json, "Print the report as one JSON object");
    cmd->footer(
        "Jitter is arrival minus the device time mapped onto the host clock, as the decoder's\n"
        "pDeviceClockTimestamps maps it. Example:\n"
        "  zuv timing run.zrec --json");
    cmd->callback([&context, options] { runTiming(context, *options); });
}

}  // namespace zuv::tool
