#include "zrecReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "zrecFormat.h"

namespace zuv::recording {

namespace {
// A corrupt byte count must not make us reserve gigabytes before we learn
// that the file is shorter: the buffer grows by this much per read.
constexpr size_t kReadChunk = size_t{1} << 20;
}  // namespace

ZrecReader::~ZrecReader() { close(); }

void ZrecReader::close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

size_t ZrecReader::readUpTo(uint8_t *into, size_t size) {
    size_t got = std::fread(into, 1, size, file_);
    offset_ += got;
    return got;
}

bool ZrecReader::open(const std::string &path) {
    close();
    path_ = path;
    error_.clear();
    offset_ = truncatedAt_ = records_ = 0;
    finished_ = false;
    errno = 0;
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) {
        error_ = path + ": cannot open: " + std::strerror(errno);
        return false;
    }
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
}

ZrecStatus ZrecReader::next(ZrecRecord &record) {
    if (file_ == nullptr || finished_) return ZrecStatus::End;
    const uint64_t start = offset_;
    uint8_t head[kRecordHeaderSize];
    size_t got = readUpTo(head, sizeof head);
    uint32_t size = 0;
    bool complete = false;
    if (got == sizeof head) {
        size = loadLe32(head + 8);
        size_t have = 0;
        while (have < size) {
            size_t chunk = std::min<size_t>(size - have, kReadChunk);
            if (buffer_.size() < have + chunk) buffer_.resize(have + chunk);
            size_t n = readUpTo(buffer_.data() + have, chunk);
            have += n;
            if (n < chunk) break;
        }
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
        error_ = path_ + ": truncated record at byte offset " + std::to_string(start) + " (" +
                 std::to_string(offset_ - start) + " of " +
                 (got == sizeof head ? std::to_string(kRecordHeaderSize + size) : std::string("at least 12")) +
                 " bytes present)";
        return ZrecStatus::Truncated;
    }
    record.timestampUs = static_cast<int64_t>(loadLe64(head));
    record.size = size;
    static const uint8_t kNoBytes = 0;
    record.bytes = size > 0 ? buffer_.data() : &kNoBytes;
    record.offset = start;
    ++records_;
    return ZrecStatus::Record;
}

}  // namespace zuv::recording
