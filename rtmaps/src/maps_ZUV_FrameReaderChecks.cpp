// Start-up checks of the frame reader: link properties in range before any
// open (a 64-bit property cast to 32 bits would bind or send somewhere else),
// and the host's dying state as the library's abort check.
#include <string>

#include "maps_ZUV_FrameReader.h"

namespace {

constexpr long long kMaxPort = 65535;
constexpr long long kMaxBaudRate = 4000000;

struct RangeCheck {
    const char *property;
    long long low;
    long long high;
};

constexpr RangeCheck kSerialChecks[] = {{"pBaudRate", 1, kMaxBaudRate}};
constexpr RangeCheck kUdpChecks[] = {{"pRemotePort", 0, kMaxPort}, {"pLocalPort", 0, kMaxPort}};
constexpr RangeCheck kAuxChecks[] = {{"pAuxBaudRate", 1, kMaxBaudRate}};

}  // namespace

int MAPSZUV_FrameReader::abortWhenDying(void *reader) {
    return static_cast<MAPSZUV_FrameReader *>(reader)->IsDying() ? 1 : 0;
}

bool MAPSZUV_FrameReader::propertyInRange(const char *property, long long low, long long high) {
    long long value = 0;
    Get(Property(property), value);
    if (value >= low && value <= high) {
        return true;
    }
    const std::string text = std::string(property) + " " + std::to_string(value) + " is out of range (" +
                             std::to_string(low) + " to " + std::to_string(high) + ").";
    Report(text.c_str(), 2);
    return false;
}

bool MAPSZUV_FrameReader::linkPropertiesInRange() {
    MAPSEnumStruct interfaceChoice;
    Get(Property("pInterface"), interfaceChoice);
    const MAPSString interfaceText = interfaceChoice.SelectedText();
    bool ok = true;
    auto checkAll = [&](const auto &checks) {
        for (const RangeCheck &check : checks) {
            ok = propertyInRange(check.property, check.low, check.high) && ok;
        }
    };
    if (interfaceText == "Serial") {
        checkAll(kSerialChecks);
    } else if (interfaceText == "UDP") {
        checkAll(kUdpChecks);
    }
    MAPSString auxPort;
    Get(Property("pAuxComPort"), auxPort);
    if (!auxPort.IsEmpty()) {
        checkAll(kAuxChecks);
    }
    return ok;
}
