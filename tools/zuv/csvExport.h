// Writes the samples of an instance's outputs as CSV, one file per output
// (DIR/OUTPUT.csv) that received at least one sample: a header line
// "t,<columns>" and one row per sample, t in microseconds. Columns come from
// the log catalogue: the layout's names (the framerate column only when the
// decoder appends one), "internalTimestamp" for a twin, "bytes" (hex) for raw
// logs. A row with fewer values than the header (a marker with fewer pulses, a
// framerate not yet known) leaves its last cells empty. Doubles are written in
// the shortest form that reads back to the same double (nan, inf, -inf as such).
// Errors: as JsonLinesSink: a file that cannot be created or written is
// remembered (error(), errorNumber()), the failure handler runs once, later
// rows are dropped and close() returns false.
// Threading: sink callbacks may run on several component threads; one mutex
// keeps rows whole. A file and its buffer are made at the output's first
// sample; after that a row allocates nothing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "maps_runtime.h"

namespace zuv::tool {

// The column names after "t" of a decoder output; empty for an output the
// catalogue does not know (its columns are then v0, v1, ...).
std::vector<std::string> csvColumnsOf(std::string_view output, bool framerate);

// One row, appended to out: "t,v0,v1,...\n" padded with empty cells to columns.
void appendCsvRow(std::string &out, const host::SampleView &sample, size_t columns);

class CsvExportSink {
public:
    explicit CsvExportSink(std::string directory);
    ~CsvExportSink();
    CsvExportSink(const CsvExportSink &) = delete;
    CsvExportSink &operator=(const CsvExportSink &) = delete;

    // With the decoder's pAddOriginalFramerate: every numeric layout ends in "framerate".
    void setFramerateColumn(bool on) { framerate_ = on; }
    void setFailureHandler(std::function<void(const std::string &error)> handler) {
        failureHandler_ = std::move(handler);
    }
    // The callback of one output, writing DIR/OUTPUT.csv from its first sample on.
    host::SampleCallback callbackFor(const host::OutputInfo &output);
    // Call after the properties are applied: the outputs exist then.
    void attachAll(host::Runtime &runtime, host::Instance &instance);

    bool close();
    std::string error() const;
    int errorNumber() const;
    // The files written, in the order their first samples came.
    std::vector<std::string> files() const;
    uint64_t rows() const;

private:
    struct OutputFile {
        std::string output;
        std::string path;
        std::vector<std::string> columns;
        std::FILE *file = nullptr;
        std::string buffer;
    };

    void write(OutputFile &out, const host::SampleView &sample);
    bool openLocked(OutputFile &out, const host::SampleView &sample);
    bool flushLocked(OutputFile &out);
    bool fail(const OutputFile &out, const char *what, int error);

    mutable std::mutex mutex_;
    std::string directory_;
    bool framerate_ = false;
    std::deque<OutputFile> outputs_;  // stable addresses for the callbacks
    std::vector<std::string> files_;
    uint64_t rows_ = 0;
    std::string error_;
    int errno_ = 0;
    std::function<void(const std::string &)> failureHandler_;
};

}  // namespace zuv::tool
