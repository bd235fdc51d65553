// The page `zuv report` writes: one self-contained HTML file (inline SVG, no
// script, nothing fetched) with the plots looked at first in a recording:
// trajectory, attitude, IMU accelerations and rates, the arrival rate of each
// log over time with its gaps, and the arrival jitter of the logs that carry
// device time stamps. A figure whose logs are not in the recording says so.
// Frames are cut and parsed by the zuvECom library (as `zuv timing` does);
// time is the recorded arrival time, in seconds from the first record.
// Errors: none of its own; every record gives a page. Threading: one thread.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "svgPlot.h"
#include "timingAnalysis.h"

namespace zuv::tool {

// The figures of the page, by their element id.
inline const std::vector<std::string> kReportFigureIds = {"fig-trajectory", "fig-attitude", "fig-accel",
                                                          "fig-gyro",       "fig-rate",     "fig-jitter"};

class RecordingReport {
public:
    RecordingReport();
    ~RecordingReport();
    RecordingReport(const RecordingReport &) = delete;
    RecordingReport &operator=(const RecordingReport &) = delete;

    void addRecord(int64_t arrivalUs, const uint8_t *bytes, uint32_t size);
    // records: in the file; problem: why reading stopped early, empty if it did not.
    std::string html(const std::string &file, uint64_t records, const std::string &problem) const;

    struct Parser;
    struct Data;

private:
    std::unique_ptr<Data> data_;
    std::unique_ptr<Parser> parser_;
};

}  // namespace zuv::tool
