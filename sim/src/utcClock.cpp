#include "utcClock.h"

namespace zuv::sim {

namespace {
constexpr int64_t kUsPerDay = 86400000000LL;
constexpr int64_t kGpsEpochUnixS = 315964800;  // 1980-01-06
constexpr int64_t kLeapSeconds = 18;
constexpr int64_t kMsPerWeek = 7LL * 86400 * 1000;

int64_t floorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}
}  // namespace

CalendarTime calendarFromUnixUs(int64_t unixUs) {
    const int64_t days = floorDiv(unixUs, kUsPerDay);
    const int64_t inDay = unixUs - days * kUsPerDay;
    // Days to civil date (proleptic Gregorian), counting eras of 400 years from 0000-03-01.
    const int64_t z = days + 719468;
    const int64_t era = floorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    CalendarTime c;
    c.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    c.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    c.year = static_cast<int>(yoe + era * 400 + (c.month <= 2 ? 1 : 0));
    const int64_t seconds = inDay / 1000000;
    c.hour = static_cast<int>(seconds / 3600);
    c.minute = static_cast<int>(seconds / 60 % 60);
    c.second = static_cast<int>(seconds % 60);
    c.nanosecond = static_cast<int32_t>(inDay % 1000000 * 1000);
    return c;
}

uint32_t gpsTimeOfWeekMs(int64_t unixUs) {
    const int64_t gpsMs = floorDiv(unixUs, 1000) - kGpsEpochUnixS * 1000 + kLeapSeconds * 1000;
    const int64_t ofWeek = gpsMs - floorDiv(gpsMs, kMsPerWeek) * kMsPerWeek;
    return static_cast<uint32_t>(ofWeek);
}

}  // namespace zuv::sim
