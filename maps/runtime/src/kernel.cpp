// The kernel table handed to packages: each entry forwards to the instance.
#include "host.h"
#include "stepPins.h"

namespace zuv::host::detail {

Host *ActiveHost();

namespace {

InstanceImpl *I(MAPSHostInstance *handle) {
    return reinterpret_cast<InstanceImpl *>(handle);
}

void KReport(MAPSHostInstance *h, const char *text, int level) {
    I(h)->Report(text ? text : "", level);
}
void KError(MAPSHostInstance *h, const char *text) {
    I(h)->Error(text ? text : "");
}
int KCommitSuicide(MAPSHostInstance *h) {
    return I(h)->CommitSuicide();
}
int KIsDying(MAPSHostInstance *h) {
    return I(h)->IsDying() ? 1 : 0;
}
int KIsRunning(MAPSHostInstance *h) {
    return I(h)->Running() ? 1 : 0;
}
void KRest(MAPSHostInstance *h, int64_t us) {
    if (I(h)->step_) return;  // step mode: no time passes between calls
    I(h)->Rest(us);
}
int64_t KCurrentTime() {
    Host *host = CurrentRole().host;
    if (host == nullptr) host = ActiveHost();
    return host ? host->Clock().Now() : 0;
}
const char *KInstanceName(MAPSHostInstance *h) {
    return I(h)->Name().c_str();
}
int KRename(MAPSHostInstance *h, const char *name) {
    return I(h)->Rename(name);
}
int KCreateThread(MAPSHostInstance *h, void *context) {
    return I(h)->CreateThread(context);
}
MAPSInput *KFindInput(MAPSHostInstance *h, const char *name) {
    return I(h)->FindInput(name);
}
MAPSOutput *KFindOutput(MAPSHostInstance *h, const char *name) {
    return I(h)->FindOutput(name);
}
MAPSProperty *KFindProperty(MAPSHostInstance *h, const char *name) {
    return I(h)->FindProperty(name);
}
MAPSInput *KNewInput(MAPSHostInstance *h, const char *e, const char *n) {
    return I(h)->NewInput(e, n);
}
MAPSOutput *KNewOutput(MAPSHostInstance *h, const char *e, const char *n) {
    return I(h)->NewOutput(e, n);
}
MAPSProperty *KNewProperty(MAPSHostInstance *h, const char *e, const char *n) {
    return I(h)->NewProperty(e, n);
}
int KStartWriting(MAPSHostInstance *h, MAPSOutput *o, MAPSIOElt **e) {
    if (StepPins *step = I(h)->step_) return step->StartWriting(o, e);
    return I(h)->StartWriting(o, e);
}
int KStopWriting(MAPSHostInstance *h, MAPSIOElt *e, int discard) {
    if (StepPins *step = I(h)->step_) return step->StopWriting(e, discard);
    return I(h)->StopWriting(e, discard);
}
int KStartReading(MAPSHostInstance *h, MAPSInput *in, MAPSIOElt **e) {
    if (StepPins *step = I(h)->step_) return step->StartReading(in, e);
    return I(h)->StartReading(in, e);
}
int KGetProperty(MAPSHostInstance *h, MAPSProperty *p, MAPSKernelValue *v) {
    return I(h)->GetPropertyValue(p, v);
}
int KSetProperty(MAPSHostInstance *h, MAPSProperty *p, const MAPSKernelValue *v) {
    return I(h)->SetPropertyValue(p, v);
}

const MAPSKernelInterface kKernel = {
    sizeof(MAPSKernelInterface),
    KReport,
    KError,
    KCommitSuicide,
    KIsDying,
    KIsRunning,
    KRest,
    KCurrentTime,
    KInstanceName,
    KRename,
    KCreateThread,
    KFindInput,
    KFindOutput,
    KFindProperty,
    KNewInput,
    KNewOutput,
    KNewProperty,
    KStartWriting,
    KStopWriting,
    KStartReading,
    KGetProperty,
    KSetProperty,
};

thread_local ThreadRole tRole;

}  // namespace

const MAPSKernelInterface *KernelTable() {
    return &kKernel;
}

ThreadRole &CurrentRole() {
    return tRole;
}

RoleScope::RoleScope(Host *host, InstanceImpl *instance, bool componentThread) : saved_(tRole) {
    tRole = ThreadRole{host, instance, componentThread};
}

RoleScope::~RoleScope() {
    tRole = saved_;
}

}  // namespace zuv::host::detail
