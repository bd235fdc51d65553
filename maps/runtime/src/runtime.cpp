// The public Runtime: a thin front over the host.
#include "host.h"

namespace zuv::host {

struct Runtime::Impl {
    detail::Host host;
};

namespace {
detail::InstanceImpl &Inner(Instance &instance) {
    return static_cast<detail::InstanceImpl &>(instance);
}
}  // namespace

Runtime::Runtime() : impl_(std::make_unique<Impl>()) {}
Runtime::~Runtime() = default;

std::vector<std::string> Runtime::LoadPackage(const std::string &path) {
    return impl_->host.LoadPackage(path);
}
std::vector<std::string> Runtime::Models() const {
    return impl_->host.Models();
}
Instance &Runtime::CreateInstance(const std::string &model, const std::string &name) {
    return impl_->host.CreateInstance(model, name);
}
Instance *Runtime::FindInstance(const std::string &name) {
    return impl_->host.FindInstance(name);
}
Source &Runtime::CreateSource(const std::string &name, ElementType type, int maxSize, int fifoDepth) {
    return impl_->host.CreateSource(name, type, maxSize, fifoDepth);
}
void Runtime::Connect(Instance &from, const std::string &output, Instance &to, const std::string &input) {
    impl_->host.Connect(&Inner(from), nullptr, output, Inner(to), input);
}
void Runtime::Connect(Source &from, Instance &to, const std::string &input) {
    impl_->host.Connect(nullptr, &static_cast<detail::SourceImpl &>(from), "", Inner(to), input);
}
void Runtime::AttachSink(Instance &from, const std::string &output, SampleCallback callback) {
    impl_->host.AttachSink(Inner(from), output, std::move(callback));
}
void Runtime::SetReportCallback(ReportCallback callback) {
    impl_->host.SetReportCallback(std::move(callback));
}
void Runtime::Start() {
    impl_->host.Start();
}
void Runtime::Stop() {
    impl_->host.Stop();
}
bool Runtime::Running() const {
    return impl_->host.Running();
}
Instance *Runtime::WaitForEnded(std::chrono::milliseconds timeout) {
    return impl_->host.WaitForEnded(timeout);
}
void Runtime::SetEndedCallback(std::function<void()> callback) {
    impl_->host.SetEndedCallback(std::move(callback));
}
void Runtime::SetClockMode(ClockMode mode) {
    if (impl_->host.Running()) throw HostError(HostError::Code::BadState, "clock mode changes only while stopped");
    impl_->host.Clock().SetMode(mode);
}
void Runtime::SetTime(int64_t microseconds) {
    if (impl_->host.Clock().Mode() != ClockMode::Driven)
        throw HostError(HostError::Code::BadState, "SetTime needs the driven clock mode");
    impl_->host.Clock().Set(microseconds);
}
int64_t Runtime::Now() const {
    return impl_->host.Clock().Now();
}

}  // namespace zuv::host
