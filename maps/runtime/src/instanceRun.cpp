// An instance's run: its thread, dying, reports, resting, its own threads
// and the element calls on its pins.
#include <string>

#include "host.h"

namespace zuv::host::detail {

void InstanceImpl::Report(const char *text, int level) {
    host_.Report(level, name_, text);
}

void InstanceImpl::Error(const char *text) {
    Report(text, 2);
    if (running_.load()) MarkEnded(EndState::Error);
}

void InstanceImpl::MarkEnded(EndState state) {
    EndState expected = EndState::None;
    lastEnd_.compare_exchange_strong(expected, state);
    SetDying();
}

int InstanceImpl::CommitSuicide() {
    if (!running_.load()) return 0;
    MarkEnded(EndState::Suicide);
    const ThreadRole &role = CurrentRole();
    return role.instance == this && role.componentThread ? 1 : 0;
}

void InstanceImpl::SetDying() {
    dying_.store(true, std::memory_order_release);
    {
        std::lock_guard<std::mutex> lock(restMutex_);
        restCv_.notify_all();
    }
    std::lock_guard<std::mutex> lock(pinsMutex_);
    for (auto &pin : outputs_)
        if (pin->fifo) pin->fifo->Wake();
    for (auto &pin : inputs_)
        if (pin->fifo) pin->fifo->Wake();
    host_.WakeBirthWaiters();
}

void InstanceImpl::Rest(int64_t microseconds) {
    if (microseconds <= 0) return;
    std::unique_lock<std::mutex> lock(restMutex_);
    restCv_.wait_for(lock, std::chrono::microseconds(microseconds), [&] { return dying_.load(); });
}

int InstanceImpl::Rename(const char *newName) {
    std::lock_guard<std::recursive_mutex> control(host_.Control());
    std::string name = newName ? newName : "";
    if (host_.Running()) {
        Report("Cannot rename an instance while running", 2);
        return 0;
    }
    if (!ValidName(name) || (name != name_ && host_.NameTaken(name))) {
        Report(("Cannot rename to " + Quoted(newName) + ": invalid or taken").c_str(), 2);
        return 0;
    }
    name_ = name;
    return 1;
}

int InstanceImpl::CreateThread(void *context) {
    std::lock_guard<std::mutex> lock(createdMutex_);
    try {
        created_.emplace_back([this, context] {
            RoleScope role(&host_, this, false);
            glue_->runThread(context);
        });
    } catch (const std::exception &) {
        return -1;
    }
    return 0;
}

void InstanceImpl::JoinCreatedThreads() {
    for (;;) {
        std::vector<std::thread> threads;
        {
            std::lock_guard<std::mutex> lock(createdMutex_);
            threads.swap(created_);
        }
        if (threads.empty()) return;
        for (auto &thread : threads) thread.join();
    }
}
int InstanceImpl::StartWriting(MAPSOutput *output, MAPSIOElt **element) {
    *element = nullptr;
    auto *face = static_cast<OutputFace *>(output);
    if (face == nullptr || !running_.load() || !face->pin->fifo) return MAPS_KERNEL_OK;
    Slot *slot = face->pin->fifo->Acquire(dying_);
    if (slot == nullptr) return MAPS_KERNEL_UNWIND;
    *element = slot;
    return MAPS_KERNEL_OK;
}

int InstanceImpl::StopWriting(MAPSIOElt *element, int discard) {
    if (element == nullptr) return 0;
    Slot *slot = static_cast<Slot *>(element);
    Fifo *fifo = slot->Owner();
    if (fifo == nullptr) return 0;
    switch (fifo->Publish(slot, discard != 0)) {
        case Fifo::PublishResult::Published: return 1;
        case Fifo::PublishResult::BadVectorSize:
            Report(("Sample not published on " + fifo->OutputName() + ": vector size " +
                    std::to_string(slot->VectorSize()) + " outside 0.." + std::to_string(fifo->MaxSize()))
                       .c_str(),
                   2);
            return 0;
        default: return 0;
    }
}

int InstanceImpl::StartReading(MAPSInput *input, MAPSIOElt **element) {
    *element = nullptr;
    auto *face = static_cast<InputFace *>(input);
    Fifo *fifo = face ? face->pin->fifo : nullptr;
    if (fifo == nullptr || face->pin->reader < 0) {
        // Nothing can ever arrive: wait for the stop.
        std::unique_lock<std::mutex> lock(restMutex_);
        restCv_.wait(lock, [&] { return dying_.load() || !running_.load(); });
        return MAPS_KERNEL_UNWIND;
    }
    Slot *slot = fifo->Read(face->pin->reader, dying_);
    if (slot == nullptr) return MAPS_KERNEL_UNWIND;
    *element = slot;
    return MAPS_KERNEL_OK;
}

void InstanceImpl::PrepareRun() {
    std::lock_guard<std::mutex> lock(pinsMutex_);
    for (auto &pin : outputs_)
        pin->fifo =
            std::make_unique<Fifo>(pin->face.Type(), pin->face.BufferSize(), pin->face.FifoSize(), &name_, &pin->name);
    for (auto &pin : inputs_) {
        pin->fifo = nullptr;
        pin->reader = -1;
    }
}

void InstanceImpl::Launch() {
    dying_.store(false);
    lastEnd_.store(EndState::None);
    running_.store(true);
    thread_ = std::thread([this] { ThreadMain(); });
}

void InstanceImpl::ThreadMain() {
    RoleScope role(&host_, this, true);
    int result = CallGlue(MAPS_CALL_BIRTH);
    host_.BirthReturned();
    if (result == MAPS_GLUE_RETURNED && host_.WaitAllBirths(dying_)) {
        while (!dying_.load(std::memory_order_acquire)) {
            if (CallGlue(MAPS_CALL_CORE) != MAPS_GLUE_RETURNED) break;
        }
    }
    // Threads the component made end before Death releases what they use.
    SetDying();
    JoinCreatedThreads();
    CallGlue(MAPS_CALL_DEATH);
    CallGlue(MAPS_CALL_FREE_BUFFERS);
    JoinCreatedThreads();
    {
        std::lock_guard<std::mutex> lock(pinsMutex_);
        for (auto &pin : inputs_)
            if (pin->fifo && pin->reader >= 0) pin->fifo->ReaderGone(pin->reader);
    }
    EndState expected = EndState::None;
    lastEnd_.compare_exchange_strong(expected, EndState::Stopped);
    const EndState end = lastEnd_.load();
    {
        std::lock_guard<std::mutex> lock(restMutex_);
        running_.store(false);
        restCv_.notify_all();
    }
    if (end == EndState::Suicide || end == EndState::Error) host_.Ended(this);
}

void InstanceImpl::RequestStop() {
    SetDying();
    if (component_ != nullptr) {
        RoleScope role(&host_, this, false);
        glue_->call(component_, MAPS_CALL_BANZAI);
    }
}

void InstanceImpl::Join() {
    if (thread_.joinable()) thread_.join();
    JoinCreatedThreads();
}

void InstanceImpl::ClearRun() {
    std::lock_guard<std::mutex> lock(pinsMutex_);
    for (auto &pin : inputs_) {
        pin->fifo = nullptr;
        pin->reader = -1;
    }
}
}  // namespace zuv::host::detail
