// The device end of a serial line: the master side of a pseudo-terminal.
// The host opens the slave (or the stable link to it) like any serial port.
// A pty has no line speed of its own; the slave's termios speed is what the host
// asked for, and the device compares it with its own port speed.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "zuvErrorCodes.h"

namespace zuv::sim {

class PtyPort {
public:
    PtyPort() = default;
    ~PtyPort();
    PtyPort(const PtyPort &) = delete;
    PtyPort &operator=(const PtyPort &) = delete;

    // Creates the pty (raw mode, so nothing is echoed back) and the optional link.
    ZuvErrorCode open(const std::string &linkPath, std::string &error);
    // Closes the master (the slave path disappears) and removes the link if it is ours.
    void close();

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const std::string &slavePath() const { return slavePath_; }

    // The speed the host side set, in bits per second; 0 when unknown.
    uint32_t hostSpeed() const;
    // Non-blocking; -1 with errno on failure (EIO while no host has the slave open).
    ssize_t read(uint8_t *buffer, size_t size);
    ssize_t write(const uint8_t *data, size_t size);

private:
    int fd_ = -1;
    std::string slavePath_;
    std::string linkPath_;
};

// termios speed constant <-> bits per second; 0 / false when termios has no such rate.
uint32_t baudFromSpeed(unsigned speed);
bool speedFromBaud(uint32_t baud, unsigned *pSpeed);

}  // namespace zuv::sim
