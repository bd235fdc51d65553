// Calendar time for the UTC, GNSS and NMEA fields of the logs.
#pragma once

#include <cstdint>

namespace zuv::sim {

struct CalendarTime {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    int32_t nanosecond = 0;
};

CalendarTime calendarFromUnixUs(int64_t unixUs);
// GPS time of week in milliseconds (GPS time runs 18 s ahead of UTC).
uint32_t gpsTimeOfWeekMs(int64_t unixUs);

}  // namespace zuv::sim
