// `zuv export --csv` and `zuv report` as a user runs them. The CSV files must
// hold exactly what `zuv decode` writes as JSON lines for the same recording
// and properties (every value read back bit for bit), and both commands must
// fail as decode fails on bad input and failing writes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "toolRun.h"
#include "zrecWriter.h"
#include "zuvLogFrames.h"

namespace zuv::test {
namespace {

using nlohmann::json;

const std::string kGolden = ZUV_GOLDEN_DIR "/every_kind.zrec";

std::vector<std::string> withProperties(std::vector<std::string> arguments, const std::vector<std::string> &extra) {
    for (const std::string &kind : kEveryKind) {
        arguments.push_back("-p");
        arguments.push_back(kind + "=Enabled");
    }
    for (const std::string &property : extra) {
        arguments.push_back("-p");
        arguments.push_back(property);
    }
    return arguments;
}

std::vector<std::string> split(const std::string &text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

struct Csv {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
};

Csv readCsv(const std::string &path) {
    Csv csv;
    std::vector<std::string> lines = split(readFile(path), '\n');
    EXPECT_TRUE(!lines.empty() && lines.back().empty()) << path << " does not end in a line end";
    if (!lines.empty()) lines.pop_back();
    if (lines.empty()) return csv;
    csv.header = split(lines[0], ',');
    for (size_t i = 1; i < lines.size(); ++i) csv.rows.push_back(split(lines[i], ','));
    return csv;
}

// The JSON lines of each output, in order.
std::map<std::string, std::vector<json>> linesByOutput(const std::string &path) {
    std::map<std::string, std::vector<json>> out;
    for (const std::string &line : split(readFile(path), '\n')) {
        if (line.empty()) continue;
        json j = json::parse(line);
        const std::string pin = j.at("pin");
        out[pin.substr(pin.find('.') + 1)].push_back(std::move(j));
    }
    return out;
}

std::vector<std::string> filesIn(const std::string &dir) {
    std::vector<std::string> names;
    FILE *ls = popen(("ls -1 '" + dir + "'").c_str(), "r");
    char line[512];
    while (ls != nullptr && std::fgets(line, sizeof line, ls) != nullptr) {
        std::string name(line);
        if (!name.empty() && name.back() == '\n') name.pop_back();
        names.push_back(name);
    }
    if (ls != nullptr) pclose(ls);
    return names;
}

// A cell must read back to exactly the JSON value.
void expectSameValue(const json &value, const std::string &type, const std::string &cell, const std::string &where) {
    if (type == "Float64" || type == "Float32") {
        char *end = nullptr;
        const double read = std::strtod(cell.c_str(), &end);
        ASSERT_TRUE(!cell.empty() && *end == '\0') << where << ": not a number: \"" << cell << "\"";
        if (value.is_null()) {
            EXPECT_FALSE(std::isfinite(read)) << where;
        } else {
            const double expected = value.get<double>();
            EXPECT_EQ(std::memcmp(&read, &expected, sizeof read), 0) << where << ": " << cell << " vs " << value;
        }
    } else {
        char *end = nullptr;
        const long long read = std::strtoll(cell.c_str(), &end, 10);
        ASSERT_TRUE(!cell.empty() && *end == '\0') << where << ": not an integer: \"" << cell << "\"";
        EXPECT_EQ(read, value.get<long long>()) << where;
    }
}

std::string hexOf(const json &bytes) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (const json &b : bytes) {
        const int v = b.get<int>();
        out.push_back(kHex[v >> 4]);
        out.push_back(kHex[v & 15]);
    }
    return out;
}

struct RoundTripCase {
    const char *name;
    std::vector<std::string> properties;  // after every kind is enabled
    bool framerateColumn;
};

void PrintTo(const RoundTripCase &c, std::ostream *os) {
    *os << c.name;
}

class CsvRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(CsvRoundTrip, EveryValueIsTheDecodedLinesValue) {
    Scratch dir;
    const ToolResult decoded =
        runTool(withProperties({"decode", kGolden, "--jsonl", dir.file("lines.jsonl")}, GetParam().properties));
    ASSERT_EQ(decoded.status, 0) << decoded.err;
    const ToolResult exported =
        runTool(withProperties({"export", kGolden, "--csv", dir.file("csv")}, GetParam().properties));
    ASSERT_EQ(exported.status, 0) << exported.err;
    // The decoder's own reports are the same; the command adds nothing.
    EXPECT_EQ(exported.err, decoded.err);

