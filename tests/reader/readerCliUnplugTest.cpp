// `zuv record` on a symbolic link to the simulator's pseudo-terminal, while the
// device is unplugged and plugged in again three times.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "readerHarness.h"
#include "zrecReader.h"

using namespace std::chrono_literals;

namespace zuv::test {
namespace {

using Bytes = std::vector<uint8_t>;

std::string readText(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

size_t occurrences(const std::string &text, const std::string &what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(ReaderCliUnplug, RecordKeepsEveryFrameSentWhilePluggedInThroughThreeUnplugs) {
    char dir[] = "/tmp/zuv_cli_unplug_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string scratch = dir, link = scratch + "/device", out = scratch + "/run.zrec";
    zuv::sim::SimConfig config;
    config.link = zuv::sim::LinkKind::Pty;
    config.linkPath = link;
    zuv::sim::Simulator sim(config);
    std::mutex mutex;
    std::vector<Bytes> sent;
    sim.setFrameTap([&](const zuv::sim::SentFrame &frame) {
        if (frame.msgClass > 1) return;
        std::lock_guard<std::mutex> lock(mutex);
        sent.emplace_back(frame.bytes + frame.noiseBytes, frame.bytes + frame.size);
    });
    ASSERT_EQ(sim.start(), ZUV_NO_ERROR) << sim.errorText();

    // Quiet before each unplug: what the kernel holds when the line goes is lost
    // with it, whoever reads.
    auto quiet = [&sim](bool on) {
        zuv::sim::FaultConfig faults;
        faults.silent = on;
        sim.setFaults(faults);
        if (on) {
            sim.waitForOutput(5000);
            std::this_thread::sleep_for(100ms);
        }
    };
    std::thread device([&] {
        std::this_thread::sleep_for(2500ms);
        for (int k = 0; k < 3; ++k) {
            quiet(true);
            sim.unplug();
            quiet(false);
            std::this_thread::sleep_for(1000ms);
            sim.replug();
            std::this_thread::sleep_for(2500ms);
        }
        quiet(true);
    });
    const std::string command = "'" ZUV_TOOL "' --package '" ZUV_PACKAGE "' record --port '" + link +
                                "' -p 'pImuData=50 Hz' -p 'pEkfNav=25 Hz' --out '" + out + "' --duration 15 >" +
                                scratch + "/tool.out 2>" + scratch + "/tool.err </dev/null";
    const int raw = std::system(command.c_str());
    device.join();
    sim.stop();
    const std::string err = readText(scratch + "/tool.err");
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << err;
    EXPECT_EQ(occurrences(err, "warning reader: Link to " + link + " lost: "), 3u) << err;
    EXPECT_EQ(occurrences(err, "info reader: Link to " + link + " back after "), 3u) << err;
    EXPECT_EQ(occurrences(err, "warning reader: "), 3u) << err;
    EXPECT_THAT(err, ::testing::HasSubstr("pImuData: set 50 Hz, arrived "));

    std::vector<Bytes> recorded;
    zuv::recording::ZrecReader reader;
    ASSERT_TRUE(reader.open(out)) << reader.error();
    zuv::recording::ZrecRecord record;
    while (reader.next(record) == zuv::recording::ZrecStatus::Record) {
        recorded.emplace_back(record.bytes, record.bytes + record.size);
    }
    // The frames sent while the rates were first set went to the commands'
    // wait; from the first recorded frame on, every frame sent is there, in order.
    std::lock_guard<std::mutex> lock(mutex);
    ASSERT_GT(recorded.size(), 300u);
    size_t first = 0;
    while (first < sent.size() && sent[first] != recorded.front()) ++first;
    ASSERT_LT(first, sent.size());
    EXPECT_TRUE(std::vector<Bytes>(sent.begin() + static_cast<std::ptrdiff_t>(first), sent.end()) == recorded)
        << "sent " << sent.size() - first << " recorded " << recorded.size();
    std::system(("rm -rf '" + scratch + "'").c_str());
}

}  // namespace
}  // namespace zuv::test
