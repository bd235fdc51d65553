#include "csvExport.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

#include <fmt/compile.h>
#include <fmt/format.h>

#include "zuvEComLogCatalogue.h"

namespace zuv::tool {

namespace {

namespace catalogue = zuv::catalogue;

constexpr size_t kFlushAt = 1 << 16;

template <typename Int>
void appendInt(std::string &out, Int v) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, static_cast<size_t>(res.ptr - buf));
}

void appendDouble(std::string &out, double v) {
    // fmt's shortest round-trip digits; nan, inf and -inf for the rest.
    char buf[32];
    char *end = fmt::format_to(buf, FMT_COMPILE("{}"), v);
    out.append(buf, static_cast<size_t>(end - buf));
}

template <typename T>
T load(const void *data, size_t index) {
    T v;
    std::memcpy(&v, static_cast<const unsigned char *>(data) + index * sizeof(T), sizeof(T));  // need not be aligned
    return v;
}

}  // namespace

std::vector<std::string> csvColumnsOf(std::string_view output, bool framerate) {
    for (const catalogue::LogKind &kind : catalogue::kLogKinds) {
        if (output == kind.twin) return {"internalTimestamp"};
        if (output != kind.output) continue;
        const catalogue::Layout &layout = catalogue::layoutOf(kind.record);
        if (layout.columns == nullptr) return {"bytes"};
        // The last name is the framerate the decoder appends with pAddOriginalFramerate.
        const int count = framerate ? layout.elementCount : layout.elementCount - 1;
        return std::vector<std::string>(layout.columns, layout.columns + count);
    }
    return {};
}

void appendCsvRow(std::string &out, const host::SampleView &sample, size_t columns) {
    appendInt(out, sample.timestamp);
    const size_t count = sample.vectorSize > 0 ? static_cast<size_t>(sample.vectorSize) : 0;
    size_t cells = 0;
    switch (sample.type) {
        case host::ElementType::Float64:
            for (; cells < count; ++cells) {
                out.push_back(',');
                appendDouble(out, load<double>(sample.data, cells));
            }
            break;
        case host::ElementType::Float32:
            for (; cells < count; ++cells) {
                out.push_back(',');
                appendDouble(out, static_cast<double>(load<float>(sample.data, cells)));
            }
            break;
        case host::ElementType::Integer64:
            for (; cells < count; ++cells) {
                out.push_back(',');
                appendInt(out, load<int64_t>(sample.data, cells));
            }
            break;
        case host::ElementType::Integer32:
            for (; cells < count; ++cells) {
                out.push_back(',');
                appendInt(out, load<int32_t>(sample.data, cells));
            }
            break;
        case host::ElementType::Stream8:
        case host::ElementType::TextAscii: {
            // One cell of hex: bytes may be commas, quotes and line ends.
            static constexpr char kHex[] = "0123456789abcdef";
            const auto *bytes = static_cast<const unsigned char *>(sample.data);
            out.push_back(',');
            for (size_t i = 0; i < count; ++i) {
                out.push_back(kHex[bytes[i] >> 4]);
                out.push_back(kHex[bytes[i] & 0xF]);
            }
            cells = 1;
            break;
        }
    }
    for (; cells < columns; ++cells) out.push_back(',');
    out.push_back('\n');
}

CsvExportSink::CsvExportSink(std::string directory) : directory_(std::move(directory)) {}

CsvExportSink::~CsvExportSink() {
    close();
}

host::SampleCallback CsvExportSink::callbackFor(const host::OutputInfo &info) {
    std::lock_guard<std::mutex> lock(mutex_);
    outputs_.emplace_back();
    OutputFile *out = &outputs_.back();
    out->output = info.name;
    out->path = directory_ + "/" + info.name + ".csv";
    out->columns = csvColumnsOf(info.name, framerate_);
    if (out->columns.empty()) {
        const bool bytes = info.type == host::ElementType::Stream8 || info.type == host::ElementType::TextAscii;
        for (int i = 0; i < (bytes ? 1 : info.maxSize); ++i) {
            out->columns.push_back(bytes ? std::string("bytes") : "v" + std::to_string(i));
        }
    }
    return [this, out](const host::SampleView &sample) { write(*out, sample); };
}

void CsvExportSink::attachAll(host::Runtime &runtime, host::Instance &instance) {
    for (const host::OutputInfo &info : instance.Outputs()) runtime.AttachSink(instance, info.name, callbackFor(info));
}

bool CsvExportSink::fail(const OutputFile &out, const char *what, int error) {
    if (!error_.empty()) return false;
    errno_ = error;
    error_ = out.path + ": " + what + ": " + std::strerror(error);
    return false;
}

bool CsvExportSink::openLocked(OutputFile &out, const host::SampleView &) {
    errno = 0;
    out.file = std::fopen(out.path.c_str(), "wb");
    if (out.file == nullptr) return fail(out, "cannot create", errno);
    // Rows collect in the output's own buffer: stdio needs none of its own.
    std::setvbuf(out.file, nullptr, _IONBF, 0);
    files_.push_back(out.path);
    out.buffer.reserve(kFlushAt + 4096);
    out.buffer = "t";
    for (const std::string &column : out.columns) {
        out.buffer.push_back(',');
        out.buffer += column;
    }
    out.buffer.push_back('\n');
    return true;
}

bool CsvExportSink::flushLocked(OutputFile &out) {
    if (out.file == nullptr || out.buffer.empty()) return error_.empty();
    if (error_.empty()) {
        errno = 0;
        if (std::fwrite(out.buffer.data(), 1, out.buffer.size(), out.file) != out.buffer.size()) {
            fail(out, "cannot write", errno);
        } else if (std::fflush(out.file) != 0) {
            fail(out, "cannot write", errno);
        }
    }
    out.buffer.clear();
    return error_.empty();
}

void CsvExportSink::write(OutputFile &out, const host::SampleView &sample) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!error_.empty()) return;
        if (out.file != nullptr || openLocked(out, sample)) {
            appendCsvRow(out.buffer, sample, out.columns.size());
            ++rows_;
            if (out.buffer.size() < kFlushAt || flushLocked(out)) return;
        }
    }
    if (failureHandler_) failureHandler_(error());
}

bool CsvExportSink::close() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (OutputFile &out : outputs_) {
        flushLocked(out);
        if (out.file == nullptr) continue;
        errno = 0;
        if (std::fclose(out.file) != 0) fail(out, "cannot close", errno);
        out.file = nullptr;
    }
    return error_.empty();
}

std::string CsvExportSink::error() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return error_;
}

int CsvExportSink::errorNumber() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return errno_;
}

std::vector<std::string> CsvExportSink::files() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return files_;
}

uint64_t CsvExportSink::rows() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return rows_;
}

}  // namespace zuv::tool
