#include "ptyPort.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zuv::sim {

namespace {

struct SpeedEntry {
    uint32_t baud;
    speed_t speed;
};

constexpr SpeedEntry kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

// Points linkPath at target, replacing an older symbolic link but never a real file.
bool placeLink(const std::string &linkPath, const std::string &target, std::string &error) {
    struct stat info {};
    if (::lstat(linkPath.c_str(), &info) == 0 && !S_ISLNK(info.st_mode)) {
        error = linkPath + " exists and is not a symbolic link";
        return false;
    }
    // Build beside it, then rename: the link never points nowhere while it is replaced.
    const std::string temporary = linkPath + ".zuvsim" + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    if (::symlink(target.c_str(), temporary.c_str()) != 0 || ::rename(temporary.c_str(), linkPath.c_str()) != 0) {
        error = "cannot create the link " + linkPath + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

uint32_t baudFromSpeed(unsigned speed) {
    for (const SpeedEntry &entry : kSpeeds) {
        if (entry.speed == speed) {
            return entry.baud;
        }
    }
    return 0;
}

bool speedFromBaud(uint32_t baud, unsigned *pSpeed) {
    for (const SpeedEntry &entry : kSpeeds) {
        if (entry.baud == baud) {
            *pSpeed = entry.speed;
            return true;
        }
    }
    return false;
}

PtyPort::~PtyPort() {
    close();
}

ZuvErrorCode PtyPort::open(const std::string &linkPath, std::string &error) {
    close();
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 || ::grantpt(fd) != 0 || ::unlockpt(fd) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        if (fd >= 0) {
            ::close(fd);
        }
        return ZUV_ERROR;
    }
    char name[128];
    if (::ptsname_r(fd, name, sizeof(name)) != 0) {
        error = "cannot name the pseudo-terminal";
        ::close(fd);
        return ZUV_ERROR;
    }
    // Open the slave once: raw mode so that a host that forgets it does not echo
    // the device's answers back as commands, and the master then reports a hang-up
    // until a host opens the slave, so nothing piles up for nobody.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave >= 0) {
        termios options{};
        if (::tcgetattr(slave, &options) == 0) {
            ::cfmakeraw(&options);
            ::tcsetattr(slave, TCSANOW, &options);
        }
        ::close(slave);
    }
    if (!linkPath.empty() && !placeLink(linkPath, name, error)) {
        ::close(fd);
        return ZUV_ERROR;
    }
    fd_ = fd;
    slavePath_ = name;
    linkPath_ = linkPath;
    return ZUV_NO_ERROR;
}

void PtyPort::close() {
    if (fd_ < 0) {
        return;
    }
    ::close(fd_);
    fd_ = -1;
    if (!linkPath_.empty()) {
        char target[256];
        const ssize_t size = ::readlink(linkPath_.c_str(), target, sizeof(target) - 1);
        if (size > 0 && slavePath_ == std::string(target, static_cast<size_t>(size))) {
            ::unlink(linkPath_.c_str());
        }
    }
    slavePath_.clear();
}

uint32_t PtyPort::hostSpeed() const {
    // On Linux the master's termios calls act on the slave: this is the host's setting.
    termios options{};
    if (fd_ < 0 || ::tcgetattr(fd_, &options) != 0) {
        return 0;
    }
    const uint32_t output = baudFromSpeed(::cfgetospeed(&options));
    const uint32_t input = baudFromSpeed(::cfgetispeed(&options));
    // Input speed 0 means "as the output"; a split speed cannot talk to a device at one rate.
    return (input == 0 || input == output) ? output : 0;
}

ssize_t PtyPort::read(uint8_t *buffer, size_t size) {
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, size);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return got;
    }
}

ssize_t PtyPort::write(const uint8_t *data, size_t size) {
    for (;;) {
        const ssize_t written = ::write(fd_, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        return written;
    }
}

}  // namespace zuv::sim
