// The Simulator: one Device, its link (pty or UDP) and the thread that moves
// bytes between them and, in real time, drives the device's clock.
#include <arpa/inet.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "deliveryTiming.h"
#include "device.h"
#include "faultInjector.h"
#include "outputQueue.h"
#include "ptyPort.h"
#include "udpPort.h"
#include "zuvSim.h"

namespace zuv::sim {

namespace {

constexpr size_t kQueueCapacity = 4u << 20;
constexpr int64_t kIdleWaitUs = 100000;
constexpr int64_t kHostProbeUs = 20000;  // how often a pty without a host is looked at again
constexpr size_t kReadChunk = 65536;

}  // namespace

struct Simulator::Impl final : DeviceOutput {
    explicit Impl(SimConfig cfg)
        : config(std::move(cfg)),
          timing(config.timing),
          faults(config.seed),
          device(config, *this, stats),
          readBuffer(kReadChunk) {
        faults.configure(config.faults);
    }

    // DeviceOutput: called with the mutex held.
    void deviceFrame(const uint8_t *frame, size_t size, uint8_t msgClass, uint8_t msgId, uint64_t timeUs) override;
    void devicePortSpeed(uint32_t baudRate) override;

    ZuvErrorCode openLink();
    void closeLink();
    void dropQueued();
    void deliver(const QueuedUnit &unit, const uint8_t *bytes);
    bool probeHost();  // pty: true when a host has the slave open
    void flush();
    void readInput();
    void handleLinkRequest();
    void run();
    void wake();
    int64_t nowUs() const {
        return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - epoch).count();
    }

    SimConfig config;
    DeliveryTiming timing;
    mutable std::mutex mutex;
    std::condition_variable changed;
    SimStats stats;
    FaultInjector faults;
    Device device;
    OutputQueue queue{kQueueCapacity};
    PtyPort pty;
    UdpPort udp;
    std::string udpBind;
    bool plugged = false;
    bool hostAway = false;  // nobody has the pty's slave open
    int64_t nextHostProbeUs = 0;
    bool waitWritable = false;
    uint32_t linkSpeed = 0;  // the speed port A runs at right now
    FrameTap tap;
    std::vector<uint8_t> unit;
    std::vector<uint8_t> readBuffer;
    std::string error;

    std::chrono::steady_clock::time_point epoch;
    std::thread thread;
    bool started = false;
    bool threadRunning = false;
    bool stopping = false;
    int wakeFd = -1;
    enum class LinkRequest { None, Unplug, Replug } request = LinkRequest::None;
    ZuvErrorCode requestResult = ZUV_NO_ERROR;
};

void Simulator::Impl::wake() {
    if (wakeFd >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t ignored = ::write(wakeFd, &one, sizeof(one));
    }
}

void Simulator::Impl::deliver(const QueuedUnit &u, const uint8_t *bytes) {
    ++stats.unitsWritten;
    stats.bytesWritten += u.size;
    if (u.msgClass <= 1) {
        timing.sent(bytes, u.size, u.noiseBytes, u.msgId, u.deviceTimeUs);
    }
    if (tap) {
        SentFrame sent;
        sent.bytes = bytes;
        sent.size = u.size;
        sent.noiseBytes = u.noiseBytes;
        sent.msgClass = u.msgClass;
        sent.msgId = u.msgId;
        sent.faults = u.faults;
        sent.deviceTimeUs = u.deviceTimeUs;
        tap(sent);
    }
}

void Simulator::Impl::deviceFrame(const uint8_t *frame, size_t size, uint8_t msgClass, uint8_t msgId, uint64_t timeUs) {
    const bool unacknowledged =
        faults.config().neverAcknowledge && msgClass == ZUV_ECOM_CLASS_CMD_0 && msgId == ZUV_ECOM_CMD_ACK;
    if (faults.config().silent || unacknowledged || (msgClass <= 1 && timing.dropLog(msgId))) {
        ++stats.unitsDropped;
        return;
    }
    QueuedUnit u;
    u.msgClass = msgClass;
    u.msgId = msgId;
    u.deviceTimeUs = timeUs;
    if (msgClass <= 1) {
        u.faults = faults.apply(frame, size, unit, u.noiseBytes, stats);
    } else {
        unit.assign(frame, frame + size);
    }
    u.size = unit.size();
    if (config.link == LinkKind::None) {
        deliver(u, unit.data());
        return;
    }
    if (!plugged || !queue.push(u, unit.data())) {
        ++stats.unitsDropped;
        return;
    }
    wake();
}

