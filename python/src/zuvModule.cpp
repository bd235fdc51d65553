// _zuv: the compiled half of the Python module. Recording reads .zrec files
// with the tool's reader; decode() runs zuv.pck's frame decoder in this
// process exactly as `zuv decode` does (same session, replay and property
// parsing) and hands every output's samples back as numpy arrays, which
// zuv/__init__.py turns into DataFrames named after the log catalogue.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "maps_runtime.h"
#include "replay.h"
#include "session.h"
#include "toolContext.h"
#include "toolError.h"
#include "zrecReader.h"
#include "zuvEComLogCatalogue.h"

namespace py = pybind11;

namespace {

using zuv::recording::ZrecReader;
using zuv::recording::ZrecRecord;
using zuv::recording::ZrecStatus;

// What `zuv decode` replays: records up to its default size limit.
constexpr uint32_t kMaxRecord = zuv::recording::kMaxReplayableRecord;

// The player's words for a record it skips, so both report it alike.
std::string oversizedText(const ZrecRecord &record) {
    return "record at byte offset " + std::to_string(record.offset) + " holds " + std::to_string(record.size) +
           " bytes, more than " + std::to_string(kMaxRecord) + "; skipped";
}

// Opens and checks a recording; ValueError with the reader's message.
void openOrThrow(ZrecReader &reader, const std::string &path) {
    if (!reader.open(path)) throw py::value_error(reader.error());
}

class RecordingIterator {
public:
    explicit RecordingIterator(const std::string &path) : reader_(kMaxRecord) { openOrThrow(reader_, path); }

    py::tuple next() {
        ZrecRecord record;
        ZrecStatus status;
        {
            py::gil_scoped_release release;
            status = reader_.next(record);
        }
        switch (status) {
            case ZrecStatus::Record:
                return py::make_tuple(record.timestampUs,
                                      py::bytes(reinterpret_cast<const char *>(record.bytes), record.size));
            case ZrecStatus::End: throw py::stop_iteration();
            case ZrecStatus::Oversized: throw py::value_error(oversizedText(record));
            default: throw py::value_error(reader_.error());
        }
    }

private:
    ZrecReader reader_;
};

// Scanned once when made, so that a bad file fails at once and len() is known.
class Recording {
public:
    explicit Recording(std::string path) : path_(std::move(path)) {
        std::string error;
        {
            py::gil_scoped_release release;
            error = scan();
        }
        if (!error.empty()) throw py::value_error(error);
    }

    const std::string &path() const { return path_; }
    uint64_t size() const { return count_; }
    py::object first() const { return count_ == 0 ? py::none() : py::cast(first_); }
    py::object last() const { return count_ == 0 ? py::none() : py::cast(last_); }

private:
    std::string scan() {
        ZrecReader reader(kMaxRecord);
        if (!reader.open(path_)) return reader.error();
        std::string errors;
        ZrecRecord record;
        for (;;) {
            ZrecStatus status = reader.next(record);
            if (status == ZrecStatus::End) break;
            if (status == ZrecStatus::Oversized) {
                errors += (errors.empty() ? "" : "\n") + oversizedText(record);
                continue;
            }
            if (status != ZrecStatus::Record) {
                errors += (errors.empty() ? "" : "\n") + reader.error();
                break;
            }
            if (count_ == 0) first_ = record.timestampUs;
            last_ = record.timestampUs;
            ++count_;
        }
        return errors;
    }

    std::string path_;
    uint64_t count_ = 0;
    int64_t first_ = 0;
    int64_t last_ = 0;
};

// Everything one output published, row by row. Numeric rows are padded to the
// output's largest sample (missing cells: NaN or 0, told apart by the count).
struct OutputRows {
    std::string name;
    zuv::host::ElementType type;
    size_t stride = 0;
    std::vector<int64_t> t;
    std::vector<uint64_t> order;  // position among all samples of the run
    std::vector<int32_t> counts;
    std::vector<double> reals;
    std::vector<int64_t> integers;
    std::vector<uint8_t> bytes;
    std::vector<uint64_t> byteEnds;
};

bool isReal(zuv::host::ElementType type) {
    return type == zuv::host::ElementType::Float64 || type == zuv::host::ElementType::Float32;
}
bool isInteger(zuv::host::ElementType type) {
    return type == zuv::host::ElementType::Integer64 || type == zuv::host::ElementType::Integer32;
}

template <typename Out, typename In>
void appendRow(std::vector<Out> &into, size_t stride, const void *data, size_t count, Out pad) {
    const size_t start = into.size();
    into.resize(start + stride, pad);
    const auto *bytes = static_cast<const unsigned char *>(data);
    for (size_t i = 0; i < count && i < stride; ++i) {
        In v;
        std::memcpy(&v, bytes + i * sizeof(In), sizeof(In));  // samples need not be aligned
        into[start + i] = static_cast<Out>(v);
    }
}

class Collector {
public:
    zuv::host::SampleCallback attach(const zuv::host::OutputInfo &info) {
        outputs_.push_back(std::make_unique<OutputRows>());
        OutputRows *rows = outputs_.back().get();
        rows->name = info.name;
        rows->type = info.type;
        rows->stride = static_cast<size_t>(std::max(info.maxSize, 1));
        return [this, rows](const zuv::host::SampleView &sample) { add(*rows, sample); };
    }

