// Writes a .zrec recording.
// Errors: open, append, flush and close return false once anything failed;
// error() then says what, where and why. After a failure the writer ignores
// further records (a recording with a hole in the middle would replay as
// something that never happened), cuts the file back to its last whole record
// where it can, and recordCount() counts only the records in the file.
// Threading: one thread at a time; append allocates nothing (records collect
// in a buffer made at open and leave in large writes).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zuv::recording {

class ZrecWriter {
public:
    ZrecWriter() = default;
    ~ZrecWriter();
    ZrecWriter(const ZrecWriter &) = delete;
    ZrecWriter &operator=(const ZrecWriter &) = delete;

    // Creates or truncates the file and writes the header.
    bool open(const std::string &path);
    bool append(int64_t timestampUs, const uint8_t *bytes, uint32_t size);
    // Pushes buffered records to the file.
    bool flush();
    // Flushes and closes; the file is complete when this returns true.
    bool close();

    bool isOpen() const { return fd_ >= 0; }
    bool failed() const { return !error_.empty(); }
    const std::string &error() const { return error_; }
    // The OS error of the failure (ENOSPC, EPIPE, ...), 0 if none.
    int errorNumber() const { return errno_; }
    uint64_t recordCount() const { return records_; }
    // Sample bytes of those records (their headers not counted).
    uint64_t sampleBytes() const { return sampleBytes_; }
    const std::string &path() const { return path_; }

private:
    bool fail(const char *what, int error);
    bool writeOut(const uint8_t *data, size_t size);
    bool flushBuffer();

    int fd_ = -1;
    std::string path_;
    std::string error_;
    int errno_ = 0;
    std::vector<uint8_t> buffer_;
    size_t used_ = 0;
    uint64_t records_ = 0;          // appended, in the file or in the buffer
    uint64_t bufferedRecords_ = 0;  // of those, still in the buffer
    uint64_t sampleBytes_ = 0;
    uint64_t bufferedSampleBytes_ = 0;
    uint64_t fileBytes_ = 0;  // whole records (and the header) in the file
};

}  // namespace zuv::recording
