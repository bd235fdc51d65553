#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "linkOptions.h"
#include "toolError.h"

namespace zuv::test {

using namespace zuv::tool;

namespace {

std::vector<std::string> parse(std::vector<std::string> args, bool required = true) {
    CLI::App app;
    LinkOptions options;
    addLinkOptions(app, options);
    std::reverse(args.begin(), args.end());
    app.parse(args);
    return linkAssignments(options, required);
}

TEST(LinkOptions, SerialAndUdpBecomeReaderProperties) {
    EXPECT_EQ(parse({"--port", "/dev/pts/4"}),
              (std::vector<std::string>{"reader.pInterface=Serial", "reader.pComPort=/dev/pts/4",
                                        "reader.pBaudRate=115200"}));
    EXPECT_EQ(parse({"--port", "/dev/ttyUSB1", "--baud", "921600"})[2], "reader.pBaudRate=921600");
    EXPECT_EQ(parse({"--udp", "127.0.0.1:5678", "--local-port", "4321"}),
              (std::vector<std::string>{"reader.pInterface=UDP", "reader.pRemoteAdress=127.0.0.1",
                                        "reader.pRemotePort=5678", "reader.pLocalPort=4321"}));
    EXPECT_EQ(parse({"--udp", "127.0.0.1:5678"})[3], "reader.pLocalPort=1234");
    EXPECT_TRUE(parse({}, false).empty());
}

TEST(LinkOptions, UsageErrors) {
    for (const char *bad : {"127.0.0.1", "127.0.0.1:", ":5678", "127.0.0.1:0", "127.0.0.1:65536", "h:12x"}) {
        try {
            parse({"--udp", bad});
            ADD_FAILURE() << bad;
        } catch (const ToolError &e) {
            EXPECT_EQ(e.status(), kExitUsage);
        }
    }
    EXPECT_THROW(parse({}), ToolError);
    EXPECT_THROW(parse({"--port", "/dev/a", "--udp", "127.0.0.1:1"}), CLI::ParseError);
    EXPECT_THROW(parse({"--baud", "9600"}), CLI::ParseError);
    EXPECT_THROW(parse({"--port", "/dev/a", "--baud", "0"}), CLI::ParseError);
}

}  // namespace
}  // namespace zuv::test
