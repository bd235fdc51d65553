// The decoder as a user meets it: `zuv describe ZUV_FrameDecoder` under the
// property combinations that shape it, and `zuv decode` of a recording, which
// must give the same lines every time and the same lines as the decoder
// driven directly.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>
#include <tuple>
#include <vector>

#include "decoderFixture.h"
#include "toolRun.h"
#include "zrecWriter.h"

namespace zuv::test {
namespace {

using nlohmann::json;

json describe(const std::vector<std::string> &properties) {
    std::vector<std::string> arguments = {"describe", "ZUV_FrameDecoder"};
    for (const std::string &property : properties) {
        arguments.push_back("-p");
        arguments.push_back(property);
    }
    const ToolResult result = runTool(arguments);
    EXPECT_EQ(result.status, 0) << result.err;
    return json::parse(result.out);
}

std::vector<std::string> namesOf(const json &list) {
    std::vector<std::string> names;
    for (const json &item : list) names.push_back(item.at("name").get<std::string>());
    return names;
}

const std::vector<std::string> kEnableProperties = {
    "pStatus",  "pUtcTime",        "pImuData",       "pMag",     "pMagCalib", "pEkfEuler", "pEkfQuat",
    "pEkfNav",  "pGps1Vel",        "pGps1Pos",       "pGps1Hdt", "pGps1Raw",  "pGps2Vel",  "pGps2Pos",
    "pGps2Hdt", "pGps2Raw",        "pOdoVel",        "pEventA",  "pEventB",   "pEventC",   "pEventD",
    "pEventE",  "pDvlBottomTrack", "pDvlWaterTrack", "pAirData", "pUsbl"};

TEST(Describe, DefaultsHaveTheInputTheFirstThirtyPropertiesAndNoOutput) {
    const json d = describe({});
    EXPECT_EQ(d.at("model"), "ZUV_FrameDecoder");
    ASSERT_EQ(d.at("inputs").size(), 1u);
    EXPECT_EQ(d["inputs"][0].at("name"), "iData");
    EXPECT_EQ(d["inputs"][0].at("type"), "Stream8");
    EXPECT_TRUE(d.at("outputs").empty());
    std::vector<std::string> expected = kEnableProperties;
    for (const char *name : {"pVerbose", "pInternalTimestamp", "pAddOriginalFramerate", "pDownSampling"}) {
        expected.push_back(name);
    }
    expected.push_back("pDeviceClockTimestamps");  // after the leading thirty, always there
    EXPECT_EQ(namesOf(d.at("properties")), expected);
    EXPECT_EQ(d["properties"][30].at("value"), false);
    for (const json &property : d["properties"]) {
        EXPECT_EQ(property.at("flags"), 0x1000000) << property;
        if (property.at("type") == "enum") {
            EXPECT_EQ(property.at("value"), "Disabled");
            EXPECT_EQ(property.at("choices"), json({"Disabled", "Enabled"}));
        }
    }
    EXPECT_EQ(d["properties"][26].at("value"), true);   // pVerbose
    EXPECT_EQ(d["properties"][27].at("value"), true);   // pInternalTimestamp
    EXPECT_EQ(d["properties"][28].at("value"), false);  // pAddOriginalFramerate
    EXPECT_EQ(d["properties"][29].at("value"), false);  // pDownSampling
    EXPECT_EQ(d.at("actions"), json({"aLifeChecking"}));
}

struct ShapeCase {
    const char *name;
    std::vector<std::string> properties;
    std::vector<std::string> outputs;
};

void PrintTo(const ShapeCase &c, std::ostream *os) {
    *os << c.name;
}

class Shape : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(Shape, OutputsFollowTheProperties) {
    EXPECT_EQ(namesOf(describe(GetParam().properties).at("outputs")), GetParam().outputs);
}

INSTANTIATE_TEST_SUITE_P(
    Decoder, Shape,
    ::testing::Values(ShapeCase{"ImuWithTwin", {"pImuData=Enabled"}, {"oImu", "oImuInternalTimestamp"}},
                      ShapeCase{"ImuWithoutTwin", {"pInternalTimestamp=false", "pImuData=Enabled"}, {"oImu"}},
                      ShapeCase{"ImuTwinDroppedLater", {"pImuData=Enabled", "pInternalTimestamp=false"}, {"oImu"}},
                      ShapeCase{"MagCalibAlone", {"pMagCalib=Enabled"}, {"oMagCalib"}},
                      ShapeCase{"Gps1RawAlone", {"pGps1Raw=1"}, {"oGps1Raw"}},
                      ShapeCase{"EventCAlone", {"pEventC=Enabled", "pInternalTimestamp=true"}, {"oEventMarkerC"}},
                      ShapeCase{"AirDataIsPressure", {"pAirData=Enabled"}, {"oPressure", "oPressureInternalTimestamp"}},
                      ShapeCase{"DisabledAgain", {"pUsbl=Enabled", "pUsbl=Disabled"}, {}},
                      ShapeCase{"TableOrderWhateverTheCommandLineOrder",
                                {"pUsbl=Enabled", "pStatus=Enabled", "pGps2Raw=Enabled", "pGps1Raw=Enabled"},
                                {"oStatus", "oGps1Raw", "oGps2Raw", "oUsbl", "oUsblInternalTimestamp"}}),
    [](const ::testing::TestParamInfo<ShapeCase> &param) { return param.param.name; });

TEST(Describe, EveryKindEnabledGivesTheWholeOutputTable) {
    std::vector<std::string> properties;
    for (const std::string &name : kEnableProperties) properties.push_back(name + "=Enabled");
    const json outputs = describe(properties).at("outputs");
    const std::vector<std::tuple<std::string, std::string, int>> expected = {
        {"oStatus", "Integer64", 8},
        {"oUtcTime", "Integer64", 11},
        {"oUtcTimeInternalTimestamp", "Integer64", 1},
        {"oImu", "Float64", 15},
        {"oImuInternalTimestamp", "Integer64", 1},
        {"oMag", "Float64", 8},
        {"oMagInternalTimestamp", "Integer64", 1},
        {"oMagCalib", "Integer64", 19},
        {"oEkfEuler", "Float64", 8},
        {"oEkfEulerInternalTimestamp", "Integer64", 1},
        {"oEkfQuat", "Float64", 9},
        {"oEkfQuatInternalTimestamp", "Integer64", 1},
        {"oEkfNav", "Float64", 15},
        {"oEkfNavInternalTimestamp", "Integer64", 1},
        {"oGps1Vel", "Float64", 11},
        {"oGps1VelInternalTimestamp", "Integer64", 1},
        {"oGps1Pos", "Float64", 13},
        {"oGps1PosInternalTimestamp", "Integer64", 1},
        {"oGps1Hdt", "Float64", 8},
        {"oGps1HdtInternalTimestamp", "Integer64", 1},
        {"oGps1Raw", "Stream8", 4086},
        {"oGps2Vel", "Float64", 11},
        {"oGps2VelInternalTimestamp", "Integer64", 1},
        {"oGps2Pos", "Float64", 13},
        {"oGps2PosInternalTimestamp", "Integer64", 1},
        {"oGps2Hdt", "Float64", 8},
        {"oGps2HdtInternalTimestamp", "Integer64", 1},
        {"oGps2Raw", "Stream8", 4086},
        {"oOdoVel", "Float64", 3},
        {"oOdoVelInternalTimestamp", "Integer64", 1},
        {"oEventMarkerA", "Integer64", 6},
        {"oEventMarkerB", "Integer64", 6},
        {"oEventMarkerC", "Integer64", 6},
        {"oEventMarkerD", "Integer64", 6},
        {"oEventMarkerE", "Integer64", 6},
        {"oDvlBottomTrack", "Float64", 8},
        {"oDvlBottomTrackInternalTimestamp", "Integer64", 1},
        {"oDvlWaterTrack", "Float64", 8},
        {"oDvlWaterTrackInternalTimestamp", "Integer64", 1},
        {"oPressure", "Float64", 7},
        {"oPressureInternalTimestamp", "Integer64", 1},
        {"oUsbl", "Float64", 8},
        {"oUsblInternalTimestamp", "Integer64", 1},
    };
    ASSERT_EQ(outputs.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(outputs[i].at("name"), std::get<0>(expected[i]));
        EXPECT_EQ(outputs[i].at("type"), std::get<1>(expected[i])) << std::get<0>(expected[i]);
        EXPECT_EQ(outputs[i].at("maxSize"), std::get<2>(expected[i])) << std::get<0>(expected[i]);
        EXPECT_EQ(outputs[i].at("fifo"), 16) << std::get<0>(expected[i]);
    }
}

TEST(Describe, NewFramerateComesAndGoesWithDownSampling) {
    const json on = describe({"pDownSampling=true"}).at("properties");
    ASSERT_EQ(on.size(), 32u);
    EXPECT_EQ(on[30].at("name"), "pNewFramerate");
    EXPECT_EQ(on[30].at("value"), 2);
    EXPECT_EQ(on[30].at("flags"), 0x1000000);
    EXPECT_EQ(on[31].at("name"), "pDeviceClockTimestamps");
    const json off = describe({"pDownSampling=true", "decoder.pNewFramerate=5", "pDownSampling=false"});
    ASSERT_EQ(off.at("properties").size(), 31u);
    EXPECT_EQ(off["properties"][30].at("name"), "pDeviceClockTimestamps");
}

// A recording with every kind, two-frame samples, a rejected frame and ids
// without a writer, over three seconds.
std::vector<FrameBytes> mixedSamples(std::vector<int64_t> &timestamps) {
    std::vector<FrameBytes> samples;
    for (int k = 1; k <= 300; ++k) {
        const int64_t t = 10000LL * k + (k % 3);
        FrameBytes sample = logFrame(3, records::imu());
        if (k % 10 == 0) sample = concat({sample, logFrame(1, records::status()), logFrame(8, records::ekfNav())});
        if (k % 50 == 0) {
            sample = concat({sample,
                             logFrame(2, records::utc()),
                             logFrame(4, records::mag()),
                             logFrame(5, records::magCalib()),
                             logFrame(6, records::ekfEuler()),
                             logFrame(7, records::ekfQuat()),
                             logFrame(13, records::gpsVel()),
                             logFrame(14, records::gpsPos()),
                             logFrame(15, records::gpsHdt()),
                             logFrame(16, records::gpsVel()),
                             logFrame(17, records::gpsPos()),
                             logFrame(18, records::gpsHdt()),
                             logFrame(19, records::odometer()),
                             logFrame(24, records::event(1000, 0x1E, 1, 2, 3, 4)),
                             logFrame(28, records::event(4294967295u, 0x02, 1, 0, 0, 0)),
                             logFrame(29, records::dvl()),
                             logFrame(30, records::dvl()),
                             logFrame(31, records::raw({9, 8, 7})),
                             logFrame(36, records::airData()),
                             logFrame(37, records::usbl()),
                             logFrame(38, records::raw({1})),
                             logFrame(9, records::shipMotion())});
        }
        if (k == 123) sample[sample.size() - 3] ^= 0xFF;  // CRC broken
        if (k == 124) sample = buildFrame(3, 2, std::vector<uint8_t>(58, 1));
        samples.push_back(sample);
        timestamps.push_back(t);
    }
    return samples;
}

class Decode : public ::testing::Test {
protected:
    void SetUp() override {
        samples_ = mixedSamples(timestamps_);
        recording::ZrecWriter writer;
        ASSERT_TRUE(writer.open(dir_.file("mixed.zrec")));
        for (size_t i = 0; i < samples_.size(); ++i) {
            ASSERT_TRUE(writer.append(timestamps_[i], samples_[i].data(), static_cast<uint32_t>(samples_[i].size())));
        }
        ASSERT_TRUE(writer.close());
    }

