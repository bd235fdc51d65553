// Link calls that open an in-memory interface instead of a port or socket, and
// run the real protocol over it: a test pushes the bytes a device sent (frames
// taken from the simulator) and the link's queries parse and cache them with
// the library's own receive path. The presence query always succeeds.
// Threading: one link at a time, from the test's thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ZuvLinkCalls.h"

namespace zuv::test {

const ZuvLinkCalls &MemoryLinkCalls();

// The interface the link opened last (null when none is open).
ZuvInterface *MemoryLinkInterface();
// Queues bytes for the link to read, one chunk per interface read.
void MemoryLinkPush(const std::vector<uint8_t> &bytes);
size_t MemoryLinkPending();

}  // namespace zuv::test
