// Component reports as lines of text: "LEVEL INSTANCE: TEXT\n", LEVEL being
// info, warning or error (report levels 0, 1, 2), each line feed inside TEXT
// written as the two characters \n so that one report stays one line.
// Errors: none; levels below 0 read as info, above 2 as error.
// Threading: appendReportLine is pure; ReportPrinter may be called from any
// thread and writes each line whole.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

namespace zuv::sinks {

const char *reportLevelName(int level);
void appendReportLine(std::string &out, std::string_view instance, int level, std::string_view text);

class ReportPrinter {
public:
    explicit ReportPrinter(std::FILE *stream = stderr) : stream_(stream) {}
    void print(std::string_view instance, int level, std::string_view text);

private:
    std::FILE *stream_;
    std::mutex mutex_;
    std::string line_;
};

}  // namespace zuv::sinks
