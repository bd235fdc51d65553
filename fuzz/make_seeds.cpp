// Writes small CRC-valid seed streams for the fuzz targets, built with the
// library's frame builder. Usage: make_fuzz_seeds CORPUS_DIR (e.g. fuzz/corpus).
#include <cstdio>
#include <string>
#include <vector>

#include "zuvTestStreams.h"

namespace {

using zuv::test::Bytes;
using zuv::test::makeFrame;

Bytes operator+(Bytes a, const Bytes &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

bool write(const std::string &path, uint8_t control, const Bytes &stream) {
    FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::perror(path.c_str());
        return false;
    }
    std::fputc(control, file);
    const bool ok = std::fwrite(stream.data(), 1, stream.size(), file) == stream.size();
    return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/extraction/";
    zuv::test::Rng rng(2024);
    const Bytes imu = makeFrame(3, 0, rng.bytes(58)).wire;
    const Bytes status = makeFrame(1, 0, rng.bytes(26)).wire;
    const Bytes empty = makeFrame(0x24, 1, {}).wire;
    const Bytes command = makeFrame(0x00, 0x10, {0x06, 0x10, 0x00, 0x00}).wire;
    Bytes badCrc = makeFrame(8, 0, rng.bytes(72)).wire;
    badCrc[badCrc.size() - 3] ^= 0x5A;
    Bytes badEnd = makeFrame(5, 1, imu).wire;  // a true frame hidden inside
    badEnd.back() = 0x32;
    const Bytes overLong = {0xFF, 0x5A, 0xF7, 0x0F, 0xF7, 0x0F};
    const Bytes big = makeFrame(31, 0, rng.bytes(900)).wire;

    bool ok = true;
    ok &= write(dir + "frames", 0x00, imu + status + empty + command);
    ok &= write(dir + "noise_between", 0x01, Bytes{0x00, 0x11, 0xFF} + imu + Bytes{0xFF, 0xFF, 0x5A} + status);
    ok &= write(dir + "bad_crc", 0x02, badCrc + imu);
    ok &= write(dir + "bad_end_hidden_frame", 0x03, badEnd + status);
    ok &= write(dir + "length_too_large", 0x04, overLong + makeFrame(0xF7, 0x0F, rng.bytes(9)).wire);
    ok &= write(dir + "large_frame_small_buffer", 0x15, big + imu);
    ok &= write(dir + "no_payload_buffer_failing_reads", 0x2E, imu + empty + imu);
    ok &= write(dir + "trailing_ff", 0x07, status + Bytes{0x10, 0xFF});
    return ok ? 0 : 1;
}
