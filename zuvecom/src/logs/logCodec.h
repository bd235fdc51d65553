// How one log id is laid out: its minimum payload size and the two directions.
// Each family file defines the codecs of its logs; logTable.cpp maps ids to them.
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

extern const LogCodec kStatusCodec;
extern const LogCodec kUtcCodec;
extern const LogCodec kImuCodec;
extern const LogCodec kMagCodec;
extern const LogCodec kMagCalibCodec;
extern const LogCodec kEkfEulerCodec;
extern const LogCodec kEkfQuatCodec;
extern const LogCodec kEkfNavCodec;
extern const LogCodec kShipMotionCodec;
extern const LogCodec kGpsVelCodec;
extern const LogCodec kGpsPosCodec;
extern const LogCodec kGpsHdtCodec;
extern const LogCodec kOdometerCodec;
extern const LogCodec kEventCodec;
extern const LogCodec kDvlCodec;
extern const LogCodec kAirDataCodec;
extern const LogCodec kUsblCodec;

// Null for raw and opaque ids and for ids above 38.
const LogCodec *codecFor(uint8_t msgId);

}  // namespace zuv::logs
