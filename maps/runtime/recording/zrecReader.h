// Reads a .zrec recording record by record.
// Errors: open() refuses a file that cannot be read or does not start with the
// header of version 1; next() ends with End, Truncated (a last record cut
// short: its byte offset is kept and the records before it were all returned)
// or ReadError. error() describes the last failure in one line.
// Threading: one thread at a time. The returned bytes stay valid until the next
// call; the buffer only grows to the largest record seen.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace zuv::recording {

struct ZrecRecord {
    int64_t timestampUs = 0;
    const uint8_t *bytes = nullptr;
    uint32_t size = 0;
    uint64_t offset = 0;  // byte offset of the record in the file
};

enum class ZrecStatus { Record, End, Truncated, ReadError };

class ZrecReader {
public:
    ZrecReader() = default;
    ~ZrecReader();
    ZrecReader(const ZrecReader &) = delete;
    ZrecReader &operator=(const ZrecReader &) = delete;

    bool open(const std::string &path);
    ZrecStatus next(ZrecRecord &record);
    void close();

    const std::string &error() const { return error_; }
    // Offset of the truncated record after next() returned Truncated.
    uint64_t truncatedAt() const { return truncatedAt_; }
    uint64_t recordCount() const { return records_; }

private:
    size_t readUpTo(uint8_t *into, size_t size);

    std::FILE *file_ = nullptr;
    std::string path_;
    std::string error_;
    std::vector<uint8_t> buffer_;
    uint64_t offset_ = 0;
    uint64_t truncatedAt_ = 0;
    uint64_t records_ = 0;
    bool finished_ = false;
};

}  // namespace zuv::recording
