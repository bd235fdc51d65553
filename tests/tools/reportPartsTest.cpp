// The parts of `zuv export` and `zuv report` that the CLI tests cannot pin
// down: CSV rows byte for byte, no allocation per sample once an output's
// file is open, plots that stay small however long the series, and gap marks
// at the frame after the gap.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "csvExport.h"
#include "svgPlot.h"
#include "timingAnalysis.h"
#include "zuvAllocationCounter.h"

namespace zuv::test {
namespace {

using namespace zuv::tool;

host::SampleView view(host::ElementType type, const void *data, int count, int64_t t, size_t elementSize) {
    static const std::string instance = "decoder";
    static const std::string output = "out";
    return {&instance, &output, t, type, count, 0, data, static_cast<size_t>(count) * elementSize};
}

TEST(CsvRow, DoublesReadBackExactlyAndShortCellsArePadded) {
    const double values[] = {0.1,
                             -0.0,
                             1e-300,
                             5e-324,
                             1.7976931348623157e308,
                             0.009999999776482582,
                             std::numeric_limits<double>::quiet_NaN(),
                             -std::numeric_limits<double>::infinity()};
    std::string row;
    appendCsvRow(row, view(host::ElementType::Float64, values, 8, -42, 8), 10);
    EXPECT_EQ(row, "-42,0.1,-0,1e-300,5e-324,1.7976931348623157e+308,0.009999999776482582,nan,-inf,,\n");
}

TEST(CsvRow, IntegersAndBytes) {
    const int64_t ints[] = {std::numeric_limits<int64_t>::min(), 0, 4294967295};
    std::string row;
    appendCsvRow(row, view(host::ElementType::Integer64, ints, 3, 7, 8), 3);
    EXPECT_EQ(row, "7,-9223372036854775808,0,4294967295\n");
    // Commas, quotes and line ends stay inside one hex cell.
    const uint8_t bytes[] = {',', '"', '\n', 0x00, 0xFF};
    row.clear();
    appendCsvRow(row, view(host::ElementType::Stream8, bytes, 5, 8, 1), 1);
    EXPECT_EQ(row, "8,2c220a00ff\n");
    row.clear();
    appendCsvRow(row, view(host::ElementType::Stream8, bytes, 0, 9, 1), 1);
    EXPECT_EQ(row, "9,\n");
}

TEST(CsvColumns, FromTheCatalogue) {
    EXPECT_EQ(csvColumnsOf("oOdoVel", false), (std::vector<std::string>{"velocity", "status"}));
    EXPECT_EQ(csvColumnsOf("oOdoVel", true), (std::vector<std::string>{"velocity", "status", "framerate"}));
    EXPECT_EQ(csvColumnsOf("oOdoVelInternalTimestamp", true), (std::vector<std::string>{"internalTimestamp"}));
    EXPECT_EQ(csvColumnsOf("oGps2Raw", true), (std::vector<std::string>{"bytes"}));
    EXPECT_TRUE(csvColumnsOf("oNoSuchOutput", false).empty());
}

TEST(CsvExportSink, WritesWithoutAllocatingOnceAnOutputIsOpen) {
    char dir[] = "/tmp/zuv_csv_sink_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    {
        CsvExportSink sink(dir);
        sink.setFramerateColumn(true);
        host::SampleCallback imu = sink.callbackFor({"oImu", host::ElementType::Float64, 15, 16});
        host::SampleCallback twin = sink.callbackFor({"oImuInternalTimestamp", host::ElementType::Integer64, 1, 16});
        double values[15];
        for (int i = 0; i < 15; ++i) values[i] = 1.0 / (i + 3);
        int64_t stamp = 123456789;
        // The first samples open the files and make their buffers; flushes come inside the window too.
        int64_t t = 0;
        for (; t < 2000; ++t) {
            imu(view(host::ElementType::Float64, values, 15, t, 8));
            twin(view(host::ElementType::Integer64, &stamp, 1, t, 8));
        }
        long allocations = 0;
        {
            test::AllocationWindow window;
            for (; t < 22000; ++t) {
                values[0] = static_cast<double>(t) * 0.001;
                imu(view(host::ElementType::Float64, values, 15, t, 8));
                twin(view(host::ElementType::Integer64, &stamp, 1, t, 8));
            }
            allocations = window.count();
        }
        EXPECT_EQ(allocations, 0);
        ASSERT_TRUE(sink.close()) << sink.error();
        EXPECT_EQ(sink.rows(), 44000u);
        EXPECT_EQ(sink.files(), (std::vector<std::string>{std::string(dir) + "/oImu.csv",
                                                          std::string(dir) + "/oImuInternalTimestamp.csv"}));
    }
    std::FILE *f = std::fopen((std::string(dir) + "/oImuInternalTimestamp.csv").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    char line[64] = {};
    ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
    EXPECT_STREQ(line, "t,internalTimestamp\n");
    ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
    EXPECT_STREQ(line, "0,123456789\n");
    std::fclose(f);
    std::system((std::string("rm -rf '") + dir + "'").c_str());
}

size_t countOf(const std::string &text, const std::string &what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

std::vector<std::string> polylinePoints(const std::string &svg) {
    std::vector<std::string> points;
    const std::string key = "points=\"";
    for (size_t at = svg.find(key); at != std::string::npos; at = svg.find(key, at + 1)) {
        const size_t start = at + key.size();
        const std::string list = svg.substr(start, svg.find('"', start) - start);
        for (size_t p = 0; p < list.size();) {
            const size_t end = list.find(' ', p);
            points.push_back(list.substr(p, end - p));
            p = end == std::string::npos ? list.size() : end + 1;
        }
    }
    return points;
}

TEST(TimePlot, AMillionSamplesGiveAtMostFourPointsPerColumnAndKeepTheSpike) {
    PlotSeries s{"imu", "#000", {}, {}};
    for (int i = 0; i < 1000000; ++i) {
        s.x.push_back(i * 0.0006);
        s.y.push_back(std::sin(i * 0.001));
    }
    s.y[500000] = 50.0;  // one sample of a million
    PlotFrame frame;
    frame.width = 600;
    frame.height = 200;
    const std::string svg = timePlotSvg(frame, {s});
    const std::vector<std::string> points = polylinePoints(svg);
    EXPECT_LE(points.size(), 4u * 600u);
    EXPECT_GE(points.size(), 2u * 500u);
    EXPECT_LT(svg.size(), 64u * 1024u);
    // The top of the y range is the spike's, with 5 % margin: its point sits near the top edge.
    double top = 1e9;
    for (const std::string &p : points) top = std::min(top, std::strtod(p.c_str() + p.find(',') + 1, nullptr));
    EXPECT_LT(top, 26.0 + 0.05 * 134 + 1.0);
}

TEST(TimePlot, MarkersAndNamesAreEscaped) {
    PlotSeries s{"a<b & \"c\"", "#000", {0, 1, 2}, {1, 2, 3}};
    PlotFrame frame;
    frame.title = "<t>";
    const std::string svg = timePlotSvg(frame, {s}, {{1.0, "gap <here>"}, {99.0, "outside the range"}});
    EXPECT_NE(svg.find("a&lt;b &amp; &quot;c&quot;"), std::string::npos);
    EXPECT_NE(svg.find("<title>&lt;t&gt;</title>"), std::string::npos);
    EXPECT_EQ(countOf(svg, "class=\"marker\""), 1u);
    EXPECT_NE(svg.find("gap &lt;here&gt;"), std::string::npos);
}

TEST(PathPlot, KeepsOnePointPerPixelEnteredAndSkipsNonFinite) {
    PlotSeries s{"nav", "#000", {}, {}};
    for (int i = 0; i < 200000; ++i) {
        const double a = i * 1e-4;
        s.x.push_back(50 * std::cos(a));
        s.y.push_back(50 * std::sin(a));
    }
    s.x[10] = std::numeric_limits<double>::quiet_NaN();
    PlotFrame frame;
    frame.width = 500;
    frame.height = 500;
    const std::string svg = pathPlotSvg(frame, {s});
    const size_t points = polylinePoints(svg).size();
    // Three times round a circle of about 400 pixels across: well under 5000 pixels of path.
    EXPECT_LT(points, 5000u);
    EXPECT_GT(points, 1000u);
    EXPECT_EQ(svg.find("nan"), std::string::npos);
}

struct TickCase {
    double lo, hi;
    int count;
    std::vector<double> ticks;
};

void PrintTo(const TickCase &c, std::ostream *os) {
    *os << c.lo << ".." << c.hi << "," << c.count;
}

class NiceTicks : public ::testing::TestWithParam<TickCase> {};

TEST_P(NiceTicks, AreRoundSteps) {
    const TickCase c = GetParam();
    const std::vector<double> ticks = niceTicks(c.lo, c.hi, c.count);
    ASSERT_EQ(ticks.size(), c.ticks.size());
    for (size_t i = 0; i < ticks.size(); ++i) EXPECT_NEAR(ticks[i], c.ticks[i], 1e-9) << i;
}

INSTANTIATE_TEST_SUITE_P(Ranges, NiceTicks,
                         ::testing::Values(TickCase{0, 600, 6, {0, 100, 200, 300, 400, 500, 600}},
                                           TickCase{-0.13, 0.27, 4, {-0.1, 0, 0.1, 0.2}},
                                           TickCase{9.5, 10.5, 2, {9.5, 10, 10.5}}, TickCase{1, 1, 5, {}},
                                           TickCase{0, std::numeric_limits<double>::infinity(), 5, {}}));

TEST(GapMarks, SitAtTheFrameAfterTheGap) {
    TimingAnalysis analysis;
    for (int i = 0; i < 400; ++i) {
        if (i == 100 || i == 101 || i == 300) continue;
        analysis.addFrame(1000000 + i * 5000 + 700, 3, true, static_cast<uint32_t>(i * 5000));
    }
    const TimingReport report = analysis.report();
    ASSERT_EQ(report.kinds.size(), 1u);
    const std::vector<GapMark> &marks = report.kinds[0].gapMarks;
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].arrivalUs, 1000000 + 102 * 5000 + 700);
    EXPECT_EQ(marks[0].missingFrames, 2u);
    EXPECT_EQ(marks[0].stepUs, 15000);
    EXPECT_EQ(marks[1].arrivalUs, 1000000 + 301 * 5000 + 700);
    EXPECT_EQ(marks[1].missingFrames, 1u);
    const JitterSeries series = analysis.jitterSeries(3);
    ASSERT_NE(series.arrivalUs, nullptr);
    EXPECT_EQ(series.arrivalUs->size(), 397u);
    EXPECT_EQ(series.jitterUs->size(), 397u);
    EXPECT_EQ(analysis.jitterSeries(4).arrivalUs, nullptr);
}

}  // namespace
}  // namespace zuv::test
