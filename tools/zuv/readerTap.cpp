#include "readerTap.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstring>

#include "zuvEComFrameView.h"
#include "zuvEComLogCatalogue.h"

namespace zuv::tool {

bool frameCrcMatches(const uint8_t *bytes, size_t size) {
    if (size < FrameView::kOverhead) {
        return false;
    }
    const FrameView view(bytes);
    return size == view.frameSize() && view.crcMatches();
}

ReaderTap::ReaderTap() : start_(std::chrono::steady_clock::now()), lastTime_(start_) {}

host::SampleCallback ReaderTap::callback() {
    return [this](const host::SampleView &sample) {
        frames_.fetch_add(1, std::memory_order_relaxed);
        bytes_.fetch_add(sample.bytes, std::memory_order_relaxed);
        if (sample.bytes >= 3) {
            framesById_[static_cast<const uint8_t *>(sample.data)[2]].fetch_add(1, std::memory_order_relaxed);
        }
        if (!frameCrcMatches(static_cast<const uint8_t *>(sample.data), sample.bytes)) {
            crcErrors_.fetch_add(1, std::memory_order_relaxed);
        }
    };
}

host::SampleCallback ReaderTap::statisticsCallback() {
    return [this](const host::SampleView &sample) {
        const size_t n = std::min<size_t>(linkCounts_.size(), sample.vectorSize > 0 ? sample.vectorSize : 0);
        for (size_t i = 0; i < n && (i + 1) * sizeof(int64_t) <= sample.bytes; ++i) {
            int64_t value = 0;
            std::memcpy(&value, static_cast<const uint8_t *>(sample.data) + i * sizeof(int64_t), sizeof value);
            linkCounts_[i].store(value, std::memory_order_relaxed);
        }
        statisticsSeen_.store(true, std::memory_order_release);
    };
}

std::array<int64_t, 9> ReaderTap::linkStatistics() const {
    std::array<int64_t, 9> counts{};
    for (size_t i = 0; i < counts.size(); ++i) {
        counts[i] = linkCounts_[i].load(std::memory_order_relaxed);
    }
    return counts;
}

std::string linkCountsText(const std::array<int64_t, 9> &c) {
    return fmt::format(
        "bytes {}  discarded {}  CRC drops {}  class drops {}  read errors {}  losses {}  "
        "reconnections {}  kernel drops {}",
        c[0], c[3], c[2], c[4], c[5], c[6], c[7], c[8]);
}

std::string ReaderTap::summary(const std::vector<std::pair<std::string, std::string>> &enabledRates,
                               const std::vector<uint8_t> &logIds) const {
    std::string text;
    if (hasLinkStatistics()) {
        text += "link: " + linkCountsText(linkStatistics()) + "\n";
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    for (size_t i = 0; i < enabledRates.size() && i < logIds.size(); ++i) {
        const double arrived =
            seconds > 0 ? static_cast<double>(framesById_[logIds[i]].load(std::memory_order_relaxed)) / seconds : 0.0;
        text += fmt::format("{}: set {}, arrived {:.1f} frames/s\n", enabledRates[i].first, enabledRates[i].second,
                            arrived);
    }
    return text;
}

bool hasLinkStatisticsOutput(host::Instance &reader) {
    for (const auto &output : reader.Outputs()) {
        if (output.name == "oLinkStatistics") return true;
    }
    return false;
}

void attachReaderTap(host::Runtime &runtime, host::Instance &reader, ReaderTap &tap) {
    runtime.AttachSink(reader, "oData", tap.callback());
    if (hasLinkStatisticsOutput(reader)) {
        runtime.AttachSink(reader, "oLinkStatistics", tap.statisticsCallback());
    }
}

std::string readerSummary(host::Instance &reader, const ReaderTap &tap) {
    std::vector<std::pair<std::string, std::string>> rates;
    std::vector<uint8_t> ids;
    for (const zuv::catalogue::LogKind &kind : zuv::catalogue::kLogKinds) {
        bool declared = false;
        for (const auto &property : reader.Properties()) {
            declared = declared || property.name == kind.property;
        }
        if (!declared) continue;  // a UDP reader sets no rates
        const std::string chosen = reader.GetProperty(kind.property).SelectedText();
        if (chosen == "Disabled") continue;
        rates.emplace_back(kind.property, chosen);
        ids.push_back(kind.msgId);
    }
    return tap.summary(rates, ids);
}

std::string ReaderTap::status() {
    const auto now = std::chrono::steady_clock::now();
    const uint64_t count = frames();
    const double span = std::chrono::duration<double>(now - lastTime_).count();
    if (span >= 1.0) {
        rate_ = static_cast<double>(count - lastFrames_) / span;
        lastFrames_ = count;
        lastTime_ = now;
    }
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    if (hasLinkStatistics()) {
        const auto c = linkStatistics();
        return fmt::format(
            "frames {}  {:.1f} kB  {:.1f} frames/s  CRC errors {}  {:.1f} s  discarded {} B  class drops {}  "
            "read errors {}  losses {}  reconnections {}  kernel drops {}",
            count, static_cast<double>(bytes()) / 1000.0, rate_, c[2], elapsed, c[3], c[4], c[5], c[6], c[7], c[8]);
    }
    return fmt::format("frames {}  {:.1f} kB  {:.1f} frames/s  CRC errors {}  {:.1f} s", count,
                       static_cast<double>(bytes()) / 1000.0, rate_, crcErrors(), elapsed);
}

}  // namespace zuv::tool
