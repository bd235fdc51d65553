// The host: packages, instances, wiring, start and stop.
#include "host.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>

namespace zuv::host::detail {
namespace {

std::atomic<Host *> gActiveHost{nullptr};

const char *LevelName(int level) {
    return level <= 0 ? "info" : level == 1 ? "warning" : "error";
}

std::string EscapeLineFeeds(const char *text) {
    std::string out;
    for (const char *c = text; *c; ++c) {
        if (*c == '\n')
            out += "\\n";
        else
            out += *c;
    }
    return out;
}

}  // namespace

Host *ActiveHost() {
    return gActiveHost.load();
}

Host::Host() = default;

Host::~Host() {
    Stop();
    Host *self = this;
    gActiveHost.compare_exchange_strong(self, nullptr);
    // Components live in package code: destroy them before unloading.
    for (auto &instance : instances_) instance->DestroyComponent();
    instances_.clear();
    sources_.clear();
    for (auto &package : packages_)
        if (package.handle) dlclose(package.handle);
}

std::vector<std::string> Host::LoadPackage(const std::string &path) {
    std::lock_guard<std::recursive_mutex> control(control_);
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char *why = dlerror();
        throw HostError(HostError::Code::LoadFailed, "cannot load " + path + ": " + (why ? why : "unknown error"));
    }
    for (auto &package : packages_) {
        if (package.handle == handle) {
            dlclose(handle);  // already loaded: drop the extra reference
            return package.models;
        }
    }
    auto init = reinterpret_cast<MAPSPckInitFunction>(dlsym(handle, "MAPSPckInit"));
    auto list = reinterpret_cast<MAPSGetModulesDefStructFunction>(dlsym(handle, "MAPSGetModulesDefStruct"));
    if (init == nullptr || list == nullptr) {
        dlclose(handle);
        throw HostError(HostError::Code::LoadFailed, path + " is not a package (entry points missing)");
    }
    return Register(path, handle, init, list);
}

std::vector<std::string> Host::Register(const std::string &path, void *handle, MAPSPckInitFunction init,
                                        MAPSGetModulesDefStructFunction list) {
    std::lock_guard<std::recursive_mutex> control(control_);
    if (init(const_cast<MAPSKernelInterface *>(KernelTable()), MAPS_KERNEL_VERSION) != MAPS_PCK_INIT_OK) {
        if (handle) dlclose(handle);
        throw HostError(HostError::Code::LoadFailed, path + " refused the host version");
    }
    Package package{path, handle, {}};
    const int count = list("MAPSComponent", nullptr, 0);
    if (count > 0) {
        std::vector<MAPSModuleDefinition *> modules(static_cast<size_t>(count), nullptr);
        const int filled = list("MAPSComponent", modules.data(), count);
        for (int i = 0; i < filled; ++i) {
            MAPSModuleDefinition *module = modules[static_cast<size_t>(i)];
            auto *definition = module ? static_cast<MAPSComponentDefinition *>(module->userData) : nullptr;
            if (definition == nullptr || definition->name == nullptr || module->glue == nullptr ||
                module->glue->abi != MAPS_GLUE_ABI) {
                Report(2, "host", ("skipped an unusable module definition in " + path).c_str());
                continue;
            }
            const std::string name = definition->name;
            bool known = std::any_of(models_.begin(), models_.end(), [&](const Model &m) { return m.name == name; });
            if (known) {
                Report(2, "host", ("model " + name + " from " + path + " is already loaded; skipped").c_str());
                continue;
            }
            models_.push_back({name, definition, module->glue});
            package.models.push_back(name);
        }
    }
    packages_.push_back(package);
    return package.models;
}

std::vector<std::string> Host::Models() const {
    std::lock_guard<std::recursive_mutex> control(control_);
    std::vector<std::string> names;
    for (const Model &model : models_) names.push_back(model.name);
    return names;
}

bool Host::NameTaken(const std::string &name) const {
    for (auto &instance : instances_)
        if (instance->Name() == name) return true;
    for (auto &source : sources_)
        if (source->Name() == name) return true;
    return false;
}

