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
constexpr int kFifoPollMs = 50;
}  // namespace

ZrecReader::ZrecReader(uint32_t maxRecordSize) : maxRecordSize_(maxRecordSize) {}

ZrecReader::~ZrecReader() {
    close();
}

void ZrecReader::close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

size_t ZrecReader::readUpTo(uint8_t *into, size_t size) {
    size_t got = std::fread(into, 1, size, file_);
    offset_ += got;
    return got;
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
        file_ = ::fdopen(fd, "rb");
        if (file_ == nullptr) ::close(fd);
    } else {
        file_ = std::fopen(path.c_str(), "rb");
    }
    if (file_ == nullptr) {
        error_ = path + ": cannot open: " + std::strerror(errno);
        return false;
    }
    seekable_ = ::fstat(fileno(file_), &st) == 0 && S_ISREG(st.st_mode);
    fileSize_ = seekable_ ? static_cast<uint64_t>(st.st_size) : 0;
    return true;
}

bool ZrecReader::open(const std::string &path, const std::function<bool()> &shouldStop) try {
    close();
    path_ = path;
    error_.clear();
    offset_ = truncatedAt_ = records_ = 0;
    finished_ = false;
    buffer_.assign(std::max<size_t>(maxRecordSize_, kMinBuffer), 0);
    if (!openFile(path, shouldStop)) return false;
    uint8_t header[kHeaderSize];
    size_t got = readUpTo(header, sizeof header);
    if (std::ferror(file_)) {
        error_ = path + ": cannot read: " + std::strerror(errno);
    } else if (got < sizeof header || std::memcmp(header, kMagic, 4) != 0) {
        error_ = path + ": not a recording (no ZREC header)";
    } else if (loadLe32(header + 4) != kVersion) {
        error_ = path + ": unsupported recording version " + std::to_string(loadLe32(header + 4));
    }
    if (!error_.empty()) {
        close();
        return false;
    }
    return true;
} catch (...) {
    close();
    error_ = path + ": cannot open: out of memory";
    return false;
}

// Returns how many of `size` bytes were passed over (fewer at the end of the file).
uint64_t ZrecReader::skip(uint64_t size) {
    if (seekable_) {
        if (offset_ + size > fileSize_) {
            // The file may have grown since open (a recording still being written).
            struct stat st {};
            if (::fstat(fileno(file_), &st) == 0) fileSize_ = static_cast<uint64_t>(st.st_size);
        }
        uint64_t present = std::min(size, fileSize_ > offset_ ? fileSize_ - offset_ : 0);
        if (present > 0 && fseeko(file_, static_cast<off_t>(present), SEEK_CUR) != 0) return 0;
        offset_ += present;
        return present;
    }
    uint64_t passed = 0;
    while (passed < size) {
        size_t chunk = static_cast<size_t>(std::min<uint64_t>(size - passed, buffer_.size()));
        size_t n = readUpTo(buffer_.data(), chunk);
        passed += n;
        if (n < chunk) break;
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
    if (file_ == nullptr || finished_) return ZrecStatus::End;
    const uint64_t start = offset_;
    uint8_t head[kRecordHeaderSize];
    size_t got = readUpTo(head, sizeof head);
    uint32_t size = 0;
    bool complete = false;
    bool oversized = false;
    if (got == sizeof head) {
        size = loadLe32(head + 8);
        oversized = size > maxRecordSize_;
        uint64_t have = oversized ? skip(size) : readUpTo(buffer_.data(), size);
        complete = have == size;
    }
    if (std::ferror(file_)) {
        finished_ = true;
        error_ = path_ + ": cannot read at byte offset " + std::to_string(offset_) + ": " + std::strerror(errno);
        return ZrecStatus::ReadError;
    }
    if (got == 0) {
        finished_ = true;
        return ZrecStatus::End;
    }
    if (!complete) {
        finished_ = true;
        truncatedAt_ = start;
        error_ =
            path_ + ": truncated record at byte offset " + std::to_string(start) + " (" +
            std::to_string(offset_ - start) + " of " +
            (got == sizeof head ? std::to_string(kRecordHeaderSize + uint64_t{size}) : std::string("at least 12")) +
            " bytes present)";
        return ZrecStatus::Truncated;
    }
    record.timestampUs = static_cast<int64_t>(loadLe64(head));
    record.size = size;
    record.offset = start;
    if (oversized) {
        record.bytes = nullptr;
        return ZrecStatus::Oversized;
    }
    record.bytes = buffer_.data();
    ++records_;
    return ZrecStatus::Record;
}

}  // namespace zuv::recording
