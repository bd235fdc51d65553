#include "zuvLinkBudget.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "zuvEComLogRates.h"

namespace zuv {
namespace {

constexpr uint32_t kMainLoopHz = 200;
constexpr uint32_t kPpsMode = 10000;
constexpr uint32_t kNewDataMode = 10001;
constexpr uint32_t kFirstTriggerMode = 10000;

}  // namespace

double ChoiceFramesPerSecond(size_t choice, uint8_t logId) {
    if (choice >= catalogue::kRateChoiceCount) {
        return 0.0;
    }
    const uint32_t mode = catalogue::kRateChoices[choice].mode;
    if (mode == 0) {
        return 0.0;
    }
    if (mode < kFirstTriggerMode) {
        return static_cast<double>(kMainLoopHz) / mode;
    }
    if (mode == kPpsMode) {
        return 1.0;
    }
    if (mode == kNewDataMode) {
        return zuvEComLogNewDataRateHz(logId);
    }
    return 0.0;  // sync inputs: no rate to know
}

namespace {

double logBytesPerSecond(size_t choice, uint8_t logId) {
    return ChoiceFramesPerSecond(choice, logId) * static_cast<double>(zuvEComLogFrameSize(logId));
}

}  // namespace

double NeededBytesPerSecond(const RateChoices &choices) {
    double total = 0.0;
    for (size_t i = 0; i < catalogue::kLogKindCount; ++i) {
        total += logBytesPerSecond(choices[i], catalogue::kLogKinds[i].msgId);
    }
    return total;
}

std::string LinkBudgetWarning(const RateChoices &choices, uint32_t baudRate) {
    const double needed = NeededBytesPerSecond(choices);
    const double carried = baudRate / 10.0;
    if (needed <= kBudgetWarningShare * carried) {
        return {};
    }
    std::array<size_t, catalogue::kLogKindCount> order{};
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    auto bytesOf = [&choices](size_t i) { return logBytesPerSecond(choices[i], catalogue::kLogKinds[i].msgId); };
    // Stable: equal logs keep the property order, so the message is the same on every run.
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return bytesOf(a) > bytesOf(b); });
    char head[160];
    std::snprintf(head, sizeof head,
                  "Configured logs need %.0f bytes/s, %.0f %% of the %.0f bytes/s that %u baud carries;", needed,
                  100.0 * needed / carried, carried, baudRate);
    std::string text = head;
    const char *separator = " largest: ";
    for (size_t k = 0; k < 3 && bytesOf(order[k]) > 0.0; ++k) {
        char part[96];
        std::snprintf(part, sizeof part, "%s%s %.0f bytes/s", separator, catalogue::kLogKinds[order[k]].property,
                      bytesOf(order[k]));
        text += part;
        separator = ", ";
    }
    text += ". Frames will be lost on the device side.";
    return text;
}

}  // namespace zuv
