// Report lines and report files of the helper base, and pin names.
#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "maps_advanced.h"

namespace zuv::test {
namespace {

class Probe : public MAPSAdvancedComponent {
public:
    Probe(const char *name, MAPSComponentDefinition &definition) : MAPSAdvancedComponent(name, definition) {}
    void Core() override {}
    void Birth() override {}
    void Death() override {}
    void SetFiles(const char *first, const char *second) {
        firstReportFile = first;
        secondReportFile = second;
    }
};

MAPSComponentDefinition probeDefinition = {
    "Probe", "1.0", nullptr, 128, MAPS::Threaded, MAPS_NO_TABLE, MAPS_NO_TABLE, MAPS_NO_TABLE, MAPS_NO_TABLE,
    -1,      -1,    -1,      -1};

std::vector<std::string> Lines(const std::string &path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> Entries(const std::string &directory) {
    std::vector<std::string> names;
    if (DIR *dir = opendir(directory.c_str())) {
        while (dirent *entry = readdir(dir))
            if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..") names.push_back(entry->d_name);
        closedir(dir);
    }
    return names;
}

class ReportFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zuv_report_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        for (auto &name : Entries(dir)) unlink((dir + "/" + name).c_str());
        rmdir(dir.c_str());
    }
    std::string dir;
};

}  // namespace

struct DatedLine {
    const char *name;
    int year, month, day, hour, minute;
    const char *message;
    const char *line;
};

void PrintTo(const DatedLine &c, std::ostream *os) {
    *os << c.name;
}

class ReportLine : public ::testing::TestWithParam<DatedLine> {};

TEST_P(ReportLine, DateAndTimeWithoutPadding) {
    const DatedLine &c = GetParam();
    std::tm when{};
    when.tm_year = c.year - 1900;
    when.tm_mon = c.month - 1;
    when.tm_mday = c.day;
    when.tm_hour = c.hour;
    when.tm_min = c.minute;
    EXPECT_STREQ(MAPSAdvancedComponent::TimestampedLine(when, c.message).c_str(), c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, ReportLine,
    ::testing::Values(DatedLine{"SingleDigits", 2026, 3, 7, 9, 5, "msg", "[2026-3-7 @ 9:5]Error: msg"},
                      DatedLine{"NoMessage", 1999, 12, 31, 23, 59, nullptr, "[1999-12-31 @ 23:59]Error: "}),
    [](const ::testing::TestParamInfo<DatedLine> &p) { return std::string(p.param.name); });

TEST_F(ReportFiles, LinesAreAppendedWithTheLocalTime) {
    const std::string path = dir + "/report.txt";
    MAPSAdvancedComponent::WriteTimestampedMessageInFile(path.c_str(), "first");
    MAPSAdvancedComponent::WriteTimestampedMessageInFile(path.c_str(), "second one");
    auto lines = Lines(path);
    ASSERT_EQ(lines.size(), 2u);
    int year = 0, month = 0, day = 0, hour = -1, minute = -1, end = 0;
    ASSERT_EQ(std::sscanf(lines[0].c_str(), "[%d-%d-%d @ %d:%d]Error: %n", &year, &month, &day, &hour, &minute, &end),
              5)
        << lines[0];
    EXPECT_EQ(lines[0].substr(static_cast<size_t>(end)), "first");
    // No padding: the rendering of the numbers read back is the line itself.
    EXPECT_EQ(lines[0], "[" + std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day) + " @ " +
                            std::to_string(hour) + ":" + std::to_string(minute) + "]Error: first");
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    EXPECT_EQ(year, local.tm_year + 1900);
    EXPECT_TRUE(month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour <= 23 && minute <= 59);
    EXPECT_EQ(lines[1].substr(lines[1].find(']')), "]Error: second one");
}

TEST_F(ReportFiles, UnwritablePathLosesTheLineQuietly) {
    MAPSAdvancedComponent::WriteTimestampedMessageInFile((dir + "/missing/sub/report.txt").c_str(), "lost");
    MAPSAdvancedComponent::WriteTimestampedMessageInFile(nullptr, "lost");
    MAPSAdvancedComponent::WriteTimestampedMessageInFile("", "lost");
    EXPECT_TRUE(Entries(dir).empty());
}

TEST_F(ReportFiles, ReportInFileWritesEachConfiguredFile) {
    Probe probe("probe", probeDefinition);
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);  // a relative stray file would land here
    probe.ReportInFile("nothing configured");
    EXPECT_TRUE(Entries(dir).empty());

    const std::string first = dir + "/first.txt", second = dir + "/second.txt";
    probe.SetFiles(first.c_str(), "");
    probe.ReportInFile("one");
    probe.SetFiles(first.c_str(), second.c_str());
    probe.ReportInFile("two");
    probe.SetFiles("", second.c_str());
    probe.ReportInFile("three");
    ASSERT_EQ(chdir(cwd), 0);

    auto firstLines = Lines(first), secondLines = Lines(second);
    ASSERT_EQ(firstLines.size(), 2u);
    ASSERT_EQ(secondLines.size(), 2u);
    EXPECT_NE(firstLines[0].find("]Error: one"), std::string::npos);
    EXPECT_NE(firstLines[1].find("]Error: two"), std::string::npos);
    EXPECT_NE(secondLines[0].find("]Error: two"), std::string::npos);
    EXPECT_NE(secondLines[1].find("]Error: three"), std::string::npos);
}

TEST(PinNames, PatternFollowedByTheIndex) {
    Probe probe("probe", probeDefinition);
    EXPECT_STREQ(probe.GetName("oSeries", 0).c_str(), "oSeries0");
    EXPECT_STREQ(probe.GetName("oSeries", 12).c_str(), "oSeries12");
    EXPECT_STREQ(probe.GetName(nullptr, 3).c_str(), "3");
    EXPECT_NE(probe.GetName("p", 1), probe.GetName("p", 11));
}

}  // namespace zuv::test
