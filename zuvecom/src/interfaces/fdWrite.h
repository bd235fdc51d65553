// Writing a whole buffer to a non-blocking descriptor, waiting for room with
// poll, bounded in time so that a stuck link reports an error instead of hanging;
// and the drivers' wait for readability.
#pragma once

#include <cstddef>
#include <cstdint>

#include "zuvInterface.h"

#include "zuvErrorCodes.h"

namespace zuv::detail {

ZuvErrorCode writeAllNonBlocking(int fd, const void *pBuffer, size_t size, int timeoutMs);

// poll for input; a hang-up, an error or a failing poll read as readable, so
// that the driver's next read reports them.
ZuvInterfaceWaitResult waitReadable(int fd, uint32_t timeoutMs);

}  // namespace zuv::detail
