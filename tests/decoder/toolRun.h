// Runs the zuv tool as a user would and keeps what it printed.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "zuvScratch.h"

namespace zuv::test {

// The decoder's enable property of every log kind, in their declared order.
inline const std::vector<std::string> kEveryKind = {
    "pStatus",  "pUtcTime",        "pImuData",       "pMag",     "pMagCalib", "pEkfEuler", "pEkfQuat",
    "pEkfNav",  "pGps1Vel",        "pGps1Pos",       "pGps1Hdt", "pGps1Raw",  "pGps2Vel",  "pGps2Pos",
    "pGps2Hdt", "pGps2Raw",        "pOdoVel",        "pEventA",  "pEventB",   "pEventC",   "pEventD",
    "pEventE",  "pDvlBottomTrack", "pDvlWaterTrack", "pAirData", "pUsbl"};

struct ToolResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Arguments are passed through the shell in single quotes.
inline ToolResult runTool(const std::vector<std::string> &arguments) {
    static int serial = 0;
    const std::string stem = "/tmp/zuv_decoder_tool_" + std::to_string(getpid()) + "_" + std::to_string(serial++);
    std::string command = "'" ZUV_TOOL "' --package '" ZUV_PACKAGE "'";
    for (const std::string &argument : arguments) command += " '" + argument + "'";
    command += " >" + stem + ".out 2>" + stem + ".err </dev/null";
    ToolResult result;
    const int raw = std::system(command.c_str());
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = readFile(stem + ".out");
    result.err = readFile(stem + ".err");
    std::remove((stem + ".out").c_str());
    std::remove((stem + ".err").c_str());
    return result;
}

}  // namespace zuv::test
