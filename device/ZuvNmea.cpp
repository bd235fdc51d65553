// NMEA side of the device link: the sentence queue and the checksum test.
// This link opens no auxiliary port, so nothing ever fills the queue here.
#include <cstdlib>

#include "ZuvCommunication.h"

namespace {

// A sentence whose '*' or carriage return stands beyond this index is refused.
constexpr size_t kLastPayloadIndex = 82;

}  // namespace

ZuvErrorCode CZuvCommunication::ReadAuxFrames() {
    return ZUV_DEVICE_NOT_FOUND;
}

ZuvErrorCode CZuvCommunication::ReadAuxFrame() {
    return ZUV_DEVICE_NOT_FOUND;
}

std::list<std::string> CZuvCommunication::PopNMEASentences() {
    std::list<std::string> sentences;
    sentences.swap(nmeaSentences_);
    return sentences;
}

bool CZuvCommunication::CheckNMEAChecksum(const char *sentence) {
    if (sentence == nullptr || sentence[0] == '\0') {
        return false;
    }
    uint8_t checksum = 0;
    size_t index = 1;  // the start character is not part of the sum
    for (;; ++index) {
        const char c = sentence[index];
        if (c == '*' || c == '\r') {
            break;
        }
        if (c == '\0' || index > kLastPayloadIndex) {
            return false;
        }
        checksum = static_cast<uint8_t>(checksum ^ static_cast<uint8_t>(c));
    }
    // Up to two characters after the stop character, never past the terminator.
    char digits[3] = {};
    for (size_t k = 0; k < 2 && sentence[index + 1 + k] != '\0'; ++k) {
        digits[k] = sentence[index + 1 + k];
    }
    char *end = nullptr;
    const long value = std::strtol(digits, &end, 16);
    // No digit at all is a missing checksum, not a checksum of 0.
    if (end == digits) {
        return false;
    }
    return value == checksum;
}
