#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// Time from `start` to `now`, both readings of the board's clock, which only moves forward. After
// a very long sleep the result stays at the largest value instead of wrapping.
inline std::int32_t Elapsed(std::int64_t now, std::int64_t start) {
    const std::int64_t d = now - start;
    if (d <= 0)
        return 0;
    return d > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                                                        : std::int32_t(d);
}

// Rounds to the nearest integer, ties to the even neighbour (2.5 gives 2, 7.5 gives 8).
inline int RoundEven(double x) {
    return int(std::nearbyint(x));
}
