#include "zrecReader.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zuv::recording {

namespace {
// Reading through an oversized record on a pipe needs some room even when
// every record delivered is tiny.
constexpr size_t kMinBuffer = 4096;
constexpr size_t kBlock = 65536;
constexpr int kFifoPollMs = 50;
}  // namespace

ZrecReader::ZrecReader(uint32_t maxRecordSize) : maxRecordSize_(maxRecordSize) {}

ZrecReader::~ZrecReader() {
    close();
}

void ZrecReader::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool ZrecReader::fill(size_t size) {
    if (end_ - pos_ >= size) return true;
    if (pos_ + size > buffer_.size()) {
        std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
        end_ -= pos_;
        pos_ = 0;
    }
    while (end_ - pos_ < size) {
        const ssize_t n = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
        if (n > 0) {
            end_ += static_cast<size_t>(n);
        } else if (n == 0) {
            return false;
        } else if (errno != EINTR) {
            readError_ = errno;
            return false;
        }
    }
    return true;
}

// A FIFO's open() blocks until a writer comes, deaf to a stop request: open
// it without blocking and wait for the writer in slices instead.
bool ZrecReader::openFile(const std::string &path, const std::function<bool()> &shouldStop) {
    struct stat st {};
    errno = 0;
    if (::stat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode)) {
        int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            error_ = path + ": cannot open: " + std::strerror(errno);
            return false;
        }
        for (;;) {
            if (shouldStop && shouldStop()) {
                ::close(fd);
                error_ = path + ": stopped while waiting for a writer";
                return false;
            }
            pollfd pfd{fd, POLLIN, 0};
            if (::poll(&pfd, 1, kFifoPollMs) > 0) break;
        }
        int flags = ::fcntl(fd, F_GETFL);
        if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
        fd_ = fd;
    } else {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    }
    if (fd_ < 0) {
        error_ = path + ": cannot open: " + std::strerror(errno);
        return false;
    }
    seekable_ = ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode);
    fileSize_ = seekable_ ? static_cast<uint64_t>(st.st_size) : 0;
    return true;
}

bool ZrecReader::open(const std::string &path, const std::function<bool()> &shouldStop) try {
    close();
    path_ = path;
    error_.clear();
    offset_ = truncatedAt_ = records_ = 0;
    pos_ = end_ = 0;
    readError_ = 0;
    finished_ = false;
    buffer_.assign(std::max<size_t>(maxRecordSize_, kMinBuffer) + kRecordHeaderSize + kBlock, 0);
    if (!openFile(path, shouldStop)) return false;
    const bool got = fill(kHeaderSize);
    const uint8_t *header = buffer_.data() + pos_;
    if (readError_ != 0) {
        error_ = path + ": cannot read: " + std::strerror(readError_);
    } else if (!got || std::memcmp(header, kMagic, 4) != 0) {
        error_ = path + ": not a recording (no ZREC header)";
    } else if (loadLe32(header + 4) != kVersion) {
        error_ = path + ": unsupported recording version " + std::to_string(loadLe32(header + 4));
    }
    if (!error_.empty()) {
        close();
        return false;
    }
    pos_ += kHeaderSize;
    offset_ = kHeaderSize;
    return true;
} catch (...) {
    close();
    error_ = path + ": cannot open: out of memory";
    return false;
}

// Passes over `size` bytes from pos_ on; returns how many there were (fewer
// at the end of the file).
uint64_t ZrecReader::skip(uint64_t size) {
    const uint64_t held = std::min<uint64_t>(size, end_ - pos_);
    pos_ += static_cast<size_t>(held);
    offset_ += held;
    if (held == size) return size;
    pos_ = end_ = 0;
    const uint64_t rest = size - held;
    if (seekable_) {
        if (offset_ + rest > fileSize_) {
            // The file may have grown since open (a recording still being written).
            struct stat st {};
            if (::fstat(fd_, &st) == 0) fileSize_ = static_cast<uint64_t>(st.st_size);
        }
        const uint64_t present = std::min(rest, fileSize_ > offset_ ? fileSize_ - offset_ : 0);
        if (present > 0 && ::lseek(fd_, static_cast<off_t>(present), SEEK_CUR) < 0) {
            readError_ = errno;
            return held;
        }
        offset_ += present;
        return held + present;
    }
    // Not past the record: what follows it is read into the window later.
    uint64_t passed = held;
    while (passed < size) {
        const size_t chunk = static_cast<size_t>(std::min<uint64_t>(size - passed, buffer_.size()));
        const ssize_t n = ::read(fd_, buffer_.data(), chunk);
        if (n > 0) {
            passed += static_cast<uint64_t>(n);
            offset_ += static_cast<uint64_t>(n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            readError_ = errno;
            break;
        }
    }
    return passed;
}

ZrecStatus ZrecReader::next(ZrecRecord &record) {
    try {
        return readNext(record);
    } catch (...) {
        finished_ = true;
        error_ = path_ + ": cannot read at byte offset " + std::to_string(offset_);
        return ZrecStatus::ReadError;
    }
}

ZrecStatus ZrecReader::readNext(ZrecRecord &record) {
    if (fd_ < 0 || finished_) return ZrecStatus::End;
    const uint64_t start = offset_;
    const bool gotHead = fill(kRecordHeaderSize);
    uint32_t size = 0;
    bool complete = false;
    bool oversized = false;
    int64_t timestamp = 0;
    uint64_t present = end_ - pos_;  // bytes of this record in the file, when cut short
    if (gotHead) {
        const uint8_t *head = buffer_.data() + pos_;
        timestamp = static_cast<int64_t>(loadLe64(head));
        size = loadLe32(head + 8);
        oversized = size > maxRecordSize_;
        if (oversized) {
            pos_ += kRecordHeaderSize;
            offset_ += kRecordHeaderSize;
            const uint64_t have = skip(size);
            complete = have == size;
            present = kRecordHeaderSize + have;
        } else {
            complete = fill(kRecordHeaderSize + size_t{size});
            present = end_ - pos_;
        }
    }
    if (readError_ != 0) {
        finished_ = true;
        error_ = path_ + ": cannot read at byte offset " + std::to_string(start + present) + ": " +
                 std::strerror(readError_);
        return ZrecStatus::ReadError;
    }
    if (present == 0) {
        finished_ = true;
        return ZrecStatus::End;
    }
    if (!complete) {
        finished_ = true;
        truncatedAt_ = start;
        offset_ = start + present;
        pos_ = end_ = 0;
        error_ = path_ + ": truncated record at byte offset " + std::to_string(start) + " (" + std::to_string(present) +
                 " of " + (gotHead ? std::to_string(kRecordHeaderSize + uint64_t{size}) : std::string("at least 12")) +
                 " bytes present)";
        return ZrecStatus::Truncated;
    }
    record.timestampUs = timestamp;
    record.size = size;
    record.offset = start;
    if (oversized) {
        record.bytes = nullptr;
        return ZrecStatus::Oversized;
    }
    record.bytes = buffer_.data() + pos_ + kRecordHeaderSize;
    pos_ += kRecordHeaderSize + size_t{size};
    offset_ = start + kRecordHeaderSize + size;
    ++records_;
    return ZrecStatus::Record;
}

}  // namespace zuv::recording
