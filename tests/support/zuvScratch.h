// A temporary folder for one tool run's files, removed with everything in it,
// and a whole-file read: what the tests that run `zuv` as a process share.
#pragma once

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace zuv::test {

class Scratch {
public:
    Scratch() {
        char name[] = "/tmp/zuv_cli_XXXXXX";
        if (mkdtemp(name) == nullptr) std::abort();
        path_ = name;
    }
    ~Scratch() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    Scratch(const Scratch &) = delete;
    Scratch &operator=(const Scratch &) = delete;
    std::string file(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace zuv::test
