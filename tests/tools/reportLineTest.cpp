#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "reportLine.h"

namespace zuv::test {

using zuv::sinks::appendReportLine;
using zuv::sinks::ReportPrinter;

namespace {
std::string report(const char *instance, int level, const std::string &text) {
    std::string out;
    appendReportLine(out, instance, level, text);
    return out;
}
}  // namespace

TEST(ReportLine, LevelsAndLineFeeds) {
    EXPECT_EQ(report("reader", 0, "Start if serial"), "info reader: Start if serial\n");
    EXPECT_EQ(report("reader", 1, "x"), "warning reader: x\n");
    EXPECT_EQ(report("decoder", 2, "bad\nframe\n"), "error decoder: bad\\nframe\\n\n");
    // The text's own slash-n stays as it is.
    EXPECT_EQ(report("reader", 0, "No interface specified./n"), "info reader: No interface specified./n\n");
    EXPECT_EQ(report("r", -3, ""), "info r: \n");
    EXPECT_EQ(report("r", 7, "t"), "error r: t\n");
}

TEST(ReportPrinter, LinesFromManyThreadsStayWhole) {
    std::FILE *f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    {
        ReportPrinter printer(f);
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&printer, t] {
                std::string text(200, static_cast<char>('a' + t));
                for (int i = 0; i < 200; ++i) printer.print("inst", 1, text);
            });
        }
        for (auto &th : threads) th.join();
    }
    std::rewind(f);
    char buf[512];
    int lines = 0;
    while (std::fgets(buf, sizeof buf, f) != nullptr) {
        std::string l(buf);
        ASSERT_EQ(l.size(), std::string("warning inst: ").size() + 201);
        ASSERT_EQ(l.find_first_not_of(l[14], 14), l.size() - 1) << l;
        ++lines;
    }
    EXPECT_EQ(lines, 800);
    std::fclose(f);
}

}  // namespace zuv::test