InstanceImpl &Host::CreateInstance(const std::string &model, const std::string &name) {
    std::lock_guard<std::recursive_mutex> control(control_);
    if (running_) throw HostError(HostError::Code::BadState, "cannot create " + name + " while running");
    if (!ValidName(name)) throw HostError(HostError::Code::BadValue, "invalid instance name \"" + name + "\"");
    if (NameTaken(name)) throw HostError(HostError::Code::BadValue, "instance name " + name + " already in use");
    auto found = std::find_if(models_.begin(), models_.end(), [&](const Model &m) { return m.name == model; });
    if (found == models_.end()) throw HostError(HostError::Code::NotFound, "no model " + model);
    auto instance = std::make_unique<InstanceImpl>(*this, name, model, found->definition, found->glue);
    InstanceImpl &made = *instance;
    instances_.push_back(std::move(instance));
    if (!made.Create()) {
        instances_.pop_back();
        throw HostError(HostError::Code::LoadFailed, "the factory of " + model + " failed");
    }
    return made;
}

InstanceImpl *Host::FindInstance(const std::string &name) {
    std::lock_guard<std::recursive_mutex> control(control_);
    for (auto &instance : instances_)
        if (instance->Name() == name) return instance.get();
    return nullptr;
}

SourceImpl &Host::CreateSource(const std::string &name, ElementType type, int maxSize, int depth) {
    std::lock_guard<std::recursive_mutex> control(control_);
    if (running_) throw HostError(HostError::Code::BadState, "cannot create " + name + " while running");
    if (!ValidName(name) || NameTaken(name))
        throw HostError(HostError::Code::BadValue, "invalid or taken source name \"" + name + "\"");
    if (maxSize < 0 || depth < 1) throw HostError(HostError::Code::BadValue, "source " + name + ": bad size or depth");
    sources_.push_back(std::make_unique<SourceImpl>(*this, name, type, maxSize, depth));
    return *sources_.back();
}

void Host::Connect(InstanceImpl *from, SourceImpl *source, const std::string &output, InstanceImpl &to,
                   const std::string &input) {
    std::lock_guard<std::recursive_mutex> control(control_);
    if (running_) throw HostError(HostError::Code::BadState, "cannot connect while running");
    if (from && !from->OutputByName(output.c_str()))
        throw HostError(HostError::Code::NotFound, from->Name() + ": no output " + output);
    InputPin *pin = to.InputByName(input.c_str());
    if (pin == nullptr) throw HostError(HostError::Code::NotFound, to.Name() + ": no input " + input);
    for (const Connection &c : connections_)
        if (c.to == &to && c.input == input)
            throw HostError(HostError::Code::Incompatible, to.Name() + "." + input + " is already connected");
    MAPSElementType type = source ? source->Type() : from->OutputByName(output.c_str())->face.Type();
    if (!pin->face.Filter().Accepts(type))
        throw HostError(HostError::Code::Incompatible, to.Name() + "." + input + " does not accept " +
                                                           (source ? source->Name() : from->Name() + "." + output));
    connections_.push_back({from, source, output, &to, input});
}

void Host::AttachSink(InstanceImpl &from, const std::string &output, SampleCallback callback) {
    std::lock_guard<std::recursive_mutex> control(control_);
    if (running_) throw HostError(HostError::Code::BadState, "cannot attach a sink while running");
    if (!from.OutputByName(output.c_str()))
        throw HostError(HostError::Code::NotFound, from.Name() + ": no output " + output);
    sinks_.push_back({&from, output, std::move(callback)});
}

void Host::SetReportCallback(ReportCallback callback) {
    std::lock_guard<std::mutex> lock(reportMutex_);
    report_ = std::move(callback);
}

void Host::Report(int level, const std::string &instance, const char *text) {
    std::lock_guard<std::mutex> lock(reportMutex_);
    if (report_) {
        report_(level, instance, text ? text : "");
        return;
    }
    std::fprintf(stderr, "%s %s: %s\n", LevelName(level), instance.c_str(), EscapeLineFeeds(text ? text : "").c_str());
}

void Host::Start() {
    {
        std::lock_guard<std::recursive_mutex> control(control_);
        if (running_) throw HostError(HostError::Code::BadState, "already running");
        for (auto &instance : instances_) instance->PrepareRun();
        for (auto &source : sources_) source->PrepareRun();
        for (const Connection &c : connections_) {
            Fifo *fifo = nullptr;
            if (c.source) {
                fifo = c.source->RunFifo();
            } else {
                OutputPin *out = c.from->OutputByName(c.output.c_str());
                if (out == nullptr)
                    throw HostError(HostError::Code::NotFound, c.from->Name() + ": no output " + c.output);
                fifo = out->fifo.get();
            }
            InputPin *in = c.to->InputByName(c.input.c_str());
            if (in == nullptr) throw HostError(HostError::Code::NotFound, c.to->Name() + ": no input " + c.input);
            in->fifo = fifo;
            in->reader = fifo->AddReader();
        }
        for (const Sink &sink : sinks_) {
            OutputPin *out = sink.from->OutputByName(sink.output.c_str());
            if (out == nullptr)
                throw HostError(HostError::Code::NotFound, sink.from->Name() + ": no output " + sink.output);
            out->fifo->AddSink(sink.callback);
        }
        clock_.Reset();
        {
            std::lock_guard<std::mutex> lock(stateMutex_);
            birthsPending_ = static_cast<int>(instances_.size());
            stopping_ = false;
            ended_.clear();
        }
        running_ = true;
        gActiveHost.store(this);
        for (auto &instance : instances_) instance->Launch();
    }
    std::unique_lock<std::mutex> lock(stateMutex_);
    stateCv_.wait(lock, [&] { return birthsPending_ == 0 || stopping_; });
    if (!stopping_) clock_.Begin();
}

