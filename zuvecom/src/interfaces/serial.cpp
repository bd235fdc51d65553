#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "fdWrite.h"
#include "osError.h"
#include "zuvInterfaceSerial.h"

namespace {

struct SerialState {
    int fd = -1;
};

constexpr int kWriteTimeoutMs = 1000;

struct BaudEntry {
    uint32_t rate;
    speed_t speed;
};

constexpr BaudEntry kBaudRates[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

bool speedFor(uint32_t baudRate, speed_t *pSpeed) {
    for (const BaudEntry &entry : kBaudRates) {
        if (entry.rate == baudRate) {
            *pSpeed = entry.speed;
            return true;
        }
    }
    return false;
}

SerialState *stateOf(ZuvInterface *pInterface) {
    if (pInterface == nullptr || pInterface->type != ZUV_IF_TYPE_SERIAL) {
        return nullptr;
    }
    return static_cast<SerialState *>(pInterface->handle);
}

ZuvErrorCode applySpeed(int fd, speed_t speed) {
    termios options{};
    if (tcgetattr(fd, &options) != 0) {
        return ZUV_ERROR;
    }
    cfmakeraw(&options);
    options.c_cflag |= (CLOCAL | CREAD);
    options.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
    options.c_cc[VMIN] = 0;
    options.c_cc[VTIME] = 0;
    if (cfsetispeed(&options, speed) != 0 || cfsetospeed(&options, speed) != 0) {
        return ZUV_INVALID_PARAMETER;
    }
    return tcsetattr(fd, TCSANOW, &options) == 0 ? ZUV_NO_ERROR : ZUV_ERROR;
}

// USB adapters hold received bytes up to 16 ms by default; low latency hands
// them over at once. Drivers without the ioctl (a pseudo-terminal) refuse it,
// and that changes nothing.
void requestLowLatency(int fd) {
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) == 0 && (serial.flags & ASYNC_LOW_LATENCY) == 0) {
        serial.flags |= ASYNC_LOW_LATENCY;
        ::ioctl(fd, TIOCSSERIAL, &serial);
    }
}

ZuvErrorCode serialRead(ZuvInterface *pInterface, void *pBuffer, size_t *pReadBytes, size_t bytesToRead) {
    SerialState *state = stateOf(pInterface);
    if (state == nullptr) {
        return ZUV_NULL_POINTER;
    }
    *pReadBytes = 0;
    for (;;) {
        const ssize_t got = ::read(state->fd, pBuffer, bytesToRead);
        if (got > 0) {
            *pReadBytes = static_cast<size_t>(got);
            return ZUV_NO_ERROR;
        }
        if (got == 0) {
            // In raw mode "nothing yet" and a hung-up line both read 0; only poll tells them apart.
            pollfd pfd{state->fd, POLLIN, 0};
            const bool hungUp = ::poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
            return hungUp ? ZUV_READ_ERROR : ZUV_NO_ERROR;
        }
        if (errno == EINTR) {
            continue;
        }
        return (errno == EAGAIN || errno == EWOULDBLOCK) ? ZUV_NO_ERROR : ZUV_READ_ERROR;
    }
}

ZuvErrorCode serialWrite(ZuvInterface *pInterface, const void *pBuffer, size_t bytesToWrite) {
    SerialState *state = stateOf(pInterface);
    if (state == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return zuv::detail::writeAllNonBlocking(state->fd, pBuffer, bytesToWrite, kWriteTimeoutMs);
}

ZuvInterfaceWaitResult serialWait(ZuvInterface *pInterface, uint32_t timeoutMs) {
    SerialState *state = stateOf(pInterface);
    if (state == nullptr) {
        return ZUV_IF_WAIT_READABLE;  // the read reports the bad record
    }
    return zuv::detail::waitReadable(state->fd, timeoutMs);
}

ZuvErrorCode serialFlush(ZuvInterface *pInterface) {
    SerialState *state = stateOf(pInterface);
    if (state == nullptr) {
        return ZUV_NULL_POINTER;
    }
    return tcflush(state->fd, TCIFLUSH) == 0 ? ZUV_NO_ERROR : ZUV_ERROR;
}

}  // namespace

extern "C" {

int zuvInterfaceSerialIsBaudRateSupported(uint32_t baudRate) {
    speed_t speed;
    return speedFor(baudRate, &speed) ? 1 : 0;
}

ZuvErrorCode zuvInterfaceSerialCreate(ZuvInterface *pInterface, const char *deviceName, uint32_t baudRate) {
    if (pInterface == nullptr || deviceName == nullptr) {
        return ZUV_NULL_POINTER;
    }
    zuv::detail::RecordOsError(0);
    speed_t speed;
    if (!speedFor(baudRate, &speed)) {
        return ZUV_INVALID_PARAMETER;
    }
    const int fd = ::open(deviceName, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        zuv::detail::RecordOsError(errno);
        return ZUV_ERROR;
    }
    // Stale bytes go before the speed is set: a device that waits for the
    // right speed (as the simulator does) may start sending right after it.
    tcflush(fd, TCIOFLUSH);
    const ZuvErrorCode setup = applySpeed(fd, speed);
    if (setup != ZUV_NO_ERROR) {
        zuv::detail::RecordOsError(errno);
        ::close(fd);
        return setup;
    }
    requestLowLatency(fd);
    auto *state = new (std::nothrow) SerialState{fd};
    if (state == nullptr) {
        ::close(fd);
        return ZUV_MALLOC_FAILED;
    }
    zuvInterfaceZeroInit(pInterface);
    pInterface->handle = state;
    pInterface->type = ZUV_IF_TYPE_SERIAL;
    std::snprintf(pInterface->name, sizeof(pInterface->name), "%s", deviceName);
    pInterface->pDestroyFunc = zuvInterfaceSerialDestroy;
    pInterface->pReadFunc = serialRead;
    pInterface->pWriteFunc = serialWrite;
    pInterface->pFlushFunc = serialFlush;
    pInterface->pWaitFunc = serialWait;
    return ZUV_NO_ERROR;
}

ZuvErrorCode zuvInterfaceSerialDestroy(ZuvInterface *pInterface) {
    SerialState *state = stateOf(pInterface);
    if (state == nullptr) {
        return ZUV_NULL_POINTER;
    }
    const int rc = ::close(state->fd);
    delete state;
    zuvInterfaceZeroInit(pInterface);
    return rc == 0 ? ZUV_NO_ERROR : ZUV_ERROR;
}

ZuvErrorCode zuvInterfaceSerialChangeBaudRate(ZuvInterface *pInterface, uint32_t baudRate) {
    SerialState *state = stateOf(pInterface);
    if (state == nullptr) {
        return ZUV_NULL_POINTER;
    }
    speed_t speed;
    if (!speedFor(baudRate, &speed)) {
        return ZUV_INVALID_PARAMETER;
    }
    return applySpeed(state->fd, speed);
}

}  // extern "C"
