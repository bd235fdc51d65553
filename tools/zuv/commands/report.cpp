// zuv report FILE.zrec [-o PAGE.html]: one self-contained HTML page of plots
// of a recording (htmlReport.h). Needs no package, like `zuv timing`. A
// truncated recording still gets its page (of the records before the damage),
// with the problem on the page and on stderr, and status 1.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "commands.h"
#include "htmlReport.h"
#include "stopSignal.h"
#include "toolError.h"
#include "zrecReader.h"

namespace zuv::tool {

namespace {

struct ReportOptions {
    std::string recording;
    std::string output;
};

std::string defaultOutput(const std::string &recording) {
    const size_t slash = recording.rfind('/');
    const size_t dot = recording.rfind('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    return (hasExtension ? recording.substr(0, dot) : recording) + ".html";
}

void writePage(const std::string &path, const std::string &page) {
    errno = 0;
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) throw runError(path + ": cannot create: " + std::strerror(errno));
    const bool written = std::fwrite(page.data(), 1, page.size(), file) == page.size() && std::fflush(file) == 0;
    const int writeErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) throw runError(path + ": cannot write: " + std::strerror(written ? errno : writeErrno));
}

void runReport(ToolContext &context, const ReportOptions &options) {
    recording::ZrecReader reader;
    if (!reader.open(options.recording, [] { return StopSignal::stopRequested(); })) throw runError(reader.error());
    RecordingReport report;
    recording::ZrecRecord record;
    recording::ZrecStatus status = recording::ZrecStatus::Record;
    while ((status = reader.next(record)) == recording::ZrecStatus::Record) {
        report.addRecord(record.timestampUs, record.bytes, record.size);
        if (StopSignal::stopRequested()) throw runError("interrupted; no report written");
    }
    const std::string problem = status == recording::ZrecStatus::End ? "" : reader.error();
    const std::string output = options.output.empty() ? defaultOutput(options.recording) : options.output;
    writePage(output, report.html(options.recording, reader.recordCount(), problem));
    if (!problem.empty()) {
        context.printError(problem);
        context.exitStatus = kExitRunFailed;
    }
}

}  // namespace

void addReportCommand(CLI::App &parent, ToolContext &context) {
    auto options = std::make_shared<ReportOptions>();
    CLI::App *cmd = parent.add_subcommand(
        "report",
        "Write one self-contained HTML page of plots of a recording: trajectory, attitude, IMU, rates, jitter");
    cmd->add_option("FILE", options->recording, "Recording (.zrec) of reader.oData samples")->required();
    cmd->add_option("-o,--output", options->output, "The page to write (default: FILE with .html for .zrec)");
    cmd->footer(
        "The page has no script and loads nothing: open it in any browser, mail it, archive it.\n"
        "Example:\n"
        "  zuv report run.zrec -o run.html");
    cmd->callback([&context, options] { runReport(context, *options); });
}

}  // namespace zuv::tool
