// zuv export FILE --csv DIR [-p NAME=VALUE]... [--realtime]: a recording
// replayed into `decoder` as `zuv decode` replays it, every output that
// received samples as DIR/OUTPUT.csv (csvExport.h). The rows hold the values
// of decode's JSON lines for the same recording and properties.
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "commands.h"
#include "csvExport.h"
#include "outputFailure.h"
#include "replay.h"
#include "session.h"
#include "toolError.h"

namespace zuv::tool {

namespace {

struct ExportOptions {
    std::string recording;
    std::vector<std::string> properties;
    std::string csv;
    bool realtime = false;
};

// The folder is made before anything runs: a path that cannot be one fails
// at once, not after the replay has started.
void makeFolder(const std::string &path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (ec) throw runError(path + ": cannot create the folder: " + ec.message());
    if (!std::filesystem::is_directory(path, ec)) throw runError(path + ": not a folder");
}

void runExport(ToolContext &context, const ExportOptions &options) {
    Session session(context);
    session.loadPackage();
    host::Instance &decoder = session.createInstance("ZUV_FrameDecoder", "decoder");
    session.applyProperties(options.properties);
    makeFolder(options.csv);

    OutputFailure outputFailure;
    CsvExportSink sink(options.csv);
    sink.setFramerateColumn(decoder.GetProperty("pAddOriginalFramerate").boolean);
    sink.setFailureHandler(outputFailure.handler());
    sink.attachAll(session.runtime(), decoder);

    replayIntoDecoder(
        session, decoder, options.recording, options.realtime, outputFailure,
        {[&sink] { return sink.close(); }, [&sink] { return sink.error(); }, [&sink] { return sink.errorNumber(); }});
}

}  // namespace

void addExportCommand(CLI::App &parent, ToolContext &context) {
    auto options = std::make_shared<ExportOptions>();
    CLI::App *cmd = parent.add_subcommand(
        "export", "Replay a recording into the frame decoder and write each output's samples as a CSV file");
    cmd->add_option("FILE", options->recording, "Recording (.zrec) of reader.oData samples")->required();
    cmd->add_option("--csv", options->csv, "Folder for the CSV files (OUTPUT.csv), made if missing")->required();
    addPropertyOption(*cmd, options->properties);
    cmd->add_flag("--realtime", options->realtime, "Pace the replay by the recorded time stamps");
    cmd->footer(
        "Each file has a header line t,<columns> and one row per sample, t in microseconds.\n"
        "Example:\n"
        "  zuv export run.zrec --csv run-csv -p pImuData=Enabled -p pEkfNav=Enabled");
    cmd->callback([&context, options] { runExport(context, *options); });
}

}  // namespace zuv::tool
