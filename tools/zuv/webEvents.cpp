#include "webEvents.h"

#include <cmath>

#include "ZuvCommunication.h"
#include "sseFormat.h"
#include "zuvEComLogCatalogue.h"

namespace zuv::tool {

namespace {

struct NamedFlag {
    const char *name;
    bool (*test)(uint32_t);
};

using C = CZuvCommunication;

constexpr NamedFlag kSolutionFlags[] = {
    {"attitude valid", &C::Is_Attitude_Valid},
    {"heading valid", &C::Is_Heading_Valid},
    {"velocity valid", &C::Is_Velocity_Valid},
    {"position valid", &C::Is_Position_Valid},
    {"vertical reference used", &C::Is_VerticalReference_Used},
    {"magnetometer used", &C::Is_Magnetometer_Used},
    {"GNSS1 velocity used", &C::Is_GPS1Velocity_Used},
    {"GNSS1 position used", &C::Is_GPS1Position_Used},
    {"GNSS1 heading used", &C::Is_GPS1HDT_Used},
    {"GNSS2 velocity used", &C::Is_GPS2Velocity_Used},
    {"GNSS2 position used", &C::Is_GPS2Position_Used},
    {"GNSS2 heading used", &C::Is_GPS2HDT_Used},
    {"odometer used", &C::Is_Odometer_Used},
    {"DVL bottom track used", &C::Is_DVL_BT_Used},
    {"DVL water track used", &C::Is_DVL_WT_Used},
    {"user position used", &C::Is_UserPosition_Used},
    {"user velocity used", &C::Is_UserVelocity_Used},
    {"user heading used", &C::Is_UserHeading_Used},
    {"USBL used", &C::Is_USBL_Used},
    {"air data used", &C::Is_AirData_Used},
    {"ZUPT used", &C::Is_ZUPT_Used},
    {"alignment valid", &C::Is_SolutionAlignmentValid},
};

constexpr NamedFlag kGnssFlags[] = {
    {"GPS L1", &C::Is_GPS_L1_Used},     {"GPS L2", &C::Is_GPS_L2_Used},     {"GPS L5", &C::Is_GPS_L5_Used},
    {"GLONASS L1", &C::Is_GLO_L1_Used}, {"GLONASS L2", &C::Is_GLO_L2_Used},
};

constexpr NamedFlag kAidingFlags[] = {
    {"GNSS1 position received", &C::Is_GPS1Pos_Received},
    {"GNSS1 velocity received", &C::Is_GPS1Vel_Received},
    {"GNSS1 heading received", &C::Is_GPS1Hdt_Received},
    {"GNSS1 UTC received", &C::Is_GPS1Utc_Received},
};

template <size_t N>
nlohmann::json flagsJson(const NamedFlag (&flags)[N], uint32_t word) {
    nlohmann::json out = nlohmann::json::array();
    for (const NamedFlag &flag : flags) out.push_back({{"name", flag.name}, {"on", flag.test(word)}});
    return out;
}

constexpr const char *kModeNames[] = {"uninitialized", "vertical gyro", "AHRS", "nav velocity", "nav position"};

uint32_t word(double value) {
    return value >= 0 && value < 4294967296.0 ? static_cast<uint32_t>(value) : 0;
}

// Columns as the catalogue names them.
int column(const char *output, const char *name) {
    for (const catalogue::LogKind &kind : catalogue::kLogKinds) {
        if (std::string(kind.output) != output) continue;
        const catalogue::Layout &layout = catalogue::layoutOf(kind.record);
        for (int i = 0; layout.columns != nullptr && i < layout.elementCount; ++i) {
            if (std::string(layout.columns[i]) == name) return i;
        }
    }
    return -1;
}

bool has(const LiveFeed::Sample &s, int col) {
    return s.sequence != 0 && col >= 0 && col < s.count;
}

double round6(double v) {
    return std::isfinite(v) ? v : 0.0;
}

}  // namespace

nlohmann::json solutionJson(uint32_t status) {
    const uint32_t mode = status & 0xFu;
    return {{"mode", mode},
            {"modeName", mode < std::size(kModeNames) ? kModeNames[mode] : "unknown"},
            {"flags", flagsJson(kSolutionFlags, status)}};
}

nlohmann::json gnssJson(const LiveFeed::Sample &position) {
    static const int statusCol = column("oGps1Pos", "status");
    static const int svCol = column("oGps1Pos", "numSvUsed");
    if (!has(position, statusCol)) return nullptr;
    const uint32_t status = word(position.values[static_cast<size_t>(statusCol)]);
    const uint32_t solution = status & 0x3Fu;
    const uint32_t type = (status >> 6) & 0x3Fu;
    nlohmann::json out = {{"fix", solution == 0 && type != 0},
                          {"solution", solution},
                          {"type", type},
                          {"flags", flagsJson(kGnssFlags, status)}};
    out["satellites"] = has(position, svCol) ? position.values[static_cast<size_t>(svCol)] : 0.0;
    return out;
}

nlohmann::json aidingJson(uint32_t aidingStatus) {
    return flagsJson(kAidingFlags, aidingStatus);
}

nlohmann::json linkCountsJson(const std::array<int64_t, 9> &c) {
    return {{"bytes", c[0]},      {"frames", c[1]},        {"crcDrops", c[2]},
            {"discarded", c[3]},  {"classDrops", c[4]},    {"readErrors", c[5]},
            {"linkLosses", c[6]}, {"reconnections", c[7]}, {"kernelDrops", c[8]}};
}

void RateWindow::update(const std::array<uint64_t, 256> &counts, double now) {
    if (lastTime_ < 0) {
        last_ = counts;
        lastTime_ = now;
        return;
    }
    const double dt = now - lastTime_;
    if (dt < 1.0) return;
    for (size_t i = 0; i < counts.size(); ++i) {
        rates_[i] = static_cast<double>(counts[i] - last_[i]) / dt;
    }
    last_ = counts;
    lastTime_ = now;
    ready_ = true;
}

std::string samplesEvent(const LiveFeed &feed, std::vector<uint64_t> &seen) {
    const std::vector<LiveFeed::Sample> changed = feed.changedSince(seen);
    if (changed.empty()) return {};
    nlohmann::json outputs = nlohmann::json::object();
    for (const LiveFeed::Sample &s : changed) {
        nlohmann::json values = nlohmann::json::array();
        for (int i = 0; i < s.count; ++i) values.push_back(round6(s.values[static_cast<size_t>(i)]));
        outputs[feed.outputs()[s.slot]] = {s.timeSeconds, std::move(values)};
    }
    return sseEvent("samples", nlohmann::json{{"t", feed.nowSeconds()}, {"o", std::move(outputs)}}.dump());
}

nlohmann::json statusJson(const LiveFeed &feed, const RateWindow &rates) {
    nlohmann::json out;
    out["t"] = feed.nowSeconds();
    const double since = feed.secondsSinceLastFrame();
    out["sinceLastFrame"] = since < 0 ? nlohmann::json(nullptr) : nlohmann::json(since);
    out["stale"] = since < 0 || since > kStaleAfterSeconds;
    out["frames"] = feed.frames();
    out["link"] = feed.hasLinkStatistics() ? linkCountsJson(feed.linkStatistics()) : nlohmann::json(nullptr);

    static const int navStatus = column("oEkfNav", "solutionStatus");
    static const int eulerStatus = column("oEkfEuler", "solutionStatus");
    const LiveFeed::Sample nav = feed.latest("oEkfNav");
    const LiveFeed::Sample euler = feed.latest("oEkfEuler");
    if (has(nav, navStatus) && (!has(euler, eulerStatus) || nav.timeSeconds >= euler.timeSeconds)) {
        out["solution"] = solutionJson(word(nav.values[static_cast<size_t>(navStatus)]));
    } else if (has(euler, eulerStatus)) {
        out["solution"] = solutionJson(word(euler.values[static_cast<size_t>(eulerStatus)]));
    } else {
        out["solution"] = nullptr;
    }
    out["gnss"] = gnssJson(feed.latest("oGps1Pos"));
    static const int aidingCol = column("oStatus", "aidingStatus");
    const LiveFeed::Sample status = feed.latest("oStatus");
    out["aiding"] = has(status, aidingCol) ? aidingJson(word(status.values[static_cast<size_t>(aidingCol)]))
                                           : nlohmann::json(nullptr);

    nlohmann::json arrived = nlohmann::json::object();
    if (rates.ready()) {
        for (const catalogue::LogKind &kind : catalogue::kLogKinds) arrived[kind.property] = rates.rate(kind.msgId);
    }
    out["arrived"] = std::move(arrived);
    return out;
}

std::string statusEvent(const nlohmann::json &status) {
    return sseEvent("status", status.dump());
}

}  // namespace zuv::tool
