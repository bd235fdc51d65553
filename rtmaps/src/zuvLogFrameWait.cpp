#include "zuvLogFrameWait.h"

#include "zuvPlatform.h"

namespace zuv {
namespace {
uint32_t platformNow() {
    return zuvGetTime();
}
void platformSleep(uint32_t ms) {
    zuvSleep(ms);
}
}  // namespace

const WaitClock &PlatformWaitClock() {
    static const WaitClock clock{&platformNow, &platformSleep};
    return clock;
}

}  // namespace zuv
