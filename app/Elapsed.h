#pragma once

#include <cmath>
#include <cstdint>

// Time since `start` on a clock of seconds (or milliseconds) of the day. When the day changed in
// between, the difference is negative and one clock cycle of `hoursPerDay` hours is added; with a
// 12-hour cycle that can take two cycles, so it is added until the result is no longer negative.
inline std::int32_t Elapsed(std::int64_t now, std::int64_t start, int hoursPerDay,
                            std::int64_t unitsPerHour = 3600) {
    // A cycle of 0 hours would never end a step: such a value can only come from a damaged
    // settings file, and a day has 24 hours.
    const std::int64_t cycle = std::int64_t(hoursPerDay > 0 ? hoursPerDay : 24) * unitsPerHour;
    std::int64_t d = now - start;
    if (d < 0)
        d += ((-d + cycle - 1) / cycle) * cycle;
    return std::int32_t(d);
}

// Rounds to the nearest integer, ties to the even neighbour (2.5 gives 2, 7.5 gives 8).
inline int RoundEven(double x) {
    return int(std::nearbyint(x));
}
