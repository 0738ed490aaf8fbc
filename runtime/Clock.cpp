#include "runtime/Clock.h"

#include <ctime>

namespace rt {

std::int64_t SystemClock::nowMs() const {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return std::int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

} // namespace rt
