// Writing a whole buffer to a non-blocking descriptor, waiting for room with
// poll, bounded in time so that a stuck link reports an error instead of hanging.
#pragma once

#include <cstddef>

#include "zuvErrorCodes.h"

namespace zuv::detail {

ZuvErrorCode writeAllNonBlocking(int fd, const void *pBuffer, size_t size, int timeoutMs);

}  // namespace zuv::detail
