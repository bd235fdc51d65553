#include "zuvNetwork.h"

#include <cstdio>
#include <cstring>

extern "C" {

void zuvNetworkIpToString(uint32_t ipAddress, char *pBuffer, size_t bufferSize) {
    if (pBuffer == nullptr || bufferSize == 0) {
        return;
    }
    std::snprintf(pBuffer, bufferSize, "%u.%u.%u.%u", ipAddress & 0xFFu, (ipAddress >> 8) & 0xFFu,
                  (ipAddress >> 16) & 0xFFu, (ipAddress >> 24) & 0xFFu);
}

uint32_t zuvNetworkIpFromString(const char *pText) {
    if (pText == nullptr) {
        return 0;
    }
    int octets[4];
    if (std::sscanf(pText, "%d.%d.%d.%d", &octets[0], &octets[1], &octets[2], &octets[3]) != 4) {
        return 0;
    }
    uint32_t address = 0;
    for (int i = 0; i < 4; ++i) {
        if (octets[i] < 0 || octets[i] > 255) {
            return 0;
        }
        address |= static_cast<uint32_t>(octets[i]) << (8 * i);
    }
    // Round trip through the canonical text: rejects leading zeros, blanks and trailing characters.
    char canonical[16];
    zuvNetworkIpToString(address, canonical, sizeof(canonical));
    return std::strcmp(canonical, pText) == 0 ? address : 0;
}

bool zuvIpNetMaskValid(uint32_t netMask) {
    if (netMask == 0) {
        return true;
    }
    const uint32_t b = __builtin_bswap32(netMask);
    return ((~b) & (0u - b)) == 0;
}

}  // extern "C"
