#include "zrecWriter.h"

#include <cerrno>
#include <cstring>

#include "zrecFormat.h"

namespace zuv::recording {

ZrecWriter::~ZrecWriter() { close(); }

bool ZrecWriter::fail(const char *what) {
    if (error_.empty()) error_ = path_ + ": " + what + ": " + std::strerror(errno);
    return false;
}

bool ZrecWriter::open(const std::string &path) {
    close();
    path_ = path;
    error_.clear();
    records_ = 0;
    errno = 0;
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) return fail("cannot create");
    uint8_t header[kHeaderSize];
    std::memcpy(header, kMagic, 4);
    storeLe32(header + 4, kVersion);
    if (std::fwrite(header, 1, sizeof header, file_) != sizeof header) return fail("cannot write");
    return true;
}

bool ZrecWriter::append(int64_t timestampUs, const uint8_t *bytes, uint32_t size) {
    if (file_ == nullptr || failed()) return false;
    uint8_t head[kRecordHeaderSize];
    storeLe64(head, static_cast<uint64_t>(timestampUs));
    storeLe32(head + 8, size);
    if (std::fwrite(head, 1, sizeof head, file_) != sizeof head) return fail("cannot write");
    if (size > 0 && std::fwrite(bytes, 1, size, file_) != size) return fail("cannot write");
    ++records_;
    return true;
}

bool ZrecWriter::flush() {
    if (file_ == nullptr) return !failed();
    if (std::fflush(file_) != 0) return fail("cannot write");
    return !failed();
}

bool ZrecWriter::close() {
    if (file_ == nullptr) return !failed();
    if (std::fflush(file_) != 0) fail("cannot write");
    if (std::fclose(file_) != 0) fail("cannot close");
    file_ = nullptr;
    return !failed();
}

}  // namespace zuv::recording
