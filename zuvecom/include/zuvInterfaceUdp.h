// UDP link: bound to a local port, sending every write as one datagram to the
// remote IPv4 address and port, and taking datagrams from that address and port
// only (remote address 0, "0.0.0.0", takes them from any sender). The port is
// not shared: a second bind of it fails while the link is open. A datagram larger than one read's room is kept
// and served over the following reads, so no byte is lost to truncation; the
// wait (pWaitFunc) answers readable at once while such a rest is held.
// The address uses the helpers' byte order (first octet least significant).
// Errors: ZUV_NULL_POINTER, ZUV_INVALID_PARAMETER for a port above 65535,
// ZUV_ERROR when the socket cannot be created or bound (nothing is left open),
// ZUV_READ_ERROR/ZUV_WRITE_ERROR on socket failures.
// Threading: as any interface, one user at a time.
#pragma once

#include "zuvInterface.h"

#ifdef __cplusplus
extern "C" {
#endif

ZUVLIB_API ZuvErrorCode zuvInterfaceUdpCreate(ZuvInterface *pInterface, uint32_t remoteAddress, uint32_t remotePort,
                                              uint32_t localPort);
ZUVLIB_API ZuvErrorCode zuvInterfaceUdpDestroy(ZuvInterface *pInterface);
// Datagrams the kernel dropped for a full receive buffer since the link opened,
// as of the last datagram read.
ZUVLIB_API ZuvErrorCode zuvInterfaceUdpGetDropCount(ZuvInterface *pInterface, uint64_t *pDrops);
// The local port actually bound (useful with local port 0).
ZUVLIB_API ZuvErrorCode zuvInterfaceUdpGetLocalPort(ZuvInterface *pInterface, uint32_t *pLocalPort);

#ifdef __cplusplus
}
#endif
