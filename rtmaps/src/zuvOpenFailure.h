// The OS side of a link that would not open: the errno text and, for a serial
// port the user may not open, the group that grants access and how to join it.
// Errors: empty text when there is no OS reason (osError 0).
// Threading: reentrant. Allocates (start-up only).
#pragma once

#include <string>

namespace zuv {

// `serialPort` is empty for a UDP link.
std::string OpenFailureReason(int osError, const std::string &serialPort);
// The group owning the device file; "dialout" (Debian's) when it cannot be read.
std::string DeviceGroup(const std::string &path);

}  // namespace zuv
