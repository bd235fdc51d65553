// Output FIFO: `depth` preallocated elements, one writer at a time, any number
// of readers, each reading every sample. A full FIFO makes the writer wait for
// the slowest reader still running; a stop or the waiting side's dying flag
// ends any wait. Publishing allocates nothing.
//
// Lock-free paths: an output without readers (only sinks) is never full, so
// its writer only claims the FIFO; a reader takes every sample published when
// it looks, and hands them out one by one without the lock, releasing them
// all when it comes back for more.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "maps_runtime.h"
#include "maps_types.h"

namespace zuv::host::detail {

class Fifo;

class Slot final : public MAPSIOElt {
public:
    Slot() = default;
    void Bind(Fifo *owner, void *data, int elements, MAPSElementType type) {
        owner_ = owner;
        data_ = data;
        bufferSize_ = elements;
        type_ = type;
    }
    void Clear() {
        timestamp_ = 0;
        vectorSize_ = 0;
        quality_ = 0;
    }
    Fifo *Owner() const { return owner_; }

private:
    Fifo *owner_ = nullptr;
};

class Fifo {
public:
    // Names are those of the publishing instance and output, for sinks; they
    // must outlive the FIFO.
    Fifo(MAPSElementType type, int maxSize, int depth, const std::string *instance, const std::string *output);
    Fifo(const Fifo &) = delete;
    Fifo &operator=(const Fifo &) = delete;

    // Set-up before the run.
    int AddReader();
    void AddSink(SampleCallback sink);

    // Writer: a cleared element, or null when it would have to wait and
    // `dying` is set or the FIFO is stopped.
    Slot *Acquire(const std::atomic<bool> &dying);
    enum class PublishResult { Published, Discarded, NotWriting, BadVectorSize };
    PublishResult Publish(Slot *slot, bool discard);

    // Reader: releases the reader's previous element, then the next sample;
    // null when stopping (even if samples are queued).
    Slot *Read(int reader, const std::atomic<bool> &dying);
    void ReaderGone(int reader);

    // True once every reader still running has finished with every sample
    // published and waits for more; false on time-out.
    bool WaitIdle(std::chrono::steady_clock::time_point deadline);

    // A reader waiting for input is woken once it has `unread` samples to
    // take (1: at every sample); a full FIFO, Flush, WaitIdle and the stop
    // wake it whatever it has.
    void SetReaderWakeAt(int unread);
    void Flush();

    void Stop();  // ends every wait for good
    void Wake();  // makes waiters re-check their dying flags
    const std::string &OutputName() const { return *output_; }
    int MaxSize() const { return maxSize_; }
    MAPSElementType Type() const { return type_; }

private:
    struct Reader {
        uint64_t taken = 0;     // samples claimed
        uint64_t released = 0;  // samples finished with
        uint64_t next = 0;      // the next claimed sample to hand out (the reader's own thread only)
        bool waiting = false;   // blocked in Read with nothing to take
        bool gone = false;      // its component's run has ended
    };
    bool TryClaim();
    Slot *Claimed();
    int FreeLocked() const;
    bool FullLocked() const;
    bool IdleLocked() const;
    void SignalWritersLocked();
    void EndWriting();
    // Marks a signal as on its way to the waiting readers; true when the caller is to send it.
    bool TakeReaderSignalLocked();
    void SignalReadersLocked();
    bool ReaderWantsWakingLocked() const;

    const MAPSElementType type_;
    const ElementType viewType_;  // the sinks' name for type_
    const int maxSize_;
    const int depth_;
    const std::string *instance_;
    const std::string *output_;
    std::unique_ptr<uint64_t[]> storage_;
    std::unique_ptr<Slot[]> slots_;
    std::vector<SampleCallback> sinks_;

    mutable std::mutex mutex_;
    std::condition_variable writerCv_;
    std::condition_variable readerCv_;
    std::condition_variable idleCv_;
    std::vector<Reader> readers_;
    std::atomic<int> readerCount_{0};
    // Under the lock, or by the claiming writer alone when there is no reader.
    uint64_t written_ = 0;
    // Claimed by Acquire (under the lock where there are readers); the writer
    // clears them without it after the sinks, and a writer that waits for them
    // claims again after counting itself in writersWaiting_, so one of the two
    // sides always sees the other.
    std::atomic<bool> writing_{false};
    std::atomic<Slot *> current_{nullptr};
    std::atomic<bool> stopped_{false};
    int drainers_ = 0;
    int readersWaiting_ = 0;
    std::atomic<int> writersWaiting_{0};
    int readerWakeAt_ = 1;
    // A signal is on its way to the waiters; cleared by each one that waits.
    bool readersSignalled_ = false;
    bool writersSignalled_ = false;
};

}  // namespace zuv::host::detail
