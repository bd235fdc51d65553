// Reads a .zrec recording record by record, in memory bounded by the largest
// record it delivers plus one 64 KiB block (it reads the file in blocks).
// Errors: open() refuses a file that cannot be read or does not start with the
// header of version 1; next() ends with End, Truncated (a last record cut
// short: its byte offset is kept and the records before it were all returned)
// or ReadError. A record larger than maxRecordSize() is not read: next()
// returns Oversized with its offset and claimed size, and the following call
// goes on after it (skipped by seeking, or by reading through it on a pipe).
// error() describes the last failure in one line. Never throws.
// Threading: one thread at a time. The returned bytes stay valid until the next
// call.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "zrecFormat.h"

namespace zuv::recording {

struct ZrecRecord {
    int64_t timestampUs = 0;
    const uint8_t *bytes = nullptr;  // nullptr for an Oversized record
    uint32_t size = 0;               // claimed byte count
    uint64_t offset = 0;             // byte offset of the record in the file
};

enum class ZrecStatus { Record, End, Truncated, ReadError, Oversized };

class ZrecReader {
public:
    explicit ZrecReader(uint32_t maxRecordSize = kMaxReplayableRecord);
    ~ZrecReader();
    ZrecReader(const ZrecReader &) = delete;
    ZrecReader &operator=(const ZrecReader &) = delete;

    // `shouldStop` ends a wait for a FIFO's writer (false, error() says so).
    bool open(const std::string &path, const std::function<bool()> &shouldStop = {});
    ZrecStatus next(ZrecRecord &record);
    void close();

    const std::string &error() const { return error_; }
    // Offset of the truncated record after next() returned Truncated.
    uint64_t truncatedAt() const { return truncatedAt_; }
    uint64_t recordCount() const { return records_; }
    uint32_t maxRecordSize() const { return maxRecordSize_; }

private:
    ZrecStatus readNext(ZrecRecord &record);
    // Makes `size` bytes from pos_ on available in buffer_, reading large
    // blocks; false at the end of the file or on a read error (readError_).
    bool fill(size_t size);
    uint64_t skip(uint64_t size);
    bool openFile(const std::string &path, const std::function<bool()> &shouldStop);

    int fd_ = -1;
    std::string path_;
    std::string error_;
    // The largest record delivered plus a block, so reads are large and a
    // whole record always fits once the rest is moved to the front.
    std::vector<uint8_t> buffer_;
    size_t pos_ = 0;  // first byte not yet consumed
    size_t end_ = 0;  // end of the bytes read into buffer_
    uint32_t maxRecordSize_;
    bool seekable_ = false;
    uint64_t fileSize_ = 0;  // seekable files only
    uint64_t offset_ = 0;    // file offset of pos_
    uint64_t truncatedAt_ = 0;
    uint64_t records_ = 0;
    int readError_ = 0;
    bool finished_ = false;
};

}  // namespace zuv::recording
