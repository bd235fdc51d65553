// Temporary files and captured streams for the tool tests.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace zuv::test {

class TempPath {
public:
    explicit TempPath(const char *stem = "zuv_tool_test") {
        std::string templ = std::string("/tmp/") + stem + "_XXXXXX";
        std::vector<char> name(templ.begin(), templ.end());
        name.push_back('\0');
        int fd = mkstemp(name.data());
        if (fd >= 0) close(fd);
        path_ = name.data();
    }
    ~TempPath() { std::remove(path_.c_str()); }
    TempPath(const TempPath &) = delete;
    TempPath &operator=(const TempPath &) = delete;

    const std::string &path() const { return path_; }
    std::string text() const {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void write(const std::string &data) const {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out << data;
    }

private:
    std::string path_;
};

// An anonymous file standing in for stderr or stdout.
class CapturedStream {
public:
    CapturedStream() : file_(std::tmpfile()) {}
    ~CapturedStream() {
        if (file_ != nullptr) std::fclose(file_);
    }
    CapturedStream(const CapturedStream &) = delete;
    CapturedStream &operator=(const CapturedStream &) = delete;

    std::FILE *file() const { return file_; }
    std::string text() const {
        std::fflush(file_);
        std::string out;
        long end = std::ftell(file_);
        std::rewind(file_);
        out.resize(static_cast<size_t>(end > 0 ? end : 0));
        size_t got = std::fread(out.data(), 1, out.size(), file_);
        out.resize(got);
        std::fseek(file_, 0, SEEK_END);
        return out;
    }

private:
    std::FILE *file_;
};

}  // namespace zuv::test