void Host::BirthReturned() {
    std::lock_guard<std::mutex> lock(stateMutex_);
    if (--birthsPending_ == 0) stateCv_.notify_all();
}

bool Host::WaitAllBirths(const std::atomic<bool> &dying) {
    std::unique_lock<std::mutex> lock(stateMutex_);
    stateCv_.wait(lock, [&] { return birthsPending_ == 0 || stopping_ || dying.load(); });
    return birthsPending_ == 0 && !stopping_ && !dying.load();
}

void Host::WakeBirthWaiters() {
    std::lock_guard<std::mutex> lock(stateMutex_);
    stateCv_.notify_all();
}

void Host::Ended(InstanceImpl *instance) {
    std::lock_guard<std::mutex> lock(stateMutex_);
    ended_.push_back(instance);
    stateCv_.notify_all();
    if (endedCallback_) endedCallback_();
}

void Host::SetEndedCallback(std::function<void()> callback) {
    std::lock_guard<std::mutex> lock(stateMutex_);
    endedCallback_ = std::move(callback);
}

Instance *Host::WaitForEnded(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(stateMutex_);
    const auto deadline =
        std::chrono::steady_clock::now() + std::min(timeout, std::chrono::milliseconds(1000LL * 3600 * 24 * 365));
    stateCv_.wait_until(lock, deadline, [&] { return !ended_.empty() || stopping_; });
    if (ended_.empty()) return nullptr;
    InstanceImpl *instance = ended_.front();
    ended_.pop_front();
    return instance;
}

// Instances stop in waves, producers before their consumers, and each
// consumer first takes what its stopped producers published (within the
// budget): a live run then ends with every recorded frame decoded too. A
// consumer that never reads costs the budget once; a cycle stops as one wave.
void Host::StopProducersFirst() {
    const auto drainDeadline = std::chrono::steady_clock::now() + kStopDrainBudget;
    std::vector<InstanceImpl *> pending;
    for (auto &instance : instances_) pending.push_back(instance.get());
    auto feeds = [this](const InstanceImpl *producer, const InstanceImpl *consumer) {
        for (const Connection &c : connections_)
            if (c.from == producer && c.to == consumer) return true;
        return false;
    };
    while (!pending.empty()) {
        std::vector<InstanceImpl *> wave, later;
        for (InstanceImpl *candidate : pending) {
            bool fedByPending = false;
            for (InstanceImpl *other : pending)
                fedByPending = fedByPending || (other != candidate && feeds(other, candidate));
            (fedByPending ? later : wave).push_back(candidate);
        }
        if (wave.empty()) wave.swap(later);
        for (InstanceImpl *consumer : wave) {
            for (const Connection &c : connections_) {
                if (c.to != consumer || c.from == nullptr) continue;
                if (OutputPin *out = c.from->OutputByName(c.output.c_str()); out != nullptr && out->fifo)
                    out->fifo->WaitIdle(drainDeadline);
            }
        }
        for (InstanceImpl *instance : wave) instance->RequestStop();
        for (InstanceImpl *instance : wave) instance->Join();
        pending.swap(later);
    }
}

void Host::Stop() {
    std::lock_guard<std::mutex> serial(stopMutex_);
    {
        // A Stop from another thread waits until Start has launched every instance:
        // otherwise it could join threads that are not there yet and leave them running.
        std::lock_guard<std::recursive_mutex> control(control_);
        if (!running_) return;
    }
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        stopping_ = true;
        stateCv_.notify_all();
    }
    for (auto &source : sources_) source->Stop();
    StopProducersFirst();
    clock_.Freeze();
    std::lock_guard<std::recursive_mutex> control(control_);
    for (auto &instance : instances_) instance->ClearRun();
    running_ = false;
}

}  // namespace zuv::host::detail
