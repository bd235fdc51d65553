// Writes every sample published on the outputs it is attached to as one JSON
// line (jsonLineFormat.h), in the order the samples were published.
// Errors: a write failure (full disk, closed pipe) is remembered; later lines
// are dropped and ok() turns false, so the run can end with status 1 instead
// of losing data silently. Buffered lines leave at least every kFlushEvery, so
// a failing output is seen within that time. Threading: the sink callbacks may run on several
// component threads; one mutex keeps each line whole and in publish order.
// Lines collect in a reused buffer and leave in large writes; nothing is
// allocated per sample once the buffer has grown.
// With a writer thread (bulk runs such as a replay), a callback only copies
// its sample into a batch; the thread formats whole batches and writes them,
// so the publishing thread is held up by neither. Lines and their order are
// the same either way; failures then show on the writer thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "jsonLineFormat.h"
#include "maps_runtime.h"

namespace zuv::sinks {

class JsonLinesSink {
public:
    static constexpr std::chrono::milliseconds kFlushEvery{200};

    // Writes to an open stream it does not own (stdout).
    explicit JsonLinesSink(std::FILE *stream);
    ~JsonLinesSink();
    JsonLinesSink(const JsonLinesSink &) = delete;
    JsonLinesSink &operator=(const JsonLinesSink &) = delete;

    // Creates or truncates a file of its own; false (and error()) if it cannot.
    bool openFile(const std::string &path);

    // Flush after every line (live runs, where someone watches); default off.
    // Not with a writer thread.
    void setFlushEachLine(bool on) { flushEachLine_ = on; }
    // Formats and writes on a thread of the sink's own from now on, until
    // close(). Call before the run, once; false (and the sink stays as it was)
    // with flushEachLine or when no thread can be made.
    bool startWriterThread();
    // Called once, on the failing thread, when the first write fails (e.g. to
    // end the run: the lines after it are lost). Must not call into the sink.
    void setFailureHandler(std::function<void(const std::string &error)> handler) {
        failureHandler_ = std::move(handler);
    }

    host::SampleCallback callbackFor(const std::string &instance, const std::string &output);
    // Attaches to every output the instance has now; call after properties are applied.
    void attachAll(host::Runtime &runtime, host::Instance &instance);

    // Called by the callbacks; public for writers that are not runtime sinks.
    void write(const host::SampleView &sample, const JsonPinTag &pin);

    // Pushes buffered lines out; false once anything failed.
    bool flush();
    // Flushes and closes an owned file.
    bool close();
    bool ok() const;
    std::string error() const;
    // The OS error of the failure (EPIPE for a reader that went away), 0 if none.
    int errorNumber() const;
    // Lines formatted, and of those the lines that reached the stream.
    uint64_t lines() const;
    uint64_t writtenLines() const;

private:
    // A batch holds samples as copied by the callbacks: a header, then the
    // bytes, padded to whole words.
    struct Entry {
        int64_t timestamp;
        const JsonPinTag *pin;
        uint64_t count;
        uint64_t bytes;
    };
    struct Batch {
        enum class State { Free, Filling, Ready, Writing };
        std::unique_ptr<uint64_t[]> words;
        size_t capacity = 0;  // in words
        size_t used = 0;
        uint64_t samples = 0;
        State state = State::Free;
        // Room for at least `atLeast` words; the words held are not kept.
        void reserve(size_t atLeast) {
            if (capacity >= atLeast) return;
            words = std::make_unique<uint64_t[]>(atLeast);
            capacity = atLeast;
        }
    };
    static constexpr size_t kBatches = 4;

    bool flushLocked();
    void reportFailure(bool failedBefore);
    // Writer thread, producer side (fillMutex_ held): copies one sample into
    // the batch being filled, handing that batch over when full or asked to.
    void enqueue(const host::SampleView &sample, const JsonPinTag &pin);
    // Hands the batch being filled to the writer (mutex_ held too); with
    // `need`, then gets a free batch with room for that many words, waiting
    // for the writer if none is free. Null once a write failed.
    Batch *handOverLocked(std::unique_lock<std::mutex> &lock, size_t need);
    // Timed flush: the writer takes the partly filled batch itself when no
    // producer is under way; otherwise the producer does at its next sample.
    bool takePartialBatch();
    void writerMain();
    // Formats and writes one batch: 0, or the OS error of a failed write.
    int writeBatch(const Batch &batch, uint64_t &formatted, uint64_t &written);
    void stopWriterThread();

    mutable std::mutex mutex_;
    std::FILE *stream_;
    bool ownsStream_ = false;
    std::string path_ = "standard output";
    bool flushEachLine_ = false;
    std::string buffer_;
    std::deque<JsonPinTag> pins_;  // stable addresses for the callbacks
    uint64_t lines_ = 0;
    uint64_t bufferedLines_ = 0;
    uint64_t writtenLines_ = 0;
    std::string error_;
    int errno_ = 0;
    std::chrono::steady_clock::time_point nextFlush_ = std::chrono::steady_clock::now() + kFlushEvery;
    std::function<void(const std::string &)> failureHandler_;

    // Writer thread. The batch being filled belongs to the producers under
    // fillMutex_, which stays on the publishing thread's core when there is
    // one; mutex_ (batch states, counts, flags) is taken only to hand a batch
    // over. Lock order: fillMutex_, then mutex_.
    std::mutex fillMutex_;
    bool producing_ = false;           // under both locks; read under either
    Batch *filling_ = nullptr;         // under fillMutex_; null: handed over
    uint64_t enqueued_ = 0;            // under fillMutex_
    std::atomic<bool> failed_{false};  // error_ is set, for the producers
    alignas(64) std::atomic<bool> flushRequested_{false};
    alignas(64) std::thread writer_;
    bool stopWriter_ = false;
    Batch batches_[kBatches];
    size_t fill_ = 0;       // the batch being filled, or the last one handed over
    size_t next_ = 0;       // the oldest batch not yet written
    uint64_t handled_ = 0;  // samples the writer has finished with
    int producersWaiting_ = 0;
    int flushers_ = 0;
    bool writerWaiting_ = false;
    std::condition_variable writerCv_;
    std::condition_variable producerCv_;
    std::condition_variable handledCv_;
};

SampleType sampleTypeOf(host::ElementType type);

}  // namespace zuv::sinks
