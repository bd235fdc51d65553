#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "zrecReader.h"
#include "zrecWriter.h"

namespace zuv::test {

using zuv::recording::ZrecReader;
using zuv::recording::ZrecRecord;
using zuv::recording::ZrecStatus;
using zuv::recording::ZrecWriter;

namespace {

class TempFile {
public:
    TempFile() {
        char name[] = "/tmp/zrec_test_XXXXXX";
        int fd = mkstemp(name);
        if (fd >= 0) close(fd);
        path_ = name;
    }
    ~TempFile() { std::remove(path_.c_str()); }
    const std::string &path() const { return path_; }

    std::vector<uint8_t> bytes() const {
        std::ifstream in(path_, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }
    void write(const std::vector<uint8_t> &data) const { writeTo(path_, data); }
    static void writeTo(const std::string &path, const std::vector<uint8_t> &data) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char *>(data.data()), static_cast<std::streamsize>(data.size()));
    }

private:
    std::string path_;
};

struct Sample {
    int64_t t;
    std::vector<uint8_t> bytes;
    bool operator==(const Sample &o) const { return t == o.t && bytes == o.bytes; }
};

std::vector<Sample> readAll(ZrecReader &reader, ZrecStatus &last) {
    std::vector<Sample> out;
    ZrecRecord r;
    while ((last = reader.next(r)) == ZrecStatus::Record) out.push_back({r.timestampUs, {r.bytes, r.bytes + r.size}});
    return out;
}

std::vector<Sample> someSamples() {
    std::vector<Sample> s;
    s.push_back({0, {}});
    s.push_back({-5, {0xFF, 0x5A, 1, 0, 0, 0, 0x12, 0x34, 0x33}});
    std::vector<uint8_t> big(5000);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
    s.push_back({INT64_MAX, big});
    s.push_back({1234567, {42}});
    return s;
}

void writeSamples(const std::string &path, const std::vector<Sample> &samples) {
    ZrecWriter w;
    ASSERT_TRUE(w.open(path)) << w.error();
    for (const auto &s : samples) ASSERT_TRUE(w.append(s.t, s.bytes.data(), static_cast<uint32_t>(s.bytes.size())));
    ASSERT_TRUE(w.close()) << w.error();
    EXPECT_EQ(w.recordCount(), samples.size());
}

}  // namespace

TEST(Zrec, GoldenBytes) {
    TempFile f;
    writeSamples(f.path(), {{0x0102030405060708, {0xAA, 0xBB}}, {-1, {}}});
    const std::vector<uint8_t> expected = {
        'Z',  'R',  'E',  'C',  1,    0,    0,    0,                             // header
        8,    7,    6,    5,    4,    3,    2,    1,    2, 0, 0, 0, 0xAA, 0xBB,  // record 1
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};             // record 2, empty
    EXPECT_EQ(f.bytes(), expected);
}

TEST(Zrec, RoundTripKeepsOrderTimesAndBytes) {
    TempFile f;
    auto samples = someSamples();
    writeSamples(f.path(), samples);
    ZrecReader r;
    ASSERT_TRUE(r.open(f.path())) << r.error();
    ZrecStatus last;
    EXPECT_EQ(readAll(r, last), samples);
    EXPECT_EQ(last, ZrecStatus::End);
    ZrecRecord after;
    EXPECT_EQ(r.next(after), ZrecStatus::End);
}

TEST(Zrec, HeaderOnlyIsAnEmptyRecording) {
    TempFile f;
    writeSamples(f.path(), {});
    ZrecReader r;
    ASSERT_TRUE(r.open(f.path()));
    ZrecStatus last;
    EXPECT_TRUE(readAll(r, last).empty());
    EXPECT_EQ(last, ZrecStatus::End);
}

// Cut the file inside the last record: in its header or in its bytes.
class ZrecTruncated : public testing::TestWithParam<size_t> {};

TEST_P(ZrecTruncated, EarlierRecordsKeptAndOffsetReported) {
    TempFile f;
    auto samples = someSamples();
    writeSamples(f.path(), samples);
    auto bytes = f.bytes();
    const size_t lastStart = bytes.size() - (12 + samples.back().bytes.size());
    bytes.resize(lastStart + GetParam());
    f.write(bytes);

    ZrecReader r;
    ASSERT_TRUE(r.open(f.path()));
    ZrecStatus last;
    auto got = readAll(r, last);
    EXPECT_EQ(last, ZrecStatus::Truncated);
    samples.pop_back();
    EXPECT_EQ(got, samples);
    EXPECT_EQ(r.truncatedAt(), lastStart);
    EXPECT_NE(r.error().find("byte offset " + std::to_string(lastStart)), std::string::npos) << r.error();
    ZrecRecord after;
    EXPECT_EQ(r.next(after), ZrecStatus::End);
}

