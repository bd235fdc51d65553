#include "zuvReaderLinkCalls.h"

#include <atomic>

namespace zuv {
namespace {
std::atomic<const ZuvLinkCalls *> overrideCalls{nullptr};
}

void SetReaderLinkCalls(const ZuvLinkCalls *calls) {
    overrideCalls.store(calls);
}

const ZuvLinkCalls &ReaderLinkCalls() {
    const ZuvLinkCalls *calls = overrideCalls.load();
    return calls != nullptr ? *calls : ZuvLibraryLinkCalls();
}

}  // namespace zuv
