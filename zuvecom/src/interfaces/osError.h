// The OS reason of the last failed open, kept per thread for
// zuvInterfaceGetLastOsError().
#pragma once

namespace zuv::detail {

void RecordOsError(int error);

}  // namespace zuv::detail
