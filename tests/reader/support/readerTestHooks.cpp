// Built into the test copy of the package only: lets a test hand the reader's
// device links a table of library calls of its own.
#include "zuvReaderLinkCalls.h"

extern "C" __attribute__((visibility("default"))) void zuvReaderTestSetLinkCalls(const ZuvLinkCalls *calls) {
    zuv::SetReaderLinkCalls(calls);
}