INSTANTIATE_TEST_SUITE_P(CutPoints, ZrecTruncated, testing::Values(1, 8, 11, 12));

TEST(Zrec, CorruptHugeCountIsTruncationNotAnAllocation) {
    TempFile f;
    writeSamples(f.path(), {{7, {1, 2, 3}}});
    auto bytes = f.bytes();
    const std::vector<uint8_t> bogus = {0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 9, 9};
    bytes.insert(bytes.end(), bogus.begin(), bogus.end());
    f.write(bytes);
    ZrecReader r;
    ASSERT_TRUE(r.open(f.path()));
    ZrecStatus last;
    auto got = readAll(r, last);
    EXPECT_EQ(got.size(), 1u);
    EXPECT_EQ(last, ZrecStatus::Truncated);
    EXPECT_EQ(r.truncatedAt(), 8u + 12u + 3u);
}

struct BadHeader {
    const char *name;
    std::vector<uint8_t> bytes;
    const char *message;
};

void PrintTo(const BadHeader &b, std::ostream *os) {
    *os << b.name;
}

class ZrecBadHeader : public testing::TestWithParam<BadHeader> {};

TEST_P(ZrecBadHeader, Refused) {
    TempFile f;
    f.write(GetParam().bytes);
    ZrecReader r;
    EXPECT_FALSE(r.open(f.path()));
    EXPECT_NE(r.error().find(GetParam().message), std::string::npos) << r.error();
    ZrecRecord after;
    EXPECT_EQ(r.next(after), ZrecStatus::End);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ZrecBadHeader,
    testing::Values(BadHeader{"Empty", {}, "not a recording"},
                    BadHeader{"Short", {'Z', 'R', 'E', 'C', 1}, "not a recording"},
                    BadHeader{"WrongMagic", {'Z', 'R', 'E', 'X', 1, 0, 0, 0}, "not a recording"},
                    BadHeader{"RawFrame", {0xFF, 0x5A, 1, 0, 0, 0, 0x12, 0x34, 0x33}, "not a recording"},
                    BadHeader{"Version2", {'Z', 'R', 'E', 'C', 2, 0, 0, 0}, "unsupported recording version 2"}),
    [](const testing::TestParamInfo<BadHeader> &i) { return i.param.name; });

TEST(Zrec, MissingFileAndUnwritablePath) {
    ZrecReader r;
    EXPECT_FALSE(r.open("/nonexistent/dir/x.zrec"));
    EXPECT_NE(r.error().find("cannot open"), std::string::npos);
    ZrecWriter w;
    EXPECT_FALSE(w.open("/nonexistent/dir/x.zrec"));
    EXPECT_NE(w.error().find("cannot create"), std::string::npos);
    uint8_t b = 0;
    EXPECT_FALSE(w.append(0, &b, 1));
}

TEST(Zrec, WriteFailureIsReported) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    ZrecWriter w;
    ASSERT_TRUE(w.open("/dev/full"));  // the header is still in the buffer
    std::vector<uint8_t> bytes(100000, 1);
    bool ok = w.append(0, bytes.data(), static_cast<uint32_t>(bytes.size()));
    ok = w.close() && ok;
    EXPECT_FALSE(ok);
    EXPECT_TRUE(w.failed());
    EXPECT_NE(w.error().find("cannot write"), std::string::npos) << w.error();
}