    std::vector<std::unique_ptr<OutputRows>> &outputs() { return outputs_; }

private:
    void add(OutputRows &rows, const zuv::host::SampleView &sample) {
        std::lock_guard<std::mutex> lock(mutex_);
        const size_t count = sample.vectorSize > 0 ? static_cast<size_t>(sample.vectorSize) : 0;
        rows.t.push_back(sample.timestamp);
        rows.order.push_back(next_++);
        rows.counts.push_back(static_cast<int32_t>(count));
        switch (sample.type) {
            case zuv::host::ElementType::Float64:
                appendRow<double, double>(rows.reals, rows.stride, sample.data, count,
                                          std::numeric_limits<double>::quiet_NaN());
                break;
            case zuv::host::ElementType::Float32:
                appendRow<double, float>(rows.reals, rows.stride, sample.data, count,
                                         std::numeric_limits<double>::quiet_NaN());
                break;
            case zuv::host::ElementType::Integer64:
                appendRow<int64_t, int64_t>(rows.integers, rows.stride, sample.data, count, 0);
                break;
            case zuv::host::ElementType::Integer32:
                appendRow<int64_t, int32_t>(rows.integers, rows.stride, sample.data, count, 0);
                break;
            case zuv::host::ElementType::Stream8:
            case zuv::host::ElementType::TextAscii: {
                const auto *p = static_cast<const uint8_t *>(sample.data);
                rows.bytes.insert(rows.bytes.end(), p, p + count);
                rows.byteEnds.push_back(rows.bytes.size());
                break;
            }
        }
    }

    std::mutex mutex_;
    uint64_t next_ = 0;
    std::vector<std::unique_ptr<OutputRows>> outputs_;
};

// A numpy array that owns the vector it views, without a copy.
template <typename T>
py::array_t<T> toArray(std::vector<T> &&values, size_t rows, size_t columns) {
    auto *owned = new std::vector<T>(std::move(values));
    py::capsule free(owned, [](void *p) { delete static_cast<std::vector<T> *>(p); });
    if (columns == 0) return py::array_t<T>({rows}, {sizeof(T)}, owned->data(), free);
    return py::array_t<T>({rows, columns}, {columns * sizeof(T), sizeof(T)}, owned->data(), free);
}

py::dict rowsToPython(OutputRows &rows) {
    const size_t n = rows.t.size();
    py::dict out;
    out["type"] = zuv::host::Name(rows.type);
    out["t"] = toArray(std::move(rows.t), n, 0);
    out["order"] = toArray(std::move(rows.order), n, 0);
    out["counts"] = toArray(std::move(rows.counts), n, 0);
    if (isReal(rows.type)) {
        out["values"] = toArray(std::move(rows.reals), n, rows.stride);
    } else if (isInteger(rows.type)) {
        out["values"] = toArray(std::move(rows.integers), n, rows.stride);
    } else {
        py::list items;
        uint64_t begin = 0;
        for (uint64_t end : rows.byteEnds) {
            const char *p = reinterpret_cast<const char *>(rows.bytes.data() + begin);
            if (rows.type == zuv::host::ElementType::TextAscii) {
                // Bytes above 0x7F read as U+0080..U+00FF, as the JSON lines write them.
                items.append(py::bytes(p, end - begin).attr("decode")("latin-1"));
            } else {
                items.append(py::bytes(p, end - begin));
            }
            begin = end;
        }
        out["values"] = items;
    }
    return out;
}

struct Report {
    int level;
    std::string instance;
    std::string text;
};

// The messages `zuv decode` would print as "zuv: ..." lines, without the prefix.
std::string takeErrors(char *buffer, size_t size) {
    std::string text(buffer != nullptr ? buffer : "", size);
    std::string errors;
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find('\n', begin);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(begin, end - begin);
        if (line.rfind("zuv: ", 0) == 0) line.erase(0, 5);
        if (!line.empty()) errors += (errors.empty() ? "" : "\n") + line;
        begin = end + 1;
    }
    return errors;
}

struct DecodeOutcome {
    std::string usageError;  // a property the decoder refuses
    std::string loadError;   // zuv.pck missing or unusable
    std::string runError;    // the recording or the run failed
    std::vector<Report> reports;
    std::vector<std::unique_ptr<OutputRows>> outputs;
    bool addsFramerate = false;
};

