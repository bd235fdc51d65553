// Arbitrary bytes as a .zrec recording, read by the recording reader and
// replayed by the player into a source that keeps what it is given.
// Input: one control byte (bits 0-2 pick the largest record to deliver from a
// table, 0 to 65536), then the file's bytes.
// Checks, against an independent walk of the same bytes: the records
// delivered are exactly the whole records within the limit, in order, with
// their time stamps and bytes; larger ones are skipped and counted; the
// outcome names a cut last record or a bad header; nothing throws.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "player.h"
#include "zrecFormat.h"
#include "zrecReader.h"

namespace {

namespace rec = zuv::recording;

[[noreturn]] void fail(const char *what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

const uint32_t kLimits[8] = {0, 1, 12, 67, 300, 4095, 4096, 65536};

struct Delivered {
    int64_t timestamp;
    std::vector<uint8_t> bytes;
};

class KeepingSource final : public zuv::host::Source {
public:
    explicit KeepingSource(int maxSize) : maxSize_(maxSize) {}
    const std::string &Name() const override { return name_; }
    bool Push(int64_t timestamp, const void *data, int vectorSize) override {
        if (vectorSize < 0 || vectorSize > maxSize_) fail("pushed past the source's size");
        const auto *bytes = static_cast<const uint8_t *>(data);
        samples.push_back({timestamp, std::vector<uint8_t>(bytes, bytes + vectorSize)});
        return true;
    }
    bool Drain(std::chrono::milliseconds) override { return true; }

    std::vector<Delivered> samples;

private:
    std::string name_ = "player";
    int maxSize_;
};

struct Expected {
    bool header = false;
    std::vector<Delivered> records;
    uint64_t oversized = 0;
    bool truncated = false;
};

Expected walk(const uint8_t *file, size_t size, uint32_t limit) {
    Expected e;
    if (size < rec::kHeaderSize || std::memcmp(file, rec::kMagic, 4) != 0 || rec::loadLe32(file + 4) != rec::kVersion) {
        return e;
    }
    e.header = true;
    size_t at = rec::kHeaderSize;
    while (at < size) {
        if (size - at < rec::kRecordHeaderSize) {
            e.truncated = true;
            break;
        }
        const uint64_t length = rec::loadLe32(file + at + 8);
        if (length > size - at - rec::kRecordHeaderSize) {
            e.truncated = true;
            break;
        }
        if (length > limit) {
            ++e.oversized;
        } else {
            const uint8_t *bytes = file + at + rec::kRecordHeaderSize;
            e.records.push_back(
                {static_cast<int64_t>(rec::loadLe64(file + at)), std::vector<uint8_t>(bytes, bytes + length)});
        }
        at += rec::kRecordHeaderSize + length;
    }
    return e;
}

const std::string &scratchPath() {
    static const std::string path = "/tmp/fuzz_zrec_" + std::to_string(getpid()) + ".zrec";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    const uint32_t limit = kLimits[data[0] & 7];
    const uint8_t *file = data + 1;
    const size_t fileSize = size - 1;
    {
        std::FILE *out = std::fopen(scratchPath().c_str(), "wb");
        if (out == nullptr) fail("cannot write the scratch file");
        if (fileSize > 0 && std::fwrite(file, 1, fileSize, out) != fileSize) fail("cannot write the scratch file");
        std::fclose(out);
    }
    const Expected expected = walk(file, fileSize, limit);

    rec::ZrecReader reader(limit);
    const bool opened = reader.open(scratchPath());
    if (opened != expected.header) fail("header accepted or refused wrongly");
    if (!opened) {
        if (reader.error().empty()) fail("refusal without a reason");
        return 0;
    }
    KeepingSource source(static_cast<int>(limit));
    rec::PlayOptions options;
    options.maxRecordSize = static_cast<int>(limit);
    const rec::PlayOutcome outcome = rec::playRecording(reader, source, options);

    if (source.samples.size() != expected.records.size() || outcome.delivered != expected.records.size()) {
        fail("delivered a different number of records");
    }
    for (size_t i = 0; i < expected.records.size(); ++i) {
        if (source.samples[i].timestamp != expected.records[i].timestamp) fail("time stamp changed");
        if (source.samples[i].bytes != expected.records[i].bytes) fail("bytes changed");
    }
    if (outcome.oversized != expected.oversized) fail("oversized records miscounted");
    if ((outcome.end == rec::ZrecStatus::Truncated) != expected.truncated) fail("truncation missed or invented");
    if (outcome.end == rec::ZrecStatus::ReadError) fail("read error on a regular file");
    if (outcome.complete() != (!expected.truncated && expected.oversized == 0)) fail("outcome wrongly complete");
    if (!outcome.complete() && outcome.error.empty()) fail("incomplete without a reason");
    return 0;
}