void Simulator::Impl::devicePortSpeed(uint32_t baudRate) {
    if (config.link == LinkKind::Pty && plugged) {
        queue.pushSpeedChange(baudRate);
        wake();
    } else {
        linkSpeed = baudRate;
    }
}

void Simulator::Impl::dropQueued() {
    while (!queue.empty()) {
        const QueuedUnit &u = queue.front();
        if (u.size == 0) {
            linkSpeed = u.newSpeed;
        } else {
            ++stats.unitsDropped;
        }
        queue.popFront();
    }
    changed.notify_all();
}

ZuvErrorCode Simulator::Impl::openLink() {
    ZuvErrorCode code = ZUV_NO_ERROR;
    if (config.link == LinkKind::Pty) {
        code = pty.open(config.linkPath, error);
        hostAway = true;
        nextHostProbeUs = 0;
    } else if (config.link == LinkKind::Udp) {
        code = udp.open(udpBind, config.udpPeer, error);
        if (code == ZUV_NO_ERROR) {
            // A replug binds the same port again, as a device keeps its address.
            sockaddr_in bound{};
            parseEndpoint(udpBind, bound);
            char text[INET_ADDRSTRLEN] = {0};
            ::inet_ntop(AF_INET, &bound.sin_addr, text, sizeof(text));
            udpBind = std::string(text) + ":" + std::to_string(udp.localPort());
        }
    }
    plugged = code == ZUV_NO_ERROR && config.link != LinkKind::None;
    waitWritable = false;
    return code;
}

void Simulator::Impl::closeLink() {
    pty.close();
    udp.close();
    plugged = false;
    dropQueued();
}

bool Simulator::Impl::probeHost() {
    pollfd probe{pty.fd(), POLLIN, 0};
    hostAway = ::poll(&probe, 1, 0) < 0 || (probe.revents & POLLHUP) != 0;
    nextHostProbeUs = nowUs() + kHostProbeUs;
    return !hostAway;
}

void Simulator::Impl::flush() {
    if (queue.empty()) {
        return;
    }
    // One look at the host per batch: an ioctl per frame buys nothing.
    const bool onPty = config.link == LinkKind::Pty && plugged;
    const uint32_t hostSpeed = (onPty && probeHost()) ? pty.hostSpeed() : 0;
    while (!queue.empty() && !waitWritable) {
        const QueuedUnit &u = queue.front();
        if (u.size == 0) {
            linkSpeed = u.newSpeed;
            queue.popFront();
            continue;
        }
        const uint8_t *bytes = queue.frontBytes();
        if (config.link == LinkKind::Pty) {
            // A host at another speed would only see garbage: give it nothing.
            if (queue.frontWritten() == 0 && (hostAway || hostSpeed != linkSpeed)) {
                ++stats.unitsDropped;
                queue.popFront();
                continue;
            }
            const ssize_t written = pty.write(bytes + queue.frontWritten(), u.size - queue.frontWritten());
            if (written < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK) {
                    waitWritable = true;
                    break;
                }
                hostAway = true;
                ++stats.unitsDropped;
                queue.popFront();
                continue;
            }
            queue.consumeFront(static_cast<size_t>(written));
            if (queue.frontWritten() < u.size) {
                waitWritable = true;
                break;
            }
        } else {
            const SendResult result = udp.send(bytes, u.size);
            if (result == SendResult::WouldBlock) {
                waitWritable = true;
                break;
            }
            if (result == SendResult::Lost) {
                ++stats.unitsDropped;
                queue.popFront();
                continue;
            }
        }
        deliver(u, bytes);
        queue.popFront();
    }
    if (queue.empty()) {
        changed.notify_all();
    }
}

void Simulator::Impl::readInput() {
    for (;;) {
        const ssize_t got = config.link == LinkKind::Pty ? pty.read(readBuffer.data(), readBuffer.size())
                                                         : udp.receive(readBuffer.data(), readBuffer.size());
        if (got <= 0) {
            if (got < 0 && config.link == LinkKind::Pty && errno == EIO) {
                hostAway = true;
            }
            return;
        }
        const bool heard = !faults.config().silent && (config.link != LinkKind::Pty || pty.hostSpeed() == linkSpeed);
        if (heard) {
            device.receive(readBuffer.data(), static_cast<size_t>(got));
        } else {
            stats.bytesIgnored += static_cast<uint64_t>(got);
        }
    }
}