    const auto lines = linesByOutput(dir.file("lines.jsonl"));
    ASSERT_GT(lines.size(), 20u);
    std::vector<std::string> expectedFiles;
    for (const auto &[output, _] : lines) expectedFiles.push_back(output + ".csv");
    EXPECT_EQ(filesIn(dir.file("csv")), expectedFiles) << "one file per output that received samples";

    for (const auto &[output, samples] : lines) {
        const Csv csv = readCsv(dir.file("csv/" + output + ".csv"));
        ASSERT_FALSE(csv.header.empty()) << output;
        EXPECT_EQ(csv.header[0], "t") << output;
        const bool framerateLast = csv.header.back() == "framerate";
        const bool twin = output.find("InternalTimestamp") != std::string::npos;
        if (!twin && samples[0].at("type") != "Stream8") {
            EXPECT_EQ(framerateLast, GetParam().framerateColumn) << output;
        }
        ASSERT_EQ(csv.rows.size(), samples.size()) << output;
        for (size_t r = 0; r < samples.size(); ++r) {
            const json &line = samples[r];
            const std::vector<std::string> &row = csv.rows[r];
            const std::string where = output + " row " + std::to_string(r + 1);
            ASSERT_EQ(row.size(), csv.header.size()) << where;
            EXPECT_EQ(row[0], std::to_string(line.at("t").get<long long>())) << where;
            const std::string type = line.at("type");
            const json &data = line.at("data");
            if (type == "Stream8") {
                EXPECT_EQ(row[1], hexOf(data)) << where;
                continue;
            }
            ASSERT_LE(data.size() + 1, row.size()) << where;
            for (size_t i = 0; i < data.size(); ++i) {
                expectSameValue(data[i], type, row[i + 1], where + " " + csv.header[i + 1]);
            }
            for (size_t i = data.size() + 1; i < row.size(); ++i) EXPECT_EQ(row[i], "") << where << " cell " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Properties, CsvRoundTrip,
    ::testing::Values(
        RoundTripCase{"Defaults", {}, false}, RoundTripCase{"Framerates", {"pAddOriginalFramerate=true"}, true},
        RoundTripCase{"NoTwins", {"pInternalTimestamp=false"}, false},
        RoundTripCase{"DeviceClock", {"pDeviceClockTimestamps=true"}, false},
        RoundTripCase{"DownSampled", {"pAddOriginalFramerate=true", "pDownSampling=true", "pNewFramerate=20"}, true}),
    [](const auto &param) { return std::string(param.param.name); });

TEST(CsvExport, HeadersNameTheCatalogueColumns) {
    Scratch dir;
    const ToolResult result =
        runTool(withProperties({"export", kGolden, "--csv", dir.file("csv")}, {"pAddOriginalFramerate=true"}));
    ASSERT_EQ(result.status, 0) << result.err;
    const std::map<std::string, std::string> expected = {
        {"oImu",
         "t,accelX,accelY,accelZ,gyroX,gyroY,gyroZ,deltaVelX,deltaVelY,deltaVelZ,deltaAngleX,deltaAngleY,"
         "deltaAngleZ,temperature,status,framerate"},
        {"oImuInternalTimestamp", "t,internalTimestamp"},
        {"oEkfNav",
         "t,velocityN,velocityE,velocityD,velocityNStdDev,velocityEStdDev,velocityDStdDev,latitude,"
         "longitude,altitude,undulation,latitudeStdDev,longitudeStdDev,altitudeStdDev,solutionStatus,"
         "framerate"},
        {"oEventMarkerA", "t,timeStamp,time0,time1,time2,time3,framerate"},
        {"oGps1Raw", "t,bytes"},
        {"oStatus", "t,timeStamp,generalStatus,comStatus,aidingStatus,clockStatus,reserved2,reserved3,framerate"},
    };
    for (const auto &[output, header] : expected) {
        const std::string text = readFile(dir.file("csv/" + output + ".csv"));
        EXPECT_EQ(text.substr(0, text.find('\n')), header) << output;
    }
    const ToolResult plain = runTool(withProperties({"export", kGolden, "--csv", dir.file("plain")}, {}));
    ASSERT_EQ(plain.status, 0) << plain.err;
    const std::string text = readFile(dir.file("plain/oGps1Pos.csv"));
    EXPECT_EQ(text.substr(0, text.find('\n')),
              "t,latitude,longitude,altitude,latitudeAccuracy,longitudeAccuracy,altitudeAccuracy,undulation,status,"
              "timeOfWeek,numSvUsed,baseStationId,differentialAge");
}

// Bad input files: export and report fail as decode does.
enum class BadFile { Missing, NotARecording, Truncated };

struct BadFileCase {
    const char *name;
    BadFile kind;
};

void PrintTo(const BadFileCase &c, std::ostream *os) {
    *os << c.name;
}

class BadRecording : public ::testing::TestWithParam<BadFileCase> {};

TEST_P(BadRecording, ExportAndReportFailAsDecodeDoes) {
    Scratch dir;
    const std::string path = dir.file("bad.zrec");
    if (GetParam().kind == BadFile::NotARecording) {
        std::ofstream(path) << "t,accelX\n1,2\n";
    } else if (GetParam().kind == BadFile::Truncated) {
        const std::string whole = readFile(kGolden);
        std::ofstream(path, std::ios::binary) << whole.substr(0, whole.size() - 7);
    }
    const ToolResult decoded = runTool({"decode", path, "-p", "pImuData=Enabled", "--jsonl", dir.file("out.jsonl")});
    const ToolResult exported = runTool({"export", path, "-p", "pImuData=Enabled", "--csv", dir.file("csv")});
    EXPECT_EQ(decoded.status, 1);
    EXPECT_EQ(exported.status, decoded.status);
    EXPECT_EQ(exported.err, decoded.err);
    EXPECT_NE(decoded.err.find("bad.zrec"), std::string::npos) << decoded.err;

    const ToolResult reported = runTool({"report", path, "-o", dir.file("page.html")});
    EXPECT_EQ(reported.status, 1);
    // The reader's message, as decode prints it (decode may add the decoder's own lines).
    const std::string message = decoded.err.substr(decoded.err.rfind("zuv: "));
    EXPECT_NE(reported.err.find(message), std::string::npos) << reported.err << " vs " << message;
    // A truncated file still gets its page, of the records before the damage.
    EXPECT_EQ(access(dir.file("page.html").c_str(), F_OK) == 0, GetParam().kind == BadFile::Truncated);
}

INSTANTIATE_TEST_SUITE_P(Files, BadRecording,
                         ::testing::Values(BadFileCase{"Missing", BadFile::Missing},
                                           BadFileCase{"NotARecording", BadFile::NotARecording},
                                           BadFileCase{"Truncated", BadFile::Truncated}),
                         [](const auto &param) { return std::string(param.param.name); });

TEST(CsvExport, FolderThatCannotBeMadeFailsBeforeTheReplay) {
    Scratch dir;
    std::ofstream(dir.file("plain-file")) << "x";
    const ToolResult result =
        runTool({"export", kGolden, "-p", "pImuData=Enabled", "--csv", dir.file("plain-file/csv")});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("zuv: " + dir.file("plain-file/csv") + ": cannot create the folder"), std::string::npos)
        << result.err;
}

TEST(CsvExport, FailingWriteEndsTheRunWithTheFileAndReason) {
    Scratch dir;
    ASSERT_EQ(mkdir(dir.file("csv").c_str(), 0755), 0);
    ASSERT_EQ(symlink("/dev/full", dir.file("csv/oImu.csv").c_str()), 0);
    const ToolResult result = runTool({"export", kGolden, "-p", "pImuData=Enabled", "--csv", dir.file("csv")});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("zuv: " + dir.file("csv/oImu.csv") + ": cannot write: " + std::strerror(ENOSPC)),
              std::string::npos)
        << result.err;
    EXPECT_EQ(result.err.find("interrupted"), std::string::npos) << "a failing output is not an interrupted replay";
}

TEST(CsvExport, OutputsWithoutSamplesGetNoFile) {
    Scratch dir;
    // IMU frames only: the navigation output exists but receives nothing.
    recording::ZrecWriter writer;
    ASSERT_TRUE(writer.open(dir.file("imu.zrec")));
    const FrameBytes frame = logFrame(ZUV_ECOM_LOG_IMU_DATA, records::imu());
    for (int i = 1; i <= 5; ++i)
        ASSERT_TRUE(writer.append(1000 * i, frame.data(), static_cast<uint32_t>(frame.size())));
    ASSERT_TRUE(writer.close());
    const ToolResult result = runTool(
        {"export", dir.file("imu.zrec"), "-p", "pImuData=Enabled", "-p", "pEkfNav=Enabled", "--csv", dir.file("csv")});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(filesIn(dir.file("csv")), (std::vector<std::string>{"oImu.csv", "oImuInternalTimestamp.csv"}));
    EXPECT_EQ(readCsv(dir.file("csv/oImu.csv")).rows.size(), 5u);
}

// The page: every figure, nothing fetched, no script.
std::string figure(const std::string &page, const std::string &id) {
    const size_t start = page.find("<figure id=\"" + id + "\"");
    if (start == std::string::npos) return "";
    return page.substr(start, page.find("</figure>", start) - start);
}

TEST(Report, EveryFigureOfARecordingOfEveryKind) {
    Scratch dir;
    const ToolResult result = runTool({"report", kGolden, "-o", dir.file("page.html")});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string page = readFile(dir.file("page.html"));
    for (const char *id : {"fig-trajectory", "fig-attitude", "fig-accel", "fig-gyro", "fig-rate", "fig-jitter"}) {
        const std::string f = figure(page, id);
        EXPECT_NE(f.find("<svg"), std::string::npos) << id;
        EXPECT_EQ(f.find("class=\"missing\""), std::string::npos) << id;
    }
    EXPECT_EQ(page.find("<script"), std::string::npos);
    for (const char *fetch : {"src=", "href=", "url(", "@import"})
        EXPECT_EQ(page.find(fetch), std::string::npos) << fetch;
    // One arrival-rate row per log kind in the file, with the table's count.
    EXPECT_NE(figure(page, "fig-rate").find("<b>ImuData</b> <span>240 frames"), std::string::npos);
}

TEST(Report, FiguresOfLogsNotInTheRecordingSaySo) {
    Scratch dir;
    recording::ZrecWriter writer;
    ASSERT_TRUE(writer.open(dir.file("imu.zrec")));
    const FrameBytes frame = logFrame(ZUV_ECOM_LOG_IMU_DATA, records::imu());
    for (int i = 1; i <= 50; ++i)
        ASSERT_TRUE(writer.append(5000 * i, frame.data(), static_cast<uint32_t>(frame.size())));
    ASSERT_TRUE(writer.close());
    // Default page: beside the recording.
    const ToolResult result = runTool({"report", dir.file("imu.zrec")});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string page = readFile(dir.file("imu.html"));
    ASSERT_FALSE(page.empty());
    EXPECT_NE(figure(page, "fig-trajectory").find("No EkfNav, Gps1Pos or Gps2Pos log in this recording."),
              std::string::npos);
    EXPECT_NE(figure(page, "fig-attitude").find("No EkfEuler or EkfQuat log in this recording."), std::string::npos);
    for (const char *id : {"fig-trajectory", "fig-attitude"})
        EXPECT_EQ(figure(page, id).find("<svg"), std::string::npos);
    for (const char *id : {"fig-accel", "fig-gyro", "fig-rate", "fig-jitter"}) {
        EXPECT_NE(figure(page, id).find("<svg"), std::string::npos) << id;
    }
}

TEST(Report, PageThatCannotBeWrittenIsARunFailure) {
    Scratch dir;
    const ToolResult full = runTool({"report", kGolden, "-o", "/dev/full"});
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("zuv: /dev/full: cannot write: " + std::string(std::strerror(ENOSPC))), std::string::npos)
        << full.err;
    const ToolResult missing = runTool({"report", kGolden, "-o", dir.file("no/such/page.html")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find(dir.file("no/such/page.html") + ": cannot create"), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace zuv::test