void runDecode(const std::string &recording, const std::vector<std::string> &properties, const std::string &package,
               DecodeOutcome &outcome) {
    char *buffer = nullptr;
    size_t size = 0;
    std::FILE *errors = open_memstream(&buffer, &size);
    if (errors == nullptr) {
        outcome.runError = "cannot make room for the decoder's messages";
        return;
    }
    std::mutex reportsMutex;
    Collector collector;
    try {
        zuv::tool::ToolContext context(errors);
        zuv::tool::Session session(context);
        session.runtime().SetReportCallback(
            [&outcome, &reportsMutex](int level, const std::string &instance, const std::string &text) {
                std::lock_guard<std::mutex> lock(reportsMutex);
                outcome.reports.push_back({level, instance, text});
            });
        try {
            session.runtime().LoadPackage(package);
        } catch (const zuv::host::HostError &e) {
            outcome.loadError = "cannot load the package " + package + ": " + e.what();
        }
        if (outcome.loadError.empty()) {
            zuv::host::Instance &decoder = session.createInstance("ZUV_FrameDecoder", "decoder");
            session.applyProperties(properties);
            outcome.addsFramerate = decoder.GetProperty("pAddOriginalFramerate").boolean;
            for (const auto &out : decoder.Outputs()) {
                session.runtime().AttachSink(decoder, out.name, collector.attach(out));
            }
            zuv::tool::ReplayOptions replay;
            replay.path = recording;
            replay.maxRecordSize = static_cast<int>(kMaxRecord);
            // As in `zuv decode`: the decoder stamps with its samples' own time stamps.
            replay.lockstep = false;
            // Its failures (truncated, oversized, read error) come as "zuv: " lines.
            zuv::tool::replayRecording(session, decoder, "iData", replay);
        }
    } catch (const zuv::tool::ToolError &e) {
        if (e.status() == zuv::tool::kExitUsage) {
            outcome.usageError = e.what();
        } else {
            outcome.runError = e.what();
        }
    } catch (const std::exception &e) {
        outcome.runError = e.what();
    }
    std::fclose(errors);
    const std::string printed = takeErrors(buffer, size);
    std::free(buffer);
    if (outcome.runError.empty()) outcome.runError = printed;
    outcome.outputs = std::move(collector.outputs());
}

py::dict decode(const std::string &recording, const std::vector<std::string> &properties, const std::string &package) {
    DecodeOutcome outcome;
    {
        py::gil_scoped_release release;
        runDecode(recording, properties, package, outcome);
    }
    py::list reports;
    for (const Report &r : outcome.reports) reports.append(py::make_tuple(r.level, r.instance, r.text));
    py::dict outputs;
    for (auto &rows : outcome.outputs) outputs[py::str(rows->name)] = rowsToPython(*rows);
    py::dict result;
    result["outputs"] = outputs;
    result["reports"] = reports;
    result["adds_framerate"] = outcome.addsFramerate;
    result["load_error"] = outcome.loadError;
    result["usage_error"] = outcome.usageError;
    result["error"] = outcome.runError;
    return result;
}

const char *elementName(zuv::catalogue::Element element) {
    switch (element) {
        case zuv::catalogue::Element::Integer64: return "Integer64";
        case zuv::catalogue::Element::Float64: return "Float64";
        case zuv::catalogue::Element::Stream8: return "Stream8";
    }
    return "Stream8";
}

// output -> (columns or None, element type, twin output or None, variable length)
py::dict catalogue() {
    py::dict kinds;
    for (const zuv::catalogue::LogKind &kind : zuv::catalogue::kLogKinds) {
        const zuv::catalogue::Layout &layout = zuv::catalogue::layoutOf(kind.record);
        py::object columns = py::none();
        if (layout.columns != nullptr) {
            py::list names;
            for (int i = 0; i < layout.elementCount; ++i) names.append(layout.columns[i]);
            columns = py::tuple(names);
        }
        kinds[kind.output] =
            py::make_tuple(columns, elementName(layout.element),
                           kind.twin[0] != '\0' ? py::object(py::str(kind.twin)) : py::object(py::none()),
                           kind.record == zuv::catalogue::Record::Event);
    }
    return kinds;
}

}  // namespace

PYBIND11_MODULE(_zuv, m) {
    m.doc() = "zuv.pck's recordings and frame decoder (use the zuv package, not this module)";

    py::class_<RecordingIterator>(m, "RecordingIterator")
        .def("__iter__", [](RecordingIterator &self) -> RecordingIterator & { return self; })
        .def("__next__", &RecordingIterator::next);

    py::class_<Recording>(m, "Recording")
        .def(py::init<std::string>(), py::arg("path"))
        .def_property_readonly("path", &Recording::path)
        .def_property_readonly("first_timestamp", &Recording::first)
        .def_property_readonly("last_timestamp", &Recording::last)
        .def("__len__", &Recording::size)
        .def("__iter__", [](const Recording &self) { return std::make_unique<RecordingIterator>(self.path()); });

    m.def("decode", &decode, py::arg("recording"), py::arg("properties"), py::arg("package"));
    m.def("catalogue", &catalogue);
    m.attr("PACKAGE_FROM_BUILD") = ZUV_PACKAGE_FROM_BUILD;
    m.attr("PACKAGE_FROM_INSTALL") = ZUV_PACKAGE_FROM_INSTALL;
}