void Simulator::Impl::handleLinkRequest() {
    if (request == LinkRequest::Unplug) {
        closeLink();
        requestResult = ZUV_NO_ERROR;
    } else if (request == LinkRequest::Replug) {
        requestResult = plugged ? ZUV_NO_ERROR : openLink();
    } else {
        return;
    }
    request = LinkRequest::None;
    changed.notify_all();
}

void Simulator::Impl::run() {
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopping) {
        handleLinkRequest();
        if (config.clock == ClockMode::RealTime) {
            device.advanceTo(timing.deviceUs(nowUs()));
        }
        const int64_t now = nowUs();
        if (config.link == LinkKind::Pty && plugged && hostAway && now >= nextHostProbeUs) {
            probeHost();
        }
        if (timing.mayFlush(now)) {
            flush();
            if (queue.empty()) {
                timing.burstDone();
            }
        }

        int64_t waitUs = kIdleWaitUs;
        if (config.clock == ClockMode::RealTime) {
            const int64_t wakeAt = timing.hostUs(device.nextWakeUs());
            const int64_t untilWake = wakeAt > now ? wakeAt - now : 0;
            waitUs = untilWake < waitUs ? untilWake : waitUs;
        }
        const int64_t untilBurst = timing.untilNextBurst(now);
        if (!queue.empty() && untilBurst >= 0 && untilBurst < waitUs) {
            waitUs = untilBurst;
        }
        if (plugged && hostAway && waitUs > kHostProbeUs) {
            waitUs = kHostProbeUs;
        }
        pollfd fds[2] = {{wakeFd, POLLIN, 0}, {-1, 0, 0}};
        const int linkFd = config.link == LinkKind::Pty ? pty.fd() : udp.fd();
        if (plugged && !(config.link == LinkKind::Pty && hostAway)) {
            fds[1] = {linkFd, static_cast<short>(POLLIN | (waitWritable ? POLLOUT : 0)), 0};
        }
        const timespec timeout{static_cast<time_t>(waitUs / 1000000), static_cast<long>(waitUs % 1000000) * 1000};
        lock.unlock();
        const int ready = ::ppoll(fds, 2, &timeout, nullptr);
        lock.lock();
        if (ready <= 0) {
            continue;
        }
        if (fds[0].revents & POLLIN) {
            uint64_t count = 0;
            [[maybe_unused]] const ssize_t ignored = ::read(wakeFd, &count, sizeof(count));
        }
        if (fds[1].fd < 0 || !plugged) {
            continue;
        }
        if (fds[1].revents & POLLOUT) {
            waitWritable = false;
        }
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
            if (config.clock == ClockMode::RealTime) {
                device.advanceTo(timing.deviceUs(nowUs()));
            }
            readInput();
            if (config.link == LinkKind::Pty && (fds[1].revents & POLLHUP)) {
                hostAway = true;
                nextHostProbeUs = nowUs() + kHostProbeUs;
            }
        }
    }
    request = LinkRequest::None;  // nobody waits for a link change that will not come
    changed.notify_all();
}

Simulator::Simulator(SimConfig config) : impl_(std::make_unique<Impl>(std::move(config))) {}

Simulator::~Simulator() {
    stop();
}

ZuvErrorCode Simulator::start() {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    Impl &s = *impl_;
    if (s.started) {
        s.error = "the simulator was started already";
        return ZUV_ERROR;
    }
    if (s.config.link == LinkKind::Udp) {
        s.udpBind = s.config.udpBind;
    }
    if (!s.timing.open(s.error)) {
        return ZUV_ERROR;
    }
    const ZuvErrorCode powered = s.device.powerOn(s.error);
    if (powered != ZUV_NO_ERROR) {
        return powered;
    }
    s.linkSpeed = s.device.portBaudRate();
    const ZuvErrorCode opened = s.openLink();
    if (opened != ZUV_NO_ERROR) {
        return opened;
    }
    s.wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (s.wakeFd < 0) {
        s.error = "cannot create an event descriptor";
        s.closeLink();
        return ZUV_ERROR;
    }
    s.started = true;
    s.epoch = std::chrono::steady_clock::now();
    s.timing.setEpoch(std::chrono::duration_cast<std::chrono::microseconds>(s.epoch.time_since_epoch()).count());
    if (s.config.link != LinkKind::None || s.config.clock == ClockMode::RealTime) {
        s.threadRunning = true;
        s.thread = std::thread([&s] { s.run(); });
    }
    return ZUV_NO_ERROR;
}

