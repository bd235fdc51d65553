#include "jsonLinesSink.h"

#include <cerrno>
#include <cstring>

namespace zuv::sinks {

namespace {
constexpr size_t kFlushAt = 1 << 16;
// Writer thread: batches of copied samples, and the size of its writes.
constexpr size_t kBatchWords = (size_t{1} << 18) / 8;
constexpr size_t kWriteAt = size_t{1} << 18;
constexpr size_t wordsFor(size_t bytes) {
    return (bytes + 7) / 8;
}
}  // namespace

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

JsonLinesSink::JsonLinesSink(std::FILE *stream) : stream_(stream) {
    buffer_.reserve(2 * kFlushAt);
}

JsonLinesSink::~JsonLinesSink() {
    close();
}

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
        std::lock_guard<std::mutex> fill(fillMutex_);
        if (producing_) {
            enqueue(sample, pin);
            return;
        }
    }
    {
        std::unique_lock<std::mutex> lock(mutex_);
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

bool JsonLinesSink::startWriterThread() {
    std::lock_guard<std::mutex> fill(fillMutex_);
    std::lock_guard<std::mutex> lock(mutex_);
    if (producing_ || flushEachLine_) return false;
    try {
        for (Batch &batch : batches_) {
            batch.reserve(kBatchWords);
            batch.used = 0;
            batch.samples = 0;
            batch.state = Batch::State::Free;
        }
        buffer_.reserve(2 * kWriteAt);
        fill_ = 0;
        next_ = 0;
        batches_[0].state = Batch::State::Filling;
        filling_ = &batches_[0];
        stopWriter_ = false;
        flushRequested_.store(false);
        writer_ = std::thread([this] { writerMain(); });
    } catch (const std::exception &) {
        return false;
    }
    producing_ = true;
    return true;
}

void JsonLinesSink::enqueue(const host::SampleView &sample, const JsonPinTag &pin) {
    if (failed_.load(std::memory_order_relaxed)) return;
    const size_t count = sample.vectorSize > 0 ? static_cast<size_t>(sample.vectorSize) : 0;
    const size_t bytes = count * sampleElementSize(pin.type());
    const size_t need = wordsFor(sizeof(Entry)) + wordsFor(bytes);
    Batch *batch = filling_;
    if (batch == nullptr || batch->used + need > batch->capacity) {
        std::unique_lock<std::mutex> lock(mutex_);
        batch = handOverLocked(lock, need);
        if (batch == nullptr) return;
    }
    const Entry entry{sample.timestamp, &pin, count, bytes};
    std::memcpy(batch->words.get() + batch->used, &entry, sizeof entry);
    if (bytes > 0) std::memcpy(batch->words.get() + batch->used + wordsFor(sizeof(Entry)), sample.data, bytes);
    batch->used += need;
    ++batch->samples;
    ++enqueued_;
    // The writer's timed flush: this sample goes with the partly filled batch.
    if (flushRequested_.load(std::memory_order_relaxed) && flushRequested_.exchange(false)) {
        std::unique_lock<std::mutex> lock(mutex_);
        handOverLocked(lock, 0);
    }
}

JsonLinesSink::Batch *JsonLinesSink::handOverLocked(std::unique_lock<std::mutex> &lock, size_t need) {
    if (filling_ != nullptr) {
        if (filling_->samples == 0) {
            if (need == 0) return nullptr;
            // A sample larger than a whole batch: that batch grows, once.
            filling_->reserve(need);
            return filling_;
        }
        filling_->state = Batch::State::Ready;
        filling_ = nullptr;
        if (writerWaiting_) writerCv_.notify_one();
    }
    if (need == 0) return nullptr;
    // On to the next batch, or wait for the writer to free it.
    const size_t next = (fill_ + 1) % kBatches;
    for (;;) {
        if (!error_.empty()) return nullptr;
        if (batches_[next].state == Batch::State::Free) break;
        ++producersWaiting_;
        producerCv_.wait(lock);
        --producersWaiting_;
    }
    fill_ = next;
    Batch &batch = batches_[next];
    batch.state = Batch::State::Filling;
    batch.reserve(need);
    filling_ = &batch;
    return filling_;
}

bool JsonLinesSink::takePartialBatch() {
    // A producer waiting for a free batch holds fillMutex_ until the writer
    // frees one, so the writer only tries it.
    std::unique_lock<std::mutex> fill(fillMutex_, std::try_to_lock);
    if (!fill.owns_lock()) return false;
    std::unique_lock<std::mutex> lock(mutex_);
    flushRequested_.store(false);
    handOverLocked(lock, 0);
    return true;
}

void JsonLinesSink::writerMain() {
    // A producer under way when the timed flush is due gets this long to
    // honour it before the writer tries again to take the batch itself.
    constexpr auto kRetry = std::chrono::milliseconds(5);
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        Batch &batch = batches_[next_];
        if (batch.state != Batch::State::Ready) {
            if (stopWriter_) return;
            const auto now = std::chrono::steady_clock::now();
            auto wakeAt = nextFlush_;
            if (now >= nextFlush_) {
                flushRequested_.store(true);
                lock.unlock();
                const bool taken = takePartialBatch();
                lock.lock();
                if (taken) nextFlush_ = now + kFlushEvery;
                if (batches_[next_].state == Batch::State::Ready) continue;
                wakeAt = taken ? nextFlush_ : now + kRetry;
            }
            writerWaiting_ = true;
            writerCv_.wait_until(lock, wakeAt);
            writerWaiting_ = false;
            continue;
        }
        batch.state = Batch::State::Writing;
        const bool failedBefore = !error_.empty();
        int failure = 0;
        uint64_t formatted = 0;
        uint64_t written = 0;
        if (!failedBefore) {
            // The stream and the line buffer are the writer's alone while it runs.
            lock.unlock();
            failure = writeBatch(batch, formatted, written);
            lock.lock();
        }
        lines_ += formatted;
        writtenLines_ += written;
        if (failure != 0 && error_.empty()) {
            errno_ = failure;
            error_ = path_ + ": cannot write: " + std::strerror(failure);
            failed_.store(true);
        }
        handled_ += batch.samples;
        batch.used = 0;
        batch.samples = 0;
        batch.state = Batch::State::Free;
        next_ = (next_ + 1) % kBatches;
        nextFlush_ = std::chrono::steady_clock::now() + kFlushEvery;
        if (producersWaiting_ > 0) producerCv_.notify_all();
        if (flushers_ > 0) handledCv_.notify_all();
        if (!failedBefore && failure != 0) {
            lock.unlock();
            reportFailure(false);
            lock.lock();
        }
    }
}

