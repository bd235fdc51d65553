#include "fifo.h"

#include <algorithm>

#include "elementTypes.h"

namespace zuv::host::detail {

Fifo::Fifo(MAPSElementType type, int maxSize, int depth, const std::string *instance, const std::string *output)
    : type_(type),
      viewType_(FromMaps(type)),
      maxSize_(std::max(0, maxSize)),
      depth_(std::max(1, depth)),
      instance_(instance),
      output_(output) {
    // Each element gets room for maxSize elements plus a terminating zero
    // for text, rounded up to whole 8-byte words so every type is aligned.
    const size_t bytes = static_cast<size_t>(maxSize_) * static_cast<size_t>(MAPSElementSize(type_)) + 1;
    const size_t words = (bytes + 7) / 8;
    storage_ = std::make_unique<uint64_t[]>(words * static_cast<size_t>(depth_));
    slots_ = std::make_unique<Slot[]>(static_cast<size_t>(depth_));
    for (int i = 0; i < depth_; ++i)
        slots_[i].Bind(this, storage_.get() + words * static_cast<size_t>(i), maxSize_, type_);
}

int Fifo::AddReader() {
    std::lock_guard<std::mutex> lock(mutex_);
    readers_.emplace_back();
    readerCount_.store(static_cast<int>(readers_.size()), std::memory_order_release);
    return static_cast<int>(readers_.size()) - 1;
}

void Fifo::AddSink(SampleCallback sink) {
    std::lock_guard<std::mutex> lock(mutex_);
    sinks_.push_back(std::move(sink));
}

int Fifo::FreeLocked() const {
    // Without readers written_ belongs to the writer, and nothing fills the FIFO.
    if (readers_.empty()) return depth_;
    uint64_t oldest = written_;
    for (const Reader &reader : readers_)
        if (!reader.gone) oldest = std::min(oldest, reader.released);
    return depth_ - static_cast<int>(written_ - oldest);
}

bool Fifo::FullLocked() const {
    return FreeLocked() <= 0;
}

// One wake-up per wait: until a woken side has run and waits again, further
// changes need not signal it (it re-checks everything when it runs), so a
// side that lags behind costs no system call per sample.
void Fifo::SignalWritersLocked() {
    if (writersSignalled_) return;
    writersSignalled_ = true;
    writerCv_.notify_all();
}

bool Fifo::TakeReaderSignalLocked() {
    if (readersWaiting_ == 0 || readersSignalled_) return false;
    readersSignalled_ = true;
    return true;
}

void Fifo::SignalReadersLocked() {
    if (TakeReaderSignalLocked()) readerCv_.notify_all();
}

bool Fifo::ReaderWantsWakingLocked() const {
    if (readerWakeAt_ <= 1) return true;
    for (const Reader &reader : readers_)
        if (reader.waiting && written_ - reader.taken >= static_cast<uint64_t>(readerWakeAt_)) return true;
    return false;
}

void Fifo::SetReaderWakeAt(int unread) {
    std::lock_guard<std::mutex> lock(mutex_);
    readerWakeAt_ = std::clamp(unread, 1, depth_);
    SignalReadersLocked();
}

void Fifo::Flush() {
    std::lock_guard<std::mutex> lock(mutex_);
    SignalReadersLocked();
}

bool Fifo::TryClaim() {
    bool expected = false;
    return writing_.compare_exchange_strong(expected, true);
}

Slot *Fifo::Claimed() {
    Slot *slot = &slots_[written_ % static_cast<uint64_t>(depth_)];
    slot->Clear();
    current_.store(slot, std::memory_order_relaxed);
    return slot;
}

Slot *Fifo::Acquire(const std::atomic<bool> &dying) {
    if (readerCount_.load(std::memory_order_acquire) == 0 && TryClaim()) return Claimed();
    std::unique_lock<std::mutex> lock(mutex_);
    while (FullLocked() || !TryClaim()) {
        if (stopped_ || dying.load(std::memory_order_acquire)) return nullptr;
        // Readers that wait for a run of samples get what there is.
        SignalReadersLocked();
        ++writersWaiting_;
        // The other writer may have finished without the lock before it could see us.
        if (!FullLocked() && TryClaim()) {
            --writersWaiting_;
            break;
        }
        writersSignalled_ = false;
        writerCv_.wait(lock);
        --writersWaiting_;
        // A stop ends the wait even if room appeared meanwhile (readers ending).
        if (stopped_ || dying.load(std::memory_order_acquire)) return nullptr;
    }
    return Claimed();
}

void Fifo::EndWriting() {
    current_.store(nullptr, std::memory_order_relaxed);
    writing_.store(false);
    if (writersWaiting_.load() > 0) {
        std::lock_guard<std::mutex> lock(mutex_);
        SignalWritersLocked();
    }
}

Fifo::PublishResult Fifo::Publish(Slot *slot, bool discard) {
    const bool readerless = readerCount_.load(std::memory_order_acquire) == 0;
    std::unique_lock<std::mutex> lock(mutex_, std::defer_lock);
    if (!readerless) lock.lock();
    if (!writing_.load() || slot != current_.load(std::memory_order_relaxed)) return PublishResult::NotWriting;
    const int size = slot->VectorSize();
    PublishResult result = PublishResult::Published;
    if (discard) {
        result = PublishResult::Discarded;
    } else if (size < 0 || size > maxSize_) {
        result = PublishResult::BadVectorSize;
    } else {
        ++written_;
    }
    // The waiting readers are woken after the lock is let go, so that they do
    // not wake only to wait for it.
    const bool wakeReaders = result == PublishResult::Published && !readerless && readersWaiting_ > 0 &&
                             ReaderWantsWakingLocked() && TakeReaderSignalLocked();
    if (lock.owns_lock()) lock.unlock();
    if (wakeReaders) readerCv_.notify_all();
    if (result != PublishResult::Published || sinks_.empty()) {
        EndWriting();
        return result;
    }
    // Sinks run outside the lock while `writing_` keeps other writers out, so
    // they see samples in publishing order and readers are not held up; the
    // lock is not taken again afterwards unless another writer waits.
    const SampleView view{instance_,
                          output_,
                          slot->Timestamp(),
                          viewType_,
                          size,
                          slot->Quality(),
                          slot->Data(),
                          static_cast<size_t>(size) * static_cast<size_t>(MAPSElementSize(type_))};
    for (const SampleCallback &sink : sinks_) sink(view);
    EndWriting();
    return result;
}

Slot *Fifo::Read(int reader, const std::atomic<bool> &dying) {
    Reader &self = readers_[static_cast<size_t>(reader)];
    if (self.next != self.taken) {
        if (stopped_.load(std::memory_order_acquire) || dying.load(std::memory_order_acquire)) return nullptr;
        return &slots_[self.next++ % static_cast<uint64_t>(depth_)];
    }
    std::unique_lock<std::mutex> lock(mutex_);
    if (self.released != self.taken) {
        self.released = self.taken;
        // A waiting writer is woken once half the FIFO is free, so that it
        // writes a run of samples instead of trading places at every sample.
        if (writersWaiting_ > 0 && (FreeLocked() >= (depth_ + 1) / 2 || self.taken == written_)) SignalWritersLocked();
    }
    while (self.taken == written_ && !stopped_ && !dying.load(std::memory_order_acquire)) {
        self.waiting = true;
        if (drainers_ > 0) idleCv_.notify_all();
        ++readersWaiting_;
        readersSignalled_ = false;
        readerCv_.wait(lock);
        --readersWaiting_;
    }
    self.waiting = false;
    if (stopped_ || dying.load(std::memory_order_acquire)) return nullptr;
    self.next = self.taken;
    self.taken = written_;
    return &slots_[self.next++ % static_cast<uint64_t>(depth_)];
}

void Fifo::ReaderGone(int reader) {
    std::lock_guard<std::mutex> lock(mutex_);
    readers_[static_cast<size_t>(reader)].gone = true;
    writerCv_.notify_all();
    idleCv_.notify_all();
}

bool Fifo::IdleLocked() const {
    for (const Reader &reader : readers_)
        if (!reader.gone && !(reader.waiting && reader.taken == written_)) return false;
    return true;
}

bool Fifo::WaitIdle(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(mutex_);
    ++drainers_;
    SignalReadersLocked();
    bool idle = true;
    while (!stopped_ && !IdleLocked()) {
        if (idleCv_.wait_until(lock, deadline) == std::cv_status::timeout && !stopped_ && !IdleLocked()) {
            idle = false;
            break;
        }
    }
    --drainers_;
    return idle;
}

void Fifo::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
    writerCv_.notify_all();
    readerCv_.notify_all();
    idleCv_.notify_all();
}

void Fifo::Wake() {
    std::lock_guard<std::mutex> lock(mutex_);
    writerCv_.notify_all();
    readerCv_.notify_all();
}

}  // namespace zuv::host::detail
