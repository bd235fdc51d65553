#include "zrecWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "zrecFormat.h"

namespace zuv::recording {

namespace {
constexpr size_t kBufferSize = size_t{1} << 16;
}

ZrecWriter::~ZrecWriter() {
    close();
}

bool ZrecWriter::fail(const char *what, int error) {
    if (error_.empty()) {
        errno_ = error;
        error_ = path_ + ": " + what + ": " + std::strerror(error);
    }
    return false;
}

// Writes all of it or fails; on failure the file is cut back to its last
// whole record (a regular file; a device or pipe cannot be cut) and the
// records that did not make it are no longer counted.
bool ZrecWriter::writeOut(const uint8_t *data, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(fd_, data + done, size - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        fail("cannot write", n < 0 ? errno : ENOSPC);
        if (done > 0 && ::ftruncate(fd_, static_cast<off_t>(fileBytes_)) != 0) {
            // Nothing more to do: the error already names the write failure.
        }
        records_ -= bufferedRecords_;
        sampleBytes_ -= bufferedSampleBytes_;
        bufferedRecords_ = bufferedSampleBytes_ = 0;
        used_ = 0;
        return false;
    }
    fileBytes_ += size;
    return true;
}

bool ZrecWriter::flushBuffer() {
    if (used_ == 0) return true;
    if (!writeOut(buffer_.data(), used_)) return false;
    used_ = 0;
    bufferedRecords_ = bufferedSampleBytes_ = 0;
    return true;
}

bool ZrecWriter::open(const std::string &path) {
    close();
    path_ = path;
    error_.clear();
    errno_ = 0;
    records_ = bufferedRecords_ = fileBytes_ = sampleBytes_ = bufferedSampleBytes_ = 0;
    used_ = 0;
    if (buffer_.size() < kBufferSize) buffer_.assign(kBufferSize, 0);
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) return fail("cannot create", errno);
    std::memcpy(buffer_.data(), kMagic, 4);
    storeLe32(buffer_.data() + 4, kVersion);
    used_ = kHeaderSize;
    return true;
}

bool ZrecWriter::append(int64_t timestampUs, const uint8_t *bytes, uint32_t size) {
    if (fd_ < 0 || failed()) return false;
    const size_t total = kRecordHeaderSize + size_t{size};
    if (used_ + total > buffer_.size() && !flushBuffer()) return false;
    if (total > buffer_.size()) {
        // Larger than the whole buffer: out directly, header first.
        uint8_t head[kRecordHeaderSize];
        storeLe64(head, static_cast<uint64_t>(timestampUs));
        storeLe32(head + 8, size);
        const uint64_t recordStart = fileBytes_;
        if (!writeOut(head, sizeof head)) return false;
        fileBytes_ = recordStart;  // a header alone is not a whole record
        ++records_;
        ++bufferedRecords_;
        sampleBytes_ += size;
        bufferedSampleBytes_ += size;
        if (!writeOut(bytes, size)) return false;
        fileBytes_ = recordStart + total;
        bufferedRecords_ = bufferedSampleBytes_ = 0;
        return true;
    }
    uint8_t *at = buffer_.data() + used_;
    storeLe64(at, static_cast<uint64_t>(timestampUs));
    storeLe32(at + 8, size);
    if (size > 0) std::memcpy(at + kRecordHeaderSize, bytes, size);
    used_ += total;
    ++records_;
    ++bufferedRecords_;
    sampleBytes_ += size;
    bufferedSampleBytes_ += size;
    return true;
}

bool ZrecWriter::flush() {
    if (fd_ < 0 || failed()) return !failed();
    return flushBuffer();
}

bool ZrecWriter::close() {
    if (fd_ < 0) return !failed();
    if (!failed()) flushBuffer();
    if (::close(fd_) != 0) fail("cannot close", errno);
    fd_ = -1;
    return !failed();
}

}  // namespace zuv::recording
