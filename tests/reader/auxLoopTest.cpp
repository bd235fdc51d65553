// The auxiliary port loop over a scripted double of the link's auxiliary
// reading and a host double that records samples, reports and pauses.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "zuvAuxForwarder.h"

namespace zuv::test {
namespace {

struct Cycle {
    ZuvErrorCode code;
    std::list<std::string> sentences;
};

class ScriptedAuxSource final : public zuv::AuxSentenceSource {
public:
    explicit ScriptedAuxSource(std::vector<Cycle> cycles, bool open = true)
        : cycles_(cycles.begin(), cycles.end()), open_(open) {}
    bool IsOpen() const override { return open_; }
    ZuvErrorCode ReadAuxFrames() override {
        ++reads;
        if (cycles_.empty()) {
            return ZUV_NOT_CONTINUOUS_FRAME;
        }
        queued_ = std::move(cycles_.front().sentences);
        const ZuvErrorCode code = cycles_.front().code;
        cycles_.pop_front();
        return code;
    }
    std::list<std::string> PopNMEASentences() override { return std::exchange(queued_, {}); }

    int reads = 0;

private:
    std::deque<Cycle> cycles_;
    std::list<std::string> queued_;
    bool open_;
};

class RecordingAuxHost final : public zuv::AuxHost {
public:
    RecordingAuxHost(int cyclesBeforeDying, size_t capacity = 4086)
        : cyclesLeft_(cyclesBeforeDying), buffer_(capacity + 1, '#') {}
    size_t SampleCapacity() const override { return buffer_.size() - 1; }
    char *StartSample() override { return buffer_.data(); }
    void FinishSample(size_t length) override {
        EXPECT_EQ(buffer_[length], '\0');
        samples.emplace_back(buffer_.data(), length);
    }
    void Report(const std::string &text, int level) override { reports.emplace_back(level, text); }
    void Pause(int64_t microseconds) override {
        pauses.push_back(microseconds);
        --cyclesLeft_;
    }
    bool Dying() const override { return cyclesLeft_ <= 0; }

    std::vector<std::string> samples;
    std::vector<std::pair<int, std::string>> reports;
    std::vector<int64_t> pauses;

private:
    int cyclesLeft_;
    std::string buffer_;
};

std::string sentence(size_t length, char fill) {
    std::string s(length, fill);
    s[0] = '$';
    return s;
}

TEST(AuxLoop, OneCyclesSentencesGoOutBackToBackInOneSample) {
    const std::string a = sentence(20, 'a'), b = sentence(30, 'b'), c = sentence(25, 'c');
    ScriptedAuxSource source({{ZUV_NO_ERROR, {a, b, c}}});
    RecordingAuxHost host(1);
    zuv::RunAuxLoop(source, host);
    ASSERT_EQ(host.samples.size(), 1u);
    EXPECT_EQ(host.samples[0].size(), 75u);
    EXPECT_EQ(host.samples[0], a + b + c);
    EXPECT_TRUE(host.reports.empty());
}

TEST(AuxLoop, NothingCompleteIsSilentAndOtherCodesAreReportedEachCycle) {
    const std::string later = sentence(40, 'z');
    ScriptedAuxSource source({{ZUV_NOT_CONTINUOUS_FRAME, {}},
                              {ZUV_READ_ERROR, {}},
                              {ZUV_NO_ERROR, {}},
                              {ZUV_READ_ERROR, {}},
                              {ZUV_NO_ERROR, {later}}});
    RecordingAuxHost host(5);
    zuv::RunAuxLoop(source, host);
    ASSERT_EQ(host.reports.size(), 2u);
    for (const auto &report : host.reports) {
        EXPECT_EQ(report.first, 2);
        EXPECT_EQ(report.second, "Auxiliary reading error:7");
    }
    ASSERT_EQ(host.samples.size(), 1u) << "an empty queue writes nothing; errors do not stop the loop";
    EXPECT_EQ(host.samples[0], later);
}

TEST(AuxLoop, PausesHalfASecondAfterEachCycleUntilDying) {
    ScriptedAuxSource source({});
    RecordingAuxHost host(3);
    zuv::RunAuxLoop(source, host);
    EXPECT_EQ(source.reads, 3);
    EXPECT_EQ(host.pauses, std::vector<int64_t>(3, 500000));
}

TEST(AuxLoop, EndsAtOnceWithoutAnAuxiliaryLinkOrWhenAlreadyDying) {
    ScriptedAuxSource closed({{ZUV_NO_ERROR, {sentence(20, 'a')}}}, false);
    RecordingAuxHost host(5);
    zuv::RunAuxLoop(closed, host);
    EXPECT_EQ(closed.reads, 0);
    EXPECT_TRUE(host.pauses.empty());

    ScriptedAuxSource open({{ZUV_NO_ERROR, {sentence(20, 'a')}}});
    RecordingAuxHost dying(0);
    zuv::RunAuxLoop(open, dying);
    EXPECT_EQ(open.reads, 0);
    EXPECT_TRUE(dying.samples.empty());
}

// More text than one sample holds is spread over several, never cut inside a sentence.
TEST(AuxLoop, ACycleLargerThanOneSampleIsSplitBetweenSentences) {
    std::list<std::string> sentences;
    std::string all;
    for (int i = 0; i < 60; ++i) {
        sentences.push_back(sentence(82, static_cast<char>('A' + i % 26)));
        all += sentences.back();
    }
    ScriptedAuxSource source({{ZUV_NO_ERROR, sentences}});
    RecordingAuxHost host(1);
    zuv::RunAuxLoop(source, host);
    ASSERT_EQ(host.samples.size(), 2u);
    EXPECT_EQ(host.samples[0].size(), 49u * 82u);
    EXPECT_EQ(host.samples[1].size(), 11u * 82u);
    EXPECT_EQ(host.samples[0] + host.samples[1], all);
}

TEST(AuxLoop, ASentenceLongerThanASampleIsDroppedWithAWarning) {
    const std::string before = sentence(10, 'b'), huge = sentence(101, 'h'), after = sentence(12, 'a');
    ScriptedAuxSource source({{ZUV_NO_ERROR, {before, huge, after}}});
    RecordingAuxHost host(1, 100);
    zuv::RunAuxLoop(source, host);
    ASSERT_EQ(host.reports.size(), 1u);
    EXPECT_EQ(host.reports[0].first, 1);
    std::string published;
    for (const auto &s : host.samples) {
        EXPECT_LE(s.size(), 100u);
        published += s;
    }
    EXPECT_EQ(published, before + after);
}

}  // namespace
}  // namespace zuv::test