namespace {

std::vector<uint8_t> recordBytes(int64_t t, const std::vector<uint8_t> &bytes, uint32_t claimed) {
    std::vector<uint8_t> out(12);
    for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(static_cast<uint64_t>(t) >> (8 * i));
    for (int i = 0; i < 4; ++i) out[8 + i] = static_cast<uint8_t>(claimed >> (8 * i));
    out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
}

std::vector<uint8_t> recordBytes(int64_t t, const std::vector<uint8_t> &bytes) {
    return recordBytes(t, bytes, static_cast<uint32_t>(bytes.size()));
}

const std::vector<uint8_t> kHeader = {'Z', 'R', 'E', 'C', 1, 0, 0, 0};

std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t> &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

// Records above the limit are reported with where they are and what they
// claim, and passed over; the ones after them still arrive.
TEST(Zrec, OversizedRecordsAreSkippedWithTheirOffset) {
    TempFile f;
    f.write(kHeader + recordBytes(1, {7}) + recordBytes(2, std::vector<uint8_t>(101, 9)) + recordBytes(3, {8, 8}));
    ZrecReader r(100);
    ASSERT_TRUE(r.open(f.path())) << r.error();
    ZrecRecord rec;
    ASSERT_EQ(r.next(rec), ZrecStatus::Record);
    EXPECT_EQ(rec.timestampUs, 1);
    ASSERT_EQ(r.next(rec), ZrecStatus::Oversized);
    EXPECT_EQ(rec.offset, 8u + 13u);
    EXPECT_EQ(rec.size, 101u);
    EXPECT_EQ(rec.timestampUs, 2);
    EXPECT_EQ(rec.bytes, nullptr);
    ASSERT_EQ(r.next(rec), ZrecStatus::Record);
    EXPECT_EQ(rec.timestampUs, 3);
    EXPECT_EQ(std::vector<uint8_t>(rec.bytes, rec.bytes + rec.size), (std::vector<uint8_t>{8, 8}));
    EXPECT_EQ(r.next(rec), ZrecStatus::End);
    EXPECT_EQ(r.recordCount(), 2u);
}

// A size past the end of the file is a cut record, found without reading or
// holding the bytes it claims (4 GB here).
TEST(Zrec, ASizePastTheEndIsATruncationNotAnAllocation) {
    TempFile f;
    f.write(kHeader + recordBytes(1, {7}) + recordBytes(2, std::vector<uint8_t>(10, 1), 0xFFFFFFFFu));
    ZrecReader r;
    ASSERT_TRUE(r.open(f.path()));
    ZrecRecord rec;
    ASSERT_EQ(r.next(rec), ZrecStatus::Record);
    ASSERT_EQ(r.next(rec), ZrecStatus::Truncated);
    EXPECT_EQ(r.truncatedAt(), 21u);
    EXPECT_NE(r.error().find("truncated record at byte offset 21 (22 of 4294967307 bytes present)"), std::string::npos)
        << r.error();
}

// On a pipe the skip reads through the record, still in bounded memory.
TEST(Zrec, OversizedRecordsAreSkippedOnAFifoToo) {
    char dir[] = "/tmp/zrec_fifo_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/in.zrec";
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    const std::vector<uint8_t> bytes =
        kHeader + recordBytes(2, std::vector<uint8_t>(300000, 9)) + recordBytes(3, {8}) + recordBytes(4, {1, 2});
    std::thread writer([&] {
        std::FILE *out = std::fopen(path.c_str(), "wb");
        if (out == nullptr) return;
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    });
    ZrecReader r(4096);
    ASSERT_TRUE(r.open(path)) << r.error();
    ZrecRecord rec;
    EXPECT_EQ(r.next(rec), ZrecStatus::Oversized);
    EXPECT_EQ(rec.size, 300000u);
    ASSERT_EQ(r.next(rec), ZrecStatus::Record);
    EXPECT_EQ(rec.timestampUs, 3);
    ASSERT_EQ(r.next(rec), ZrecStatus::Record);
    EXPECT_EQ(rec.timestampUs, 4);
    EXPECT_EQ(r.next(rec), ZrecStatus::End);
    writer.join();
    std::remove(path.c_str());
    rmdir(dir);
}

TEST(Zrec, AFifoWithoutAWriterGivesUpWhenAskedToStop) {
    char dir[] = "/tmp/zrec_fifo_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/in.zrec";
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    int asked = 0;
    ZrecReader r;
    EXPECT_FALSE(r.open(path, [&asked] { return ++asked > 3; }));
    EXPECT_EQ(asked, 4);
    EXPECT_EQ(r.error(), path + ": stopped while waiting for a writer");
    std::remove(path.c_str());
    rmdir(dir);
}

// A write that fails part way (the file size limit stands in for a full disk)
// leaves only whole records, and only those are counted.
TEST(Zrec, AWriteFailureLeavesOnlyWholeRecords) {
    TempFile f;
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previous = signal(SIGXFSZ, SIG_IGN);
    const std::vector<uint8_t> bytes(1000, 0x5A);
    ZrecWriter w;
    ASSERT_TRUE(w.open(f.path()));
    struct rlimit limit = saved;
    limit.rlim_cur = 150000;  // in the middle of the third 65536-byte write
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    uint64_t accepted = 0;
    while (accepted < 1000 && w.append(static_cast<int64_t>(accepted), bytes.data(), 1000)) ++accepted;
    w.close();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    EXPECT_TRUE(w.failed());
    EXPECT_NE(w.error().find(": cannot write: File too large"), std::string::npos) << w.error();
    EXPECT_EQ(w.errorNumber(), EFBIG);

    ZrecReader r;
    ASSERT_TRUE(r.open(f.path())) << r.error();
    ZrecStatus last;
    const auto records = readAll(r, last);
    EXPECT_EQ(last, ZrecStatus::End) << r.error();
    EXPECT_EQ(records.size(), w.recordCount());
    EXPECT_EQ(w.sampleBytes(), w.recordCount() * 1000);
    EXPECT_GT(records.size(), 100u);
    EXPECT_LT(records.size(), accepted);
    EXPECT_EQ(f.bytes().size(), 8 + records.size() * 1012);
}

TEST(Zrec, ADeviceThatTakesNothingCountsNothing) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    ZrecWriter w;
    ASSERT_TRUE(w.open("/dev/full"));
    const uint8_t b[3] = {1, 2, 3};
    EXPECT_TRUE(w.append(1, b, 3)) << "still in the buffer";
    EXPECT_FALSE(w.flush());
    EXPECT_FALSE(w.append(2, b, 3));
    EXPECT_FALSE(w.close());
    EXPECT_EQ(w.recordCount(), 0u);
    EXPECT_EQ(w.sampleBytes(), 0u);
    EXPECT_EQ(w.error(), "/dev/full: cannot write: No space left on device");
}

