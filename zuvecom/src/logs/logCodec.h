// How one log id is laid out: its minimum payload size and the two directions.
// logTable.cpp builds them from the catalogue's records and their field lists.
#pragma once

#include <cstddef>

#include "codec/wireBytes.h"
#include "zuvEComBinaryLogs.h"

namespace zuv::logs {

struct LogCodec {
    size_t layoutSize;
    void (*parse)(WireReader &reader, ZuvBinaryLogData &out);
    void (*encode)(WireWriter &writer, const ZuvBinaryLogData &log);
};

// Null for raw and opaque ids and for ids above 38.
const LogCodec *codecFor(uint8_t msgId);

}  // namespace zuv::logs
