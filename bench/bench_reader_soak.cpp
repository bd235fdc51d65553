// Soak of the frame reader: the simulator streams all 26 log kinds at 200 Hz on
// a pseudo-terminal, and every frame must reach reader.oData in order and byte
// for byte. Prints the counts, the reader thread's CPU share and the latency
// from the simulator's write to the oData sample (median, 99th percentile).
//
//   build/bin/bench_reader_soak [--seconds S] [--baud N] [--package PATH]
//
// Exit status 1 when a frame was lost, damaged or out of order.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "zuvReaderSoak.h"

int main(int argc, char **argv) {
    zuv::test::SoakOptions options;
    options.package = zuv::test::PackageBesideProgram();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seconds" && i + 1 < argc) {
            options.seconds = std::atof(argv[++i]);
        } else if (arg == "--baud" && i + 1 < argc) {
            options.baudRate = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (arg == "--package" && i + 1 < argc) {
            options.package = argv[++i];
        } else if (arg.rfind("--benchmark_", 0) != 0) {  // `make bench` passes Google Benchmark flags
            std::fprintf(stderr, "usage: %s [--seconds S] [--baud N] [--package PATH]\n", argv[0]);
            return 2;
        }
    }
    std::printf("reader soak: 26 log kinds at 200 Hz over a pseudo-terminal at %u baud for %.0f s\n", options.baudRate,
                options.seconds);
    const zuv::test::SoakResult r = zuv::test::RunReaderSoak(options);
    std::printf("frames written %llu, on oData %llu (%llu bytes, %.0f frames/s); %llu written during start-up\n",
                static_cast<unsigned long long>(r.framesSent), static_cast<unsigned long long>(r.framesReceived),
                static_cast<unsigned long long>(r.bytesReceived),
                r.seconds > 0 ? static_cast<double>(r.framesReceived) / r.seconds : 0.0,
                static_cast<unsigned long long>(r.framesSkippedAtStart));
    std::printf("reader thread CPU %.3f s over %.1f s: %.2f %% of one core (process, simulator included: %.2f %%)\n",
                r.readerCpuSeconds, r.seconds, r.seconds > 0 ? 100.0 * r.readerCpuSeconds / r.seconds : 0.0,
                r.seconds > 0 ? 100.0 * r.processCpuSeconds / r.seconds : 0.0);
    std::printf("latency write -> oData: median %.0f us, p99 %.0f us, max %.0f us\n", r.latencyMedianUs, r.latencyP99Us,
                r.latencyMaxUs);
    if (!r.failure.empty()) {
        std::printf("FAILED: %s\n", r.failure.c_str());
        return 1;
    }
    std::printf("every frame arrived, in order, byte for byte (CRC-32 of each compared)\n");
    return 0;
}
