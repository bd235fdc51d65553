// The decoder's JSON lines for a recording of every log kind, classes 0 and 1,
// compared byte for byte with lines captured once from the decoder before
// its tables were derived from the catalogue. Any change to the tables, the dispatch or the writers that moves
// a single byte of output fails here.
//
// golden/every_kind.zrec: 240 samples 10 ms apart, IMU in each, navigation in
// every second, the other kinds at lower rates, the classes alternating; a
// broken CRC, a class-2 frame, a short payload and an id beyond the table.
// golden/<case>.jsonl and .err: `zuv decode` of it under the case's properties.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "toolRun.h"

namespace zuv::test {
namespace {

struct GoldenCase {
    const char *name;
    std::vector<std::string> properties;  // after every kind is enabled
};

void PrintTo(const GoldenCase &c, std::ostream *os) {
    *os << c.name;
}

class Golden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(Golden, DecodeGivesTheCapturedLinesAndMessages) {
    Scratch dir;
    std::vector<std::string> arguments = {"decode", ZUV_GOLDEN_DIR "/every_kind.zrec", "--jsonl",
                                          dir.file("out.jsonl")};
    for (const std::string &kind : kEveryKind) {
        arguments.push_back("-p");
        arguments.push_back(kind + "=Enabled");
    }
    for (const std::string &property : GetParam().properties) {
        arguments.push_back("-p");
        arguments.push_back(property);
    }
    const ToolResult result = runTool(arguments);
    EXPECT_EQ(result.status, 0) << result.err;
    const std::string stem = std::string(ZUV_GOLDEN_DIR "/") + GetParam().name;
    const std::string expected = readFile(stem + ".jsonl");
    ASSERT_GT(expected.size(), 10000u) << "missing golden file " << stem << ".jsonl";
    const std::string lines = readFile(dir.file("out.jsonl"));
    EXPECT_EQ(lines.size(), expected.size());
    EXPECT_TRUE(lines == expected)
        << "first difference at byte "
        << std::mismatch(lines.begin(), lines.end(), expected.begin(), expected.end()).first - lines.begin();
    EXPECT_EQ(result.err, readFile(stem + ".err"));
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, Golden,
    ::testing::Values(GoldenCase{"twins", {}}, GoldenCase{"no_twins", {"pInternalTimestamp=false"}},
                      GoldenCase{"framerates", {"pAddOriginalFramerate=true"}},
                      GoldenCase{"framerates_quiet_no_twins",
                                 {"pAddOriginalFramerate=true", "pInternalTimestamp=false", "pVerbose=false"}},
                      GoldenCase{"down_sampled",
                                 {"pAddOriginalFramerate=true", "pDownSampling=true", "pNewFramerate=5"}}),
    [](const ::testing::TestParamInfo<GoldenCase> &param) { return param.param.name; });

}  // namespace
}  // namespace zuv::test
