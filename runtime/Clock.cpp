#include "runtime/Clock.h"

#include <algorithm>
#include <ctime>

namespace rt {

// Read many times a second while a sequence runs. Qt's local time asks the C library to read the
// time zone anew on every call (a look at /etc/localtime each time); localtime_r keeps the zone
// it has, with its summer-time rules, and the zone itself is read again once a minute, so that a
// change of the system's zone shows within a minute.
int SystemClock::msOfDay() const {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    if (now.tv_sec >= nextZoneCheck_) {
        tzset();
        nextZoneCheck_ = now.tv_sec + 60;
    }
    tm local{};
    if (!localtime_r(&now.tv_sec, &local))
        return 0;
    const int second = std::min(local.tm_sec, 59); // a leap second stays within the day
    return ((local.tm_hour * 60 + local.tm_min) * 60 + second) * 1000 +
           int(now.tv_nsec / 1'000'000);
}

} // namespace rt
