// Which library calls the device links of frame readers use.
//
// Production readers use the zuvECom library. A test package replaces the table
// before it creates a reader, so that the reader's /dev/ttyUSB scan finds a
// simulator instead of touching /dev.
// Errors: none. Threading: set before creating readers; reads are atomic.
#pragma once

#include "ZuvLinkCalls.h"

namespace zuv {

// The table for links created from now on. Null goes back to the library.
// The table must outlive every reader created while it is set.
void SetReaderLinkCalls(const ZuvLinkCalls *calls);
const ZuvLinkCalls &ReaderLinkCalls();

}  // namespace zuv
