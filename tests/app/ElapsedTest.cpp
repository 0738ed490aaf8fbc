#include "app/Elapsed.h"

#include <gtest/gtest.h>

#include <limits>

TEST(ElapsedTime, IsTheDifferenceAndStaysAtItsLargestAfterAVeryLongSleep) {
    EXPECT_EQ(Elapsed(10, 5), 5);
    EXPECT_EQ(Elapsed(5, 5), 0);
    // Thirty days asleep in the middle of a breath phase, counted in milliseconds.
    const std::int64_t start = 1'000'000;
    EXPECT_EQ(Elapsed(start + 30LL * 86'400'000, start), std::numeric_limits<std::int32_t>::max());
}

TEST(Rounding, TiesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundEven(2.5), 2);
    EXPECT_EQ(RoundEven(7.5), 8);
    EXPECT_EQ(RoundEven(653.65), 654);
    EXPECT_EQ(RoundEven(344.5), 344);
    EXPECT_EQ(RoundEven(-0.5), 0);
}