    ToolResult decode(const std::vector<std::string> &properties, const std::string &jsonl) {
        std::vector<std::string> arguments = {"decode", dir_.file("mixed.zrec"), "--jsonl", dir_.file(jsonl)};
        for (const std::string &property : properties) {
            arguments.push_back("-p");
            arguments.push_back(property);
        }
        return runTool(arguments);
    }

    // The same samples through the decoder in step mode, Birth at 0 as in a replay.
    std::string direct(const std::vector<std::pair<const char *, int64_t>> &properties) {
        DecoderRun run;
        for (const auto &property : properties) run.set(property.first, property.second);
        run.start(0);
        for (size_t i = 0; i < samples_.size(); ++i) run.decode(timestamps_[i], samples_[i]);
        std::string all;
        for (const std::string &line : run.lines) all += line;
        return all;
    }

    Scratch dir_;
    std::vector<int64_t> timestamps_;
    std::vector<FrameBytes> samples_;
};

TEST_F(Decode, TwiceGivesByteIdenticalLinesEqualToTheDecoderDrivenDirectly) {
    std::vector<std::string> properties = {"pAddOriginalFramerate=true"};
    std::vector<std::pair<const char *, int64_t>> direct = {{"pAddOriginalFramerate", 1}};
    for (const std::string &name : kEnableProperties) {
        properties.push_back(name + "=Enabled");
        direct.emplace_back(name.c_str(), 1);
    }
    const ToolResult first = decode(properties, "first.jsonl");
    const ToolResult second = decode(properties, "second.jsonl");
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(second.status, 0) << second.err;
    const std::string lines = readFile(dir_.file("first.jsonl"));
    EXPECT_GT(lines.size(), 1000u);
    EXPECT_EQ(lines, readFile(dir_.file("second.jsonl")));
    EXPECT_EQ(lines, this->direct(direct));
    EXPECT_EQ(first.err, "error decoder: CRC not correct.\n");
}

TEST_F(Decode, DownSampledReplayMatchesTheDecoderDrivenDirectly) {
    const ToolResult result =
        decode({"pImuData=Enabled", "pEkfNav=Enabled", "pDownSampling=true", "pNewFramerate=5", "pInternalTimestamp=0"},
               "down.jsonl");
    EXPECT_EQ(result.status, 0) << result.err;
    const std::string lines = readFile(dir_.file("down.jsonl"));
    EXPECT_EQ(
        lines,
        direct(
            {{"pImuData", 1}, {"pEkfNav", 1}, {"pDownSampling", 1}, {"pNewFramerate", 5}, {"pInternalTimestamp", 0}}));
    // IMU every 15th of its 10 ms frames, navigation every 2nd of its 100 ms frames.
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 20 + 15);
}

TEST_F(Decode, TruncatedLastRecordDecodesTheRestAndFails) {
    const std::string whole = readFile(dir_.file("mixed.zrec"));
    const std::string path = dir_.file("cut.zrec");
    std::FILE *file = std::fopen(path.c_str(), "wb");
    std::fwrite(whole.data(), 1, whole.size() - 5, file);
    std::fclose(file);
    const ToolResult result = runTool({"decode", path, "-p", "pImuData=Enabled", "-p", "pInternalTimestamp=false"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("offset"), std::string::npos) << result.err;
    // 300 samples with an IMU frame, less the cut last one, the broken 123rd and the class-2 124th.
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 297);
}

TEST_F(Decode, NotARecordingIsRefused) {
    const std::string path = dir_.file("plain.txt");
    std::FILE *file = std::fopen(path.c_str(), "w");
    std::fputs("hello\n", file);
    std::fclose(file);
    const ToolResult result = runTool({"decode", path, "-p", "pImuData=Enabled"});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.out.empty());
}

}  // namespace
}  // namespace zuv::test
