#include "htmlReport.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>

#include <fmt/format.h>

#include "zuvECom.h"
#include "zuvEComIds.h"
#include "zuvEComLogCatalogue.h"
#include "zuvInterfaceMemory.h"

namespace zuv::tool {

namespace {

namespace catalogue = zuv::catalogue;

constexpr double kDeg = 180.0 / 3.14159265358979323846;
constexpr double kEarthRadius = 6378137.0;
constexpr const char *kColors[] = {"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e", "#9467bd", "#8c564b", "#e377c2"};
// A gap storm would bury the plot under its marks; the table has the counts.
constexpr size_t kMaxGapMarks = 300;

std::string logNameOf(uint8_t id) {
    if (id == ZUV_ECOM_LOG_SHIP_MOTION) return "ShipMotion";
    const catalogue::LogKind *kind = catalogue::kindOf(id);
    return kind != nullptr ? catalogue::logName(*kind) : fmt::format("id {}", id);
}

struct Position {
    double t, latitude, longitude;
};

PlotSeries series(const char *name, size_t color) {
    PlotSeries s;
    s.name = name;
    s.color = kColors[color % std::size(kColors)];
    return s;
}

}  // namespace

struct RecordingReport::Data {
    bool started = false;
    int64_t firstUs = 0;
    int64_t lastUs = 0;
    uint64_t frames = 0;
    std::map<uint8_t, std::vector<double>> arrivals;  // seconds, per log id
    std::vector<PlotSeries> accel{series("x", 0), series("y", 1), series("z", 2)};
    std::vector<PlotSeries> gyro{series("x", 0), series("y", 1), series("z", 2)};
    std::vector<PlotSeries> euler{series("roll", 0), series("pitch", 1), series("yaw", 2)};
    std::vector<PlotSeries> quatEuler{series("roll", 0), series("pitch", 1), series("yaw", 2)};
    std::vector<Position> nav, gps1, gps2;
    TimingAnalysis timing;

    double seconds(int64_t us) const { return static_cast<double>(us - firstUs) / 1e6; }

    void onLog(int64_t arrivalUs, uint8_t id, const ZuvBinaryLogData &log) {
        ++frames;
        const double t = seconds(arrivalUs);
        arrivals[id].push_back(t);
        uint32_t ts = 0;
        const bool hasTs = zuvEComBinaryLogTimeStamp(id, &log, &ts) != 0;
        timing.addFrame(arrivalUs, id, hasTs, ts);
        switch (id) {
            case ZUV_ECOM_LOG_IMU_DATA:
                for (size_t i = 0; i < 3; ++i) {
                    accel[i].x.push_back(t);
                    accel[i].y.push_back(log.imuData.accelerometers[i]);
                    gyro[i].x.push_back(t);
                    gyro[i].y.push_back(log.imuData.gyroscopes[i] * kDeg);
                }
                break;
            case ZUV_ECOM_LOG_EKF_EULER:
                for (size_t i = 0; i < 3; ++i) {
                    euler[i].x.push_back(t);
                    euler[i].y.push_back(log.ekfEulerData.euler[i] * kDeg);
                }
                break;
            case ZUV_ECOM_LOG_EKF_QUAT: {
                const double w = log.ekfQuatData.quaternion[0], x = log.ekfQuatData.quaternion[1],
                             y = log.ekfQuatData.quaternion[2], z = log.ekfQuatData.quaternion[3];
                const double angles[3] = {
                    std::atan2(2 * (w * x + y * z), 1 - 2 * (x * x + y * y)),
                    std::asin(std::clamp(2 * (w * y - z * x), -1.0, 1.0)),
                    std::atan2(2 * (w * z + x * y), 1 - 2 * (y * y + z * z)),
                };
                for (size_t i = 0; i < 3; ++i) {
                    quatEuler[i].x.push_back(t);
                    quatEuler[i].y.push_back(angles[i] * kDeg);
                }
                break;
            }
            case ZUV_ECOM_LOG_EKF_NAV: nav.push_back({t, log.ekfNavData.latitude, log.ekfNavData.longitude}); break;
            case ZUV_ECOM_LOG_GPS1_POS: gps1.push_back({t, log.gpsPosData.latitude, log.gpsPosData.longitude}); break;
            case ZUV_ECOM_LOG_GPS2_POS: gps2.push_back({t, log.gpsPosData.latitude, log.gpsPosData.longitude}); break;
            default: break;
        }
    }
};

// The frames of one record at a time, cut and parsed by the library.
struct RecordingReport::Parser {
    explicit Parser(Data &data) : data_(data) {
        zuvInterfaceZeroInit(&link_);
        zuvInterfaceMemoryCreate(&link_);
        zuvEComInit(&ecom_, &link_);
        zuvEComSetReceiveLogCallback(&ecom_, &Parser::onLog, this);
    }
    ~Parser() {
        zuvEComClose(&ecom_);
        zuvInterfaceMemoryDestroy(&link_);
    }
    Parser(const Parser &) = delete;
    Parser &operator=(const Parser &) = delete;

