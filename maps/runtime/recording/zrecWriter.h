// Writes a .zrec recording.
// Errors: open, append and close return false once anything failed; error()
// then says what and where. After a failure the writer ignores further records
// (a recording with a hole in the middle would replay as something that never
// happened). Threading: one thread at a time; append allocates nothing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

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

    bool isOpen() const { return file_ != nullptr; }
    bool failed() const { return !error_.empty(); }
    const std::string &error() const { return error_; }
    uint64_t recordCount() const { return records_; }
    const std::string &path() const { return path_; }

private:
    bool fail(const char *what);

    std::FILE *file_ = nullptr;
    std::string path_;
    std::string error_;
    uint64_t records_ = 0;
};

}  // namespace zuv::recording
