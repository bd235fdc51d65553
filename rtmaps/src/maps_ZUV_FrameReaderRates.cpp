// Output-rate configuration of the frame reader: one command per rate property.
#include <string>

#include "maps_ZUV_FrameReader.h"
#include "zuvEComLogCatalogue.h"

void MAPSZUV_FrameReader::ConfigureOutputRate() {
    for (const zuv::catalogue::LogKind &kind : zuv::catalogue::kLogKinds) {
        if (IsDying()) {
            return;  // stopping: the rest would be abandoned one by one
        }
        SetOutputMode(kind.property, kind.msgId);
    }
}

void MAPSZUV_FrameReader::SetOutputMode(const char *propertyName, uint8_t log) {
    long long index = 0;
    Get(Property(propertyName), index);
    if (static_cast<unsigned long long>(index) >= zuv::catalogue::kRateChoiceCount) {
        return;
    }
    const uint32_t mode = zuv::catalogue::kRateChoices[index].mode;
    const ZuvErrorCode rc =
        link_.SetOutputConfiguration(static_cast<ZuvEComOutputPort>(0), static_cast<ZuvEComClass>(0),
                                     static_cast<ZuvEComLog>(log), static_cast<ZuvEComOutputMode>(mode));
    // Switching a log off that the device does not know is no news to the user.
    if (rc != ZUV_NO_ERROR && mode != 0) {
        const std::string text = std::string(propertyName) +
                                 " configuration failed! ZUV Error Code: " + std::to_string(static_cast<int>(rc)) + ".";
        Report(text.c_str(), 2);
    }
}