// Records of every size around the reader's block and record limits, from a
// file and from a pipe fed in uneven pieces: records that straddle blocks come
// out whole, oversized ones are skipped at their offsets, and a cut last record
// is reported where it starts.
class ZrecBlocks : public ::testing::TestWithParam<bool> {};

TEST_P(ZrecBlocks, RecordsAcrossBlockEdgesComeOutWholeWithTheirOffsets) {
    const uint32_t sizes[] = {0,     1,  11, 12,     13,    4095,  65536, 65535, 65537, 30000,  65536, 7,
                              65524, 12, 3,  200000, 65536, 65536, 65536, 5,     1,     131072, 100};
    std::vector<uint8_t> bytes = kHeader;
    std::vector<Sample> expected;
    std::vector<std::pair<uint64_t, uint32_t>> skipped, gotSkipped;
    for (uint32_t size : sizes) {
        std::vector<uint8_t> body(size);
        for (size_t k = 0; k < body.size(); ++k) body[k] = static_cast<uint8_t>(k * 13 + bytes.size());
        const auto t = static_cast<int64_t>(bytes.size()) - 7;
        if (size > recording::kMaxReplayableRecord)
            skipped.emplace_back(bytes.size(), size);
        else
            expected.push_back({t, body});
        bytes = bytes + recordBytes(t, body);
    }
    const uint64_t cutAt = bytes.size();
    bytes = bytes + recordBytes(99, std::vector<uint8_t>(288, 1), 500);

    char dir[] = "/tmp/zrec_blocks_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/in.zrec";
    std::thread writer;
    auto previous = signal(SIGPIPE, SIG_IGN);
    if (GetParam()) {
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        writer = std::thread([&] {
            std::FILE *out = std::fopen(path.c_str(), "wb");
            // Uneven pieces, each pushed out on its own, so reads come back short.
            for (size_t at = 0, piece = 1; out != nullptr && at < bytes.size(); piece = piece * 7 % 100003 + 1) {
                at += std::fwrite(bytes.data() + at, 1, std::min(piece, bytes.size() - at), out);
                std::fflush(out);
            }
            if (out != nullptr) std::fclose(out);
        });
    } else {
        TempFile::writeTo(path, bytes);
    }
    ZrecReader r(recording::kMaxReplayableRecord);
    ASSERT_TRUE(r.open(path)) << r.error();
    std::vector<Sample> got;
    ZrecRecord rec;
    ZrecStatus status;
    while ((status = r.next(rec)) == ZrecStatus::Record || status == ZrecStatus::Oversized) {
        if (status == ZrecStatus::Oversized) gotSkipped.emplace_back(rec.offset, rec.size);
        if (status == ZrecStatus::Record) got.push_back({rec.timestampUs, {rec.bytes, rec.bytes + rec.size}});
    }
    r.close();  // a reader that stopped early must not leave the writer blocked
    if (writer.joinable()) writer.join();
    signal(SIGPIPE, previous);
    std::remove(path.c_str());
    rmdir(dir);
    EXPECT_EQ(status, ZrecStatus::Truncated);
    EXPECT_TRUE(got == expected) << got.size() << " of " << expected.size() << " records";
    EXPECT_EQ(gotSkipped, skipped);
    EXPECT_EQ(r.truncatedAt(), cutAt);
    EXPECT_NE(r.error().find("at byte offset " + std::to_string(cutAt) + " (300 of 512 bytes present)"),
              std::string::npos)
        << r.error();
}

INSTANTIATE_TEST_SUITE_P(Zrec, ZrecBlocks, ::testing::Bool());

}  // namespace zuv::test