    void add(int64_t arrivalUs, const uint8_t *bytes, uint32_t size) {
        arrivalUs_ = arrivalUs;
        zuvInterfaceMemoryPushChunk(&link_, bytes, size);
        // One chunk per read: one call takes it; a second is only a safeguard.
        for (int call = 0; call < 2 && zuvInterfaceMemoryPending(&link_) > 0; ++call) {
            zuvEComHandle(&ecom_);
        }
    }

    static ZuvErrorCode onLog(ZuvEComHandle *, ZuvEComClass, uint8_t msgId, const ZuvBinaryLogData *log, void *arg) {
        auto &self = *static_cast<Parser *>(arg);
        self.data_.onLog(self.arrivalUs_, msgId, *log);
        return ZUV_NO_ERROR;
    }

    Data &data_;
    ZuvInterface link_{};
    ZuvEComHandle ecom_{};
    int64_t arrivalUs_ = 0;
};

RecordingReport::RecordingReport() : data_(std::make_unique<Data>()), parser_(std::make_unique<Parser>(*data_)) {}

RecordingReport::~RecordingReport() = default;

void RecordingReport::addRecord(int64_t arrivalUs, const uint8_t *bytes, uint32_t size) {
    if (!data_->started) {
        data_->started = true;
        data_->firstUs = arrivalUs;
    }
    data_->lastUs = std::max(data_->lastUs, arrivalUs);
    parser_->add(arrivalUs, bytes, size);
}

namespace {

constexpr const char kStyle[] =
    "body{font-family:sans-serif;margin:24px;color:#222;max-width:1000px}"
    "h1{font-size:22px}h2{font-size:17px;margin:0 0 4px}"
    "figure{margin:24px 0;padding:0}figcaption p{margin:2px 0 6px;color:#555;font-size:13px}"
    "p.missing{padding:16px;background:#f4f4f4;color:#555;font-style:italic}"
    "table{border-collapse:collapse;font-size:13px}td,th{border-bottom:1px solid #ddd;padding:3px 8px;text-align:right}"
    "th:nth-child(2),td:nth-child(2){text-align:left}"
    "svg{display:block}svg .area{fill:#fff;stroke:#999}svg .grid{stroke:#e4e4e4}"
    "svg .tick{font-size:11px;fill:#555}svg .label{font-size:12px;fill:#333}svg .legend{font-size:12px;fill:#333}"
    "svg .marker{stroke:#d62728;stroke-width:1;stroke-opacity:.7}.row{margin:2px 0}.row b{font-size:13px}"
    ".problem{color:#a00}";

void openFigure(std::string &out, const char *id, const std::string &title, const std::string &note) {
    out += fmt::format("<figure id=\"{}\"><figcaption><h2>{}</h2>", id, escapeMarkup(title));
    if (!note.empty()) out += "<p>" + note + "</p>";
    out += "</figcaption>";
}

void missingFigure(std::string &out, const char *id, const std::string &title, const std::string &why) {
    out += fmt::format("<figure id=\"{}\" class=\"missing\"><figcaption><h2>{}</h2></figcaption>", id,
                       escapeMarkup(title));
    out += "<p class=\"missing\">" + escapeMarkup(why) + "</p></figure>";
}

// Metres east and north of the first position of all.
void appendPositions(std::vector<PlotSeries> &out, const std::vector<Position> &positions, const char *name,
                     size_t color, const Position *&origin) {
    PlotSeries s = series(name, color);
    for (const Position &p : positions) {
        // No fix yet: the receiver and the filter send zeros.
        if (!std::isfinite(p.latitude) || !std::isfinite(p.longitude) || (p.latitude == 0.0 && p.longitude == 0.0)) {
            continue;
        }
        if (origin == nullptr) origin = &p;
        const double north = (p.latitude - origin->latitude) / kDeg * kEarthRadius;
        const double east = (p.longitude - origin->longitude) / kDeg * kEarthRadius * std::cos(origin->latitude / kDeg);
        s.x.push_back(east);
        s.y.push_back(north);
    }
    if (!s.x.empty()) out.push_back(std::move(s));
}

}  // namespace

std::string RecordingReport::html(const std::string &file, uint64_t records, const std::string &problem) const {
    const Data &d = *data_;
    const TimingReport timing = d.timing.report();
    const double duration = d.started ? d.seconds(d.lastUs) : 0.0;
    PlotFrame base;
    base.xLabel = "time (s)";
    base.xMin = 0.0;
    base.xMax = duration;

    std::string out;
    out.reserve(1 << 20);
    out += "<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\"><title>zuv report: ";
    out += escapeMarkup(file);
    out += "</title><style>";
    out += kStyle;
    out += "</style></head><body>";
    out += "<h1>Recording " + escapeMarkup(file) + "</h1>";
    out += fmt::format("<p id=\"summary\">{} records, {} log frames, {:.3f} s, {} device clock jumps.</p>", records,
                       d.frames, duration, timing.clockJumpsAt.size());
    if (!problem.empty()) out += "<p class=\"problem\">Read stopped early: " + escapeMarkup(problem) + "</p>";

    out +=
        "<table id=\"logs\"><tr><th>id</th><th>log</th><th>frames</th><th>rate (Hz)</th><th>gaps</th>"
        "<th>missing</th><th>jitter median (&micro;s)</th><th>jitter p99 (&micro;s)</th></tr>";
    for (const KindTiming &k : timing.kinds) {
        if (k.deviceClock) {
            out += fmt::format(
                "<tr><td>{}</td><td>{}</td><td>{}</td><td>{:.3f}</td><td>{}</td><td>{}</td><td>{}</td><td>{}</td></tr>",
                k.id, escapeMarkup(logNameOf(k.id)), k.frames, k.rateHz, k.gaps, k.missingFrames, k.jitterMedianUs,
                k.jitterP99Us);
        } else {
            out += fmt::format("<tr><td>{}</td><td>{}</td><td>{}</td><td colspan=\"5\">no device time stamp</td></tr>",
                               k.id, escapeMarkup(logNameOf(k.id)), k.frames);
        }
    }
    out += "</table>";

    // Trajectory.
    {
        std::vector<PlotSeries> paths;
        const Position *origin = nullptr;
        // The filter's path last, on top of the noisier receivers.
        appendPositions(paths, d.gps1, "Gps1Pos", 1, origin);
        appendPositions(paths, d.gps2, "Gps2Pos", 2, origin);
        appendPositions(paths, d.nav, "EkfNav", 0, origin);
        if (paths.empty()) {
            missingFigure(out, "fig-trajectory", "Trajectory",
                          d.nav.empty() && d.gps1.empty() && d.gps2.empty()
                              ? "No EkfNav, Gps1Pos or Gps2Pos log in this recording."
                              : "No position fix in this recording (every position is zero).");
        } else {
            openFigure(out, "fig-trajectory", "Trajectory",
                       fmt::format("Navigation and GNSS positions, metres east and north of {:.7f}&deg;, {:.7f}&deg;.",
                                   origin->latitude, origin->longitude));
            PlotFrame f;
            f.title = "Trajectory";
            f.xLabel = "east (m)";
            f.yLabel = "north (m)";
            f.height = 560;
            out += pathPlotSvg(f, paths);
            out += "</figure>";
        }
    }

    // Attitude: the Euler log, else the quaternion's angles.
    {
        const bool fromEuler = !d.euler[0].x.empty();
        const std::vector<PlotSeries> &angles = fromEuler ? d.euler : d.quatEuler;
        if (angles[0].x.empty()) {
            missingFigure(out, "fig-attitude", "Attitude", "No EkfEuler or EkfQuat log in this recording.");
        } else {
            openFigure(out, "fig-attitude", "Attitude",
                       fromEuler ? "Roll, pitch and yaw of the EkfEuler log."
                                 : "Roll, pitch and yaw from the EkfQuat log's quaternion.");
            PlotFrame f = base;
            f.title = "Attitude";
            f.yLabel = "angle (deg)";
            out += timePlotSvg(f, angles);
            out += "</figure>";
        }
    }

    // IMU.
    if (d.accel[0].x.empty()) {
        missingFigure(out, "fig-accel", "IMU accelerations", "No ImuData log in this recording.");
        missingFigure(out, "fig-gyro", "IMU angular rates", "No ImuData log in this recording.");
    } else {
        openFigure(out, "fig-accel", "IMU accelerations", "Accelerometers of the ImuData log.");
        PlotFrame f = base;
        f.title = "IMU accelerations";
        f.yLabel = "m/s\xc2\xb2";
        out += timePlotSvg(f, d.accel);
        out += "</figure>";
        openFigure(out, "fig-gyro", "IMU angular rates", "Gyroscopes of the ImuData log.");
        f.title = "IMU angular rates";
        f.yLabel = "deg/s";
        out += timePlotSvg(f, d.gyro);
        out += "</figure>";
    }

    // Arrival rate per log: frames per bin of about 1/300 of the recording.
    if (d.arrivals.empty()) {
        missingFigure(out, "fig-rate", "Arrival rate per log", "No log frame in this recording.");
    } else {
        // About 150 bins, none shorter than a second unless the recording is short.
        const std::vector<double> steps = niceTicks(0.0, std::max(duration, 1e-3), 150);
        double bin = steps.size() > 1 ? steps[1] - steps[0] : 1.0;
        if (duration >= 20.0) {
            bin = std::max(bin, 1.0);
        } else {
            const std::vector<double> coarse = niceTicks(0.0, std::max(duration, 1e-3), 10);
            bin = std::max(bin, coarse.size() > 1 ? coarse[1] - coarse[0] : 0.1);
        }
        openFigure(out, "fig-rate", "Arrival rate per log",
                   fmt::format("Frames per second in bins of {} s on the arrival clock; red lines mark gaps in the "
                               "device time stamps (hover for the frames missing).",
                               bin));
        size_t color = 0;
        for (const auto &[id, times] : d.arrivals) {
            const size_t bins = static_cast<size_t>(std::floor(duration / bin)) + 1;
            std::vector<double> counts(bins, 0.0);
            for (double t : times) counts[std::min(bins - 1, static_cast<size_t>(std::max(t, 0.0) / bin))] += 1.0;
            PlotSeries s = series(logNameOf(id).c_str(), color++);
            for (size_t b = 0; b < bins; ++b) {
                // The last bin is partial: its rate would read low.
                const double width = std::min(bin, duration - static_cast<double>(b) * bin);
                if (b + 1 == bins && bins > 1 && width < bin * 0.999) break;
                s.x.push_back((static_cast<double>(b) + 0.5) * bin);
                s.y.push_back(counts[b] / (width > 0 ? width : bin));
            }
            std::vector<PlotMarker> marks;
            std::string gapNote;
            for (const KindTiming &k : timing.kinds) {
                if (k.id != id) continue;
                for (const GapMark &g : k.gapMarks) {
                    if (marks.size() == kMaxGapMarks) break;
                    marks.push_back({d.seconds(g.arrivalUs),
                                     fmt::format("{}: {} frames missing before t = {:.3f} s ({} us step)",
                                                 logNameOf(id), g.missingFrames, d.seconds(g.arrivalUs), g.stepUs)});
                }
                if (!k.deviceClock) {
                    gapNote = ", no device time stamp: gaps not marked";
                } else {
                    gapNote = fmt::format(", {} gap{}, {} frame{} missing", k.gaps, k.gaps == 1 ? "" : "s",
                                          k.missingFrames, k.missingFrames == 1 ? "" : "s");
                    if (k.gapMarks.size() > marks.size()) gapNote += fmt::format(" (first {} marked)", marks.size());
                }
            }
            out += fmt::format("<div class=\"row\"><b>{}</b> <span>{} frames{}</span>", escapeMarkup(logNameOf(id)),
                               times.size(), gapNote);
            PlotFrame f = base;
            f.title = "Arrival rate of " + logNameOf(id);
            f.yLabel = "Hz";
            f.height = 150;
            // From zero: a steady rate reads as a flat line, not as bin-edge noise.
            f.yMin = 0.0;
            f.yMax = s.y.empty() ? 1.0 : std::max(1.0, *std::max_element(s.y.begin(), s.y.end()) * 1.25);
            out += timePlotSvg(f, {s}, marks);
            out += "</div>";
        }
        out += "</figure>";
    }

    // Jitter of the logs with device time stamps.
    {
        bool any = false;
        for (const KindTiming &k : timing.kinds) any = any || k.deviceClock;
        if (!any) {
            missingFigure(out, "fig-jitter", "Arrival jitter", "No log in this recording carries a device time stamp.");
        } else {
            openFigure(out, "fig-jitter", "Arrival jitter",
                       "Arrival minus the device time stamp mapped onto the host clock, as the decoder's "
                       "pDeviceClockTimestamps maps it; lowest and highest per pixel column.");
            size_t color = 0;
            for (const KindTiming &k : timing.kinds) {
                if (!k.deviceClock) continue;
                const JitterSeries js = d.timing.jitterSeries(k.id);
                PlotSeries s = series(logNameOf(k.id).c_str(), color++);
                s.x.reserve(js.arrivalUs->size());
                s.y.reserve(js.arrivalUs->size());
                for (size_t i = 0; i < js.arrivalUs->size(); ++i) {
                    s.x.push_back(d.seconds((*js.arrivalUs)[i]));
                    s.y.push_back(static_cast<double>((*js.jitterUs)[i]) / 1000.0);
                }
                out += fmt::format(
                    "<div class=\"row\"><b>{}</b> <span>median {} &micro;s, p99 {} &micro;s, drift "
                    "{:.1f} ppm</span>",
                    escapeMarkup(logNameOf(k.id)), k.jitterMedianUs, k.jitterP99Us, k.driftPpm);
                PlotFrame f = base;
                f.title = "Arrival jitter of " + logNameOf(k.id);
                f.yLabel = "ms";
                f.height = 150;
                out += timePlotSvg(f, {s});
                out += "</div>";
            }
            out += "</figure>";
        }
    }
    out += "</body></html>\n";
    return out;
}

}  // namespace zuv::tool
