// Running `zuv sim`: start, say where to connect, wait for the end, say what happened.
#include <signal.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <optional>

#include "zuvSimCli.h"

namespace zuv::sim {

namespace {

// Blocks SIGINT and SIGTERM for the run (threads started meanwhile inherit the
// mask) and restores the caller's mask afterwards.
class SignalWait {
public:
    SignalWait() {
        sigemptyset(&set_);
        sigaddset(&set_, SIGINT);
        sigaddset(&set_, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &set_, &previous_);
    }
    ~SignalWait() {
        // A signal that came in meanwhile is consumed, not left to kill the caller.
        const timespec none{0, 0};
        while (sigtimedwait(&set_, nullptr, &none) > 0) {}
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    SignalWait(const SignalWait &) = delete;
    SignalWait &operator=(const SignalWait &) = delete;

    // True when a signal came within ms milliseconds.
    bool wait(long ms) {
        const timespec timeout{ms / 1000, (ms % 1000) * 1000000L};
        return sigtimedwait(&set_, nullptr, &timeout) > 0;
    }

private:
    sigset_t set_{};
    sigset_t previous_{};
};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int zuvSimMain(const SimCliOptions &options, const StopWait &waitForStop) {
    SimConfig config;
    std::string error;
    if (!zuvSimBuildConfig(options, config, error)) {
        std::fprintf(stderr, "zuv sim: %s\n", error.c_str());
        return 2;
    }
    std::optional<SignalWait> signals;
    if (!waitForStop) {
        signals.emplace();
    }
    const StopWait wait = waitForStop ? waitForStop : [&signals](int ms) { return signals->wait(ms); };
    Simulator simulator(config);
    if (simulator.start() != ZUV_NO_ERROR) {
        std::fprintf(stderr, "zuv sim: %s\n", simulator.errorText().c_str());
        return 1;
    }
    if (config.link == LinkKind::Pty) {
        std::printf("pty: %s\n", simulator.ptyPath().c_str());
        if (!config.linkPath.empty()) {
            std::printf("link: %s\n", config.linkPath.c_str());
        }
        std::printf("baud: %u\n", simulator.portBaudRate());
    } else {
        const std::string bind = config.udpBind.substr(0, config.udpBind.rfind(':'));
        std::printf("udp: %s:%u -> %s\n", bind.c_str(), simulator.udpPort(), config.udpPeer.c_str());
    }
    std::fflush(stdout);

    const auto start = std::chrono::steady_clock::now();
    double unpluggedAt = -1.0;
    double pluggedAt = 0.0;
    uint32_t unplugs = 0;
    for (;;) {
        if (wait(100)) {
            break;
        }
        const double elapsed = secondsSince(start);
        if (options.duration > 0.0 && elapsed >= options.duration) {
            break;
        }
        if (options.unplugAfter > 0.0 && unpluggedAt < 0.0 && unplugs < options.unplugTimes &&
            elapsed >= pluggedAt + options.unplugAfter) {
            simulator.unplug();
            unpluggedAt = elapsed;
            ++unplugs;
            std::printf("unplugged\n");
            std::fflush(stdout);
        }
        if (options.replugAfter > 0.0 && unpluggedAt >= 0.0 && elapsed >= unpluggedAt + options.replugAfter) {
            unpluggedAt = -1.0;
            pluggedAt = elapsed;
            if (simulator.replug() != ZUV_NO_ERROR) {
                std::fprintf(stderr, "zuv sim: replug failed: %s\n", simulator.errorText().c_str());
                return 1;
            }
            if (config.link == LinkKind::Pty) {
                std::printf("pty: %s\n", simulator.ptyPath().c_str());
            } else {
                std::printf("replugged\n");
            }
            std::fflush(stdout);
        }
    }
    simulator.stop();
    const SimStats stats = simulator.stats();
    std::fprintf(stderr,
                 "zuv sim: %llu log frames, %llu frames written (%llu bytes), %llu dropped, %llu commands (%llu "
                 "refused)\n",
                 static_cast<unsigned long long>(stats.logFrames), static_cast<unsigned long long>(stats.unitsWritten),
                 static_cast<unsigned long long>(stats.bytesWritten),
                 static_cast<unsigned long long>(stats.unitsDropped), static_cast<unsigned long long>(stats.commands),
                 static_cast<unsigned long long>(stats.commandsRefused));
    return 0;
}

int zuvSimMainArgs(int argc, const char *const *argv) {
    CLI::App app{"ZUV device simulator", "zuv sim"};
    SimCliOptions options;
    zuvSimAddOptions(app, options);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        const int status = app.exit(e);
        return status == 0 ? 0 : 2;
    }
    return zuvSimMain(options);
}

}  // namespace zuv::sim
