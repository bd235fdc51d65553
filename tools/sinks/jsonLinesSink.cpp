#include "jsonLinesSink.h"

#include <cerrno>
#include <cstring>

namespace zuv::sinks {

namespace {
constexpr size_t kFlushAt = 1 << 16;
}

SampleType sampleTypeOf(host::ElementType type) {
    switch (type) {
        case host::ElementType::Stream8: return SampleType::Stream8;
        case host::ElementType::TextAscii: return SampleType::TextAscii;
        case host::ElementType::Integer32: return SampleType::Integer32;
        case host::ElementType::Integer64: return SampleType::Integer64;
        case host::ElementType::Float64: return SampleType::Float64;
        case host::ElementType::Float32: return SampleType::Float32;
    }
    return SampleType::Stream8;
}

JsonLinesSink::JsonLinesSink(std::FILE *stream) : stream_(stream) { buffer_.reserve(2 * kFlushAt); }

JsonLinesSink::~JsonLinesSink() { close(); }

bool JsonLinesSink::openFile(const std::string &path) {
    std::lock_guard<std::mutex> lock(mutex_);
    errno = 0;
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        error_ = path + ": cannot create: " + std::strerror(errno);
        return false;
    }
    stream_ = f;
    ownsStream_ = true;
    path_ = path;
    return true;
}

host::SampleCallback JsonLinesSink::callbackFor(const std::string &instance, const std::string &output) {
    std::lock_guard<std::mutex> lock(mutex_);
    // One tag per element type: the line names the type the sample carries.
    const JsonPinTag *tags[kSampleTypeCount];
    for (size_t t = 0; t < kSampleTypeCount; ++t) {
        pins_.emplace_back(instance, output, static_cast<SampleType>(t));
        tags[t] = &pins_.back();
    }
    return [this, tags](const host::SampleView &sample) {
        write(sample, *tags[static_cast<size_t>(sampleTypeOf(sample.type))]);
    };
}

void JsonLinesSink::attachAll(host::Runtime &runtime, host::Instance &instance) {
    for (const auto &out : instance.Outputs()) {
        runtime.AttachSink(instance, out.name, callbackFor(instance.Name(), out.name));
    }
}

void JsonLinesSink::write(const host::SampleView &sample, const JsonPinTag &pin) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!error_.empty() || stream_ == nullptr) return;
        size_t count = sample.vectorSize > 0 ? static_cast<size_t>(sample.vectorSize) : 0;
        appendJsonLine(buffer_, sample.timestamp, pin, sample.data, count);
        ++lines_;
        ++bufferedLines_;
        if (!flushEachLine_ && buffer_.size() < kFlushAt) {
            const auto now = std::chrono::steady_clock::now();
            if (now < nextFlush_) return;
            nextFlush_ = now + kFlushEvery;
        }
        if (flushLocked()) return;
    }
    reportFailure(false);
}

void JsonLinesSink::reportFailure(bool failedBefore) {
    if (failedBefore || !failureHandler_) return;
    failureHandler_(error());
}

bool JsonLinesSink::flushLocked() {
    if (stream_ == nullptr) return error_.empty();
    if (error_.empty() && !buffer_.empty()) {
        errno = 0;
        if (std::fwrite(buffer_.data(), 1, buffer_.size(), stream_) != buffer_.size()) {
            errno_ = errno;
            error_ = path_ + ": cannot write: " + std::strerror(errno_);
        }
    }
    buffer_.clear();
    if (error_.empty() && std::fflush(stream_) != 0) {
        errno_ = errno;
        error_ = path_ + ": cannot write: " + std::strerror(errno_);
    }
    if (error_.empty()) writtenLines_ += bufferedLines_;
    bufferedLines_ = 0;
    return error_.empty();
}

bool JsonLinesSink::flush() {
    bool failedBefore = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        failedBefore = !error_.empty();
        if (flushLocked()) return true;
    }
    reportFailure(failedBefore);
    return false;
}

bool JsonLinesSink::close() {
    std::lock_guard<std::mutex> lock(mutex_);
    bool ok = flushLocked();
    if (ownsStream_ && stream_ != nullptr) {
        if (std::fclose(stream_) != 0 && error_.empty()) {
            error_ = path_ + ": cannot close: " + std::strerror(errno);
            ok = false;
        }
        stream_ = nullptr;
        ownsStream_ = false;
    }
    return ok;
}

bool JsonLinesSink::ok() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return error_.empty();
}

std::string JsonLinesSink::error() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return error_;
}

int JsonLinesSink::errorNumber() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return errno_;
}

uint64_t JsonLinesSink::lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
}

uint64_t JsonLinesSink::writtenLines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return writtenLines_;
}

}  // namespace zuv::sinks
