// Cutting a zuvECom byte stream into frames, on the protocol record that the
// device link's handle holds first.
//
// Errors (ZuvErrorCode): 0 a frame with a correct CRC was taken; 3 a
// well-formed frame with a wrong CRC was dropped; 8 a correct frame larger than
// maxSize was dropped; 2 null protocol, or a payload frame with no payload
// buffer (dropped); 10 no complete frame held yet. Interface read errors are
// not reported: they count as "no byte arrived".
// Threading: none of its own; one thread per protocol record. Never waits, never
// allocates: one bulk read, one move of the held bytes and the payload copy per call.
#pragma once

#include <cstddef>
#include <cstdint>

#include "zuvEComProtocol.h"

namespace zuv {

// At most one frame per call. msgClass, msgId, payload and payloadSize may be
// null; payloadSize is set to 0 on entry. frameCrc receives the CRC field as
// stored in the frame when a whole frame was examined.
ZuvErrorCode Quarvelis_zuvEComProtocolReceive(ZuvEComProtocol *protocol, uint8_t *msgClass, uint8_t *msgId,
                                              void *payload, size_t *payloadSize, size_t maxSize, uint16_t &frameCrc);

}  // namespace zuv
