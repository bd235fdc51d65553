// A runtime with the test package loaded and every report captured.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "maps_runtime.h"

namespace zuv::test {

struct CapturedReport {
    int level;
    std::string instance;
    std::string text;
};

class RuntimeTest : public ::testing::Test {
protected:
    RuntimeTest() {
        runtime.SetReportCallback([this](int level, const std::string &instance, const std::string &text) {
            std::lock_guard<std::mutex> lock(mutex_);
            reports_.push_back({level, instance, text});
            arrived_.notify_all();
        });
        runtime.LoadPackage(ZUV_TEST_PACKAGE);
    }

    std::vector<CapturedReport> Reports() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return reports_;
    }
    // Texts reported by one instance, in order.
    std::vector<std::string> TextsOf(const std::string &instance) const {
        std::vector<std::string> texts;
        for (auto &r : Reports())
            if (r.instance == instance) texts.push_back(r.text);
        return texts;
    }
    // Waits for a report from `instance` starting with `prefix`.
    bool WaitForReport(const std::string &instance, const std::string &prefix,
                       std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        std::unique_lock<std::mutex> lock(mutex_);
        return arrived_.wait_for(lock, timeout, [&] {
            return std::any_of(reports_.begin(), reports_.end(), [&](const CapturedReport &r) {
                return r.instance == instance && r.text.rfind(prefix, 0) == 0;
            });
        });
    }
    bool Reported(const std::string &instance, const std::string &text) const {
        auto texts = TextsOf(instance);
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }
    // Index of the first report from `instance` starting with `prefix`, or -1.
    int IndexOf(const std::string &instance, const std::string &prefix) const {
        auto all = Reports();
        for (size_t i = 0; i < all.size(); ++i)
            if (all[i].instance == instance && all[i].text.rfind(prefix, 0) == 0) return static_cast<int>(i);
        return -1;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<CapturedReport> reports_;

protected:
    // Last, so that it stops (and reports Deaths) before the capture goes.
    zuv::host::Runtime runtime;
};

// The names of a list of pins or properties, in order.
template <class Info>
std::vector<std::string> Names(const std::vector<Info> &list) {
    std::vector<std::string> names;
    for (auto &item : list) names.push_back(item.name);
    return names;
}

}  // namespace zuv::test
