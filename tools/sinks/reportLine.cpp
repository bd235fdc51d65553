#include "reportLine.h"

namespace zuv::sinks {

const char *reportLevelName(int level) {
    if (level <= 0) return "info";
    if (level == 1) return "warning";
    return "error";
}

void appendReportLine(std::string &out, std::string_view instance, int level, std::string_view text) {
    out.append(reportLevelName(level));
    out.push_back(' ');
    out.append(instance);
    out.append(": ");
    for (char c : text) {
        if (c == '\n') {
            out.append("\\n");
        } else {
            out.push_back(c);
        }
    }
    out.push_back('\n');
}

void ReportPrinter::print(std::string_view instance, int level, std::string_view text) {
    std::lock_guard<std::mutex> lock(mutex_);
    line_.clear();
    appendReportLine(line_, instance, level, text);
    std::fwrite(line_.data(), 1, line_.size(), stream_);
    std::fflush(stream_);
}

}  // namespace zuv::sinks
