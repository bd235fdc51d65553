// The library's own receive: reads into the protocol record's buffer, cuts frames
// out of it, hands log frames to the receive-log callback and command frames to
// whoever waits for an answer.
//
// Extraction follows the package's rules, so both leave the buffer alike: noise
// before a sync pair goes at once; a lone trailing 0xFF is kept; a length above
// 4086 or a wrong end byte costs only the sync pair (the search resumes at the
// third byte); a frame with a wrong CRC is dropped whole. Held bytes always sit
// at the start of the buffer, oldest first.
#pragma once

#include <cstddef>
#include <cstdint>

#include "zuvECom.h"

namespace zuv::protocol {

struct ReceivedFrame {
    uint8_t msgId;
    uint8_t msgClass;
    const uint8_t *pPayload;  // inside the receive buffer, valid until the frame is consumed
    size_t payloadSize;
};

// Sees the command frames (class 0x10) while a command waits.
class CommandFrameVisitor {
public:
    virtual ~CommandFrameVisitor() = default;
    // True when this frame settles the wait; it is consumed either way.
    virtual bool onCommandFrame(const ReceivedFrame &frame) = 0;
};

// One read into the free part of the buffer; *pReadBytes gets the count (0 on failure).
ZuvErrorCode readOnce(ZuvEComProtocol &protocol, size_t *pReadBytes);

// Finds the next complete, CRC-checked frame at the start of the buffer, dropping what
// cannot be one. False when no complete frame is held yet.
bool findFrame(ZuvEComProtocol &protocol, ReceivedFrame &frame);

// Removes the frame found last (payloadSize + 9 bytes) from the start of the buffer.
void consumeFrame(ZuvEComProtocol &protocol, const ReceivedFrame &frame);

// Takes every complete frame held: logs go to the callback, command frames to the visitor
// (dropped without one), other classes are dropped. Stops right after the frame that
// settles the visitor and returns true; later bytes stay held.
bool processHeldFrames(ZuvEComHandle &handle, CommandFrameVisitor *pVisitor);

}  // namespace zuv::protocol