void Simulator::stop() {
    std::thread thread;
    {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        impl_->stopping = true;
        impl_->wake();
        thread = std::move(impl_->thread);
    }
    if (thread.joinable()) {
        thread.join();
    }
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->threadRunning = false;
    impl_->closeLink();
    if (impl_->wakeFd >= 0) {
        ::close(impl_->wakeFd);
        impl_->wakeFd = -1;
    }
}

std::string Simulator::errorText() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->error;
}

std::string Simulator::ptyPath() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->pty.slavePath();
}

uint16_t Simulator::udpPort() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->udp.isOpen() ? impl_->udp.localPort() : 0;
}

void Simulator::advance(uint64_t us) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    if (impl_->config.clock == ClockMode::Manual && impl_->started) {
        impl_->device.advanceTo(impl_->device.nowUs() + us);
    }
}

uint64_t Simulator::deviceTimeUs() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->device.nowUs();
}

uint32_t Simulator::timeStamp() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->device.timeStamp();
}

bool Simulator::waitForOutput(int timeoutMs) {
    std::unique_lock<std::mutex> lock(impl_->mutex);
    return impl_->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return impl_->queue.empty(); });
}

ZuvErrorCode Simulator::setOutputMode(uint8_t port, uint8_t msgClass, uint8_t logId, uint16_t mode) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->device.setOutputMode(port, msgClass, logId, mode);
}

uint16_t Simulator::outputMode(uint8_t port, uint8_t msgClass, uint8_t logId) const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->device.outputMode(port, msgClass, logId);
}

uint32_t Simulator::portBaudRate() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->linkSpeed;
}

void Simulator::setFaults(const FaultConfig &faults) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->faults.configure(faults);
}

void Simulator::setSyncPulses(size_t input, const SyncPulses &pulses) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->device.setSyncPulses(input, pulses);
}

void Simulator::pulseSyncInput(size_t input) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->device.pulse(input);
}

void Simulator::setExportPadding(size_t bytes) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->device.setExportPadding(bytes);
}

void Simulator::setCommandRefusal(uint16_t errorCode) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->device.setCommandRefusal(errorCode);
}

void Simulator::sendFrame(uint8_t msgId, uint8_t msgClass, const std::vector<uint8_t> &payload) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->device.sendFrame(msgId, msgClass, payload.data(), payload.size());
}

void Simulator::receive(const uint8_t *bytes, size_t size) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    Impl &s = *impl_;
    if (!s.started || s.config.link != LinkKind::None) {
        return;
    }
    if (s.faults.config().silent) {
        s.stats.bytesIgnored += size;
    } else {
        s.device.receive(bytes, size);
    }
}

void Simulator::unplug() {
    std::unique_lock<std::mutex> lock(impl_->mutex);
    Impl &s = *impl_;
    if (!s.threadRunning) {
        s.closeLink();
        return;
    }
    // The thread may be polling the descriptor: it closes the link itself.
    s.request = Impl::LinkRequest::Unplug;
    s.wake();
    s.changed.wait(lock, [&s] { return s.request == Impl::LinkRequest::None; });
}

ZuvErrorCode Simulator::replug() {
    std::unique_lock<std::mutex> lock(impl_->mutex);
    Impl &s = *impl_;
    if (!s.started || s.stopping) {
        return ZUV_ERROR;
    }
    if (!s.threadRunning) {
        return s.plugged ? ZUV_NO_ERROR : s.openLink();
    }
    s.request = Impl::LinkRequest::Replug;
    s.wake();
    s.changed.wait(lock, [&s] { return s.request == Impl::LinkRequest::None; });
    return s.requestResult;
}

bool Simulator::plugged() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->plugged;
}

void Simulator::setFrameTap(FrameTap tap) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->tap = std::move(tap);
}

std::vector<CommandRecord> Simulator::commands() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return {impl_->device.commands().begin(), impl_->device.commands().end()};
}

void Simulator::clearCommands() {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->device.clearCommands();
}

SimStats Simulator::stats() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->stats;
}

}  // namespace zuv::sim
