// Writes small CRC-valid seed streams for the fuzz targets, built with the
// library's frame builder. Usage: make_fuzz_seeds CORPUS_DIR (e.g. fuzz/corpus).
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "zuvLogFrames.h"
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

// Decoder seeds: a control byte, then samples as [time step][u16 LE length][bytes].
Bytes sampleOf(uint8_t step, const Bytes &bytes) {
    Bytes out = {step, static_cast<uint8_t>(bytes.size() & 0xFF), static_cast<uint8_t>(bytes.size() >> 8)};
    out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
}

bool writeDecoderSeeds(const std::string &dir) {
    ::mkdir(dir.c_str(), 0755);
    namespace records = zuv::test::records;
    using zuv::test::logFrame;
    const Bytes imu = logFrame(3, records::imu());
    Bytes everyKind;
    for (const Bytes &frame :
         {logFrame(1, records::status()), logFrame(2, records::utc()), imu, logFrame(4, records::mag()),
          logFrame(5, records::magCalib()), logFrame(6, records::ekfEuler()), logFrame(7, records::ekfQuat()),
          logFrame(8, records::ekfNav()), logFrame(9, records::shipMotion()), logFrame(13, records::gpsVel()),
          logFrame(14, records::gpsPos()), logFrame(15, records::gpsHdt()), logFrame(18, records::gpsHdt()),
          logFrame(19, records::odometer()), logFrame(24, records::event(4294967290u, 0x1E, 10, 5, 65535, 6)),
          logFrame(29, records::dvl()), logFrame(31, records::raw({1, 2, 3})), logFrame(36, records::airData()),
          logFrame(37, records::usbl())}) {
        everyKind = everyKind + frame;
    }
    Bytes tenHertz;
    for (int i = 0; i < 30; ++i) tenHertz = tenHertz + sampleOf(100, imu);
    Bytes badCrc = imu;
    badCrc[badCrc.size() - 3] ^= 0x5A;
    bool ok = true;
    ok &= write(dir + "every_kind", 0x03, sampleOf(10, everyKind) + sampleOf(199, everyKind));
    ok &= write(dir + "ten_hertz_down_sampled", 0x17, tenHertz);
    ok &= write(dir + "rejections", 0x01,
                sampleOf(1, badCrc + imu) + sampleOf(1, Bytes{0xFF} + imu) + sampleOf(1, imu + Bytes{1, 2, 3}) +
                    sampleOf(1, {}) + sampleOf(1, zuv::test::makeFrame(3, 2, Bytes(58, 0)).wire));
    ok &= write(dir + "extreme_stamps", 0xF7, sampleOf(250, imu) + sampleOf(251, imu) + sampleOf(220, imu));
    return ok;
}

// Recording seeds: a control byte (the record limit), then the file.
Bytes zrecRecord(int64_t timestamp, const Bytes &bytes, uint32_t claimed) {
    Bytes out(12);
    for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(static_cast<uint64_t>(timestamp) >> (8 * i));
    for (int i = 0; i < 4; ++i) out[8 + i] = static_cast<uint8_t>(claimed >> (8 * i));
    return out + bytes;
}

Bytes zrecRecord(int64_t timestamp, const Bytes &bytes) {
    return zrecRecord(timestamp, bytes, static_cast<uint32_t>(bytes.size()));
}

bool writeZrecSeeds(const std::string &dir) {
    ::mkdir(dir.c_str(), 0755);
    const Bytes header = {'Z', 'R', 'E', 'C', 1, 0, 0, 0};
    const Bytes imu = zuv::test::logFrame(3, zuv::test::records::imu());
    const Bytes frames = zrecRecord(0, imu) + zrecRecord(20000, imu) + zrecRecord(-1, {}) + zrecRecord(40000, imu);
    bool ok = true;
    ok &= write(dir + "frames", 0x07, header + frames);
    ok &= write(dir + "oversized_skipped", 0x03, header + zrecRecord(1, Bytes(300, 0xAB)) + frames);
    ok &= write(dir + "cut_last_record", 0x07, header + frames + zrecRecord(5, imu, 4000000000u));
    ok &= write(dir + "cut_record_header", 0x07, header + frames + Bytes{1, 2, 3});
    ok &= write(dir + "version_2", 0x07, Bytes{'Z', 'R', 'E', 'C', 2, 0, 0, 0} + frames);
    return ok;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    const std::string root = argv[1];
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
    // The reference target reads the same control byte (bit 6 is its own).
    for (const std::string &dir : {root + "/extraction/", root + "/extraction_reference/"}) {
        ::mkdir(dir.c_str(), 0755);
        ok &= write(dir + "frames", 0x00, imu + status + empty + command);
        ok &= write(dir + "noise_between", 0x01, Bytes{0x00, 0x11, 0xFF} + imu + Bytes{0xFF, 0xFF, 0x5A} + status);
        ok &= write(dir + "bad_crc", 0x02, badCrc + imu);
        ok &= write(dir + "bad_end_hidden_frame", 0x03, badEnd + status);
        ok &= write(dir + "length_too_large", 0x04, overLong + makeFrame(0xF7, 0x0F, rng.bytes(9)).wire);
        ok &= write(dir + "large_frame_small_buffer", 0x15, big + imu);
        ok &= write(dir + "no_payload_buffer_failing_reads", 0x2E, imu + empty + imu);
        ok &= write(dir + "trailing_ff", 0x07, status + Bytes{0x10, 0xFF});
    }
    ok &= writeDecoderSeeds(std::string(argv[1]) + "/decoder/");
    ok &= writeZrecSeeds(std::string(argv[1]) + "/zrec/");
    return ok ? 0 : 1;
}