int JsonLinesSink::writeBatch(const Batch &batch, uint64_t &formatted, uint64_t &written) {
    uint64_t pending = 0;
    auto out = [&]() -> int {
        errno = 0;
        if (std::fwrite(buffer_.data(), 1, buffer_.size(), stream_) != buffer_.size() || std::fflush(stream_) != 0)
            return errno != 0 ? errno : EIO;
        buffer_.clear();
        written += pending;
        pending = 0;
        return 0;
    };
    const uint64_t *words = batch.words.get();
    for (size_t at = 0; at < batch.used;) {
        Entry entry;
        std::memcpy(&entry, words + at, sizeof entry);
        at += wordsFor(sizeof(Entry));
        appendJsonLine(buffer_, entry.timestamp, *entry.pin, words + at, entry.count);
        at += wordsFor(entry.bytes);
        ++formatted;
        ++pending;
        if (buffer_.size() >= kWriteAt) {
            if (int failure = out()) {
                buffer_.clear();
                return failure;
            }
        }
    }
    const int failure = buffer_.empty() ? 0 : out();
    buffer_.clear();
    return failure;
}

void JsonLinesSink::stopWriterThread() {
    {
        std::lock_guard<std::mutex> fill(fillMutex_);
        std::unique_lock<std::mutex> lock(mutex_);
        if (!producing_) return;
        handOverLocked(lock, 0);
        producing_ = false;
        stopWriter_ = true;
        writerCv_.notify_one();
    }
    writer_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    if (flushers_ > 0) handledCv_.notify_all();
}

bool JsonLinesSink::flush() {
    bool failedBefore = false;
    {
        std::unique_lock<std::mutex> fill(fillMutex_);
        std::unique_lock<std::mutex> lock(mutex_);
        if (producing_) {
            // Everything handed over so far leaves before this returns.
            handOverLocked(lock, 0);
            const uint64_t target = enqueued_;
            fill.unlock();
            ++flushers_;
            if (writerWaiting_) writerCv_.notify_one();
            handledCv_.wait(lock, [&] { return handled_ >= target || stopWriter_; });
            --flushers_;
            return error_.empty();
        }
        fill.unlock();
        failedBefore = !error_.empty();
        if (flushLocked()) return true;
    }
    reportFailure(failedBefore);
    return false;
}

bool JsonLinesSink::close() {
    stopWriterThread();
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
