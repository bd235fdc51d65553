#include "zuvAuxForwarder.h"

#include <cstring>

namespace zuv {
namespace {

void publishSentences(const std::list<std::string> &sentences, AuxHost &host) {
    const size_t capacity = host.SampleCapacity();
    auto next = sentences.begin();
    while (next != sentences.end()) {
        if (next->size() > capacity) {
            host.Report("Auxiliary sentence of " + std::to_string(next->size()) +
                            " characters dropped: longer than one sample.",
                        1);
            ++next;
            continue;
        }
        char *text = host.StartSample();
        if (text == nullptr) {
            return;
        }
        size_t used = 0;
        while (next != sentences.end() && next->size() <= capacity - used) {
            std::memcpy(text + used, next->data(), next->size());
            used += next->size();
            ++next;
        }
        text[used] = '\0';
        host.FinishSample(used);
    }
}

}  // namespace

void ForwardAuxCycle(AuxSentenceSource &source, AuxHost &host) {
    const ZuvErrorCode rc = source.ReadAuxFrames();
    if (rc == ZUV_NO_ERROR) {
        const std::list<std::string> sentences = source.PopNMEASentences();
        if (!sentences.empty()) {
            publishSentences(sentences, host);
        }
    } else if (rc != ZUV_NOT_CONTINUOUS_FRAME) {
        host.Report("Auxiliary reading error:" + std::to_string(static_cast<int>(rc)), 2);
    }
}

void RunAuxLoop(AuxSentenceSource &source, AuxHost &host) {
    if (!source.IsOpen() || host.Dying()) {
        return;
    }
    do {
        ForwardAuxCycle(source, host);
        host.Pause(kAuxPollPauseUs);
    } while (!host.Dying());
}

}  // namespace zuv
