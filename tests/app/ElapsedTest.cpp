#include "app/Elapsed.h"

#include <gtest/gtest.h>

TEST(ElapsedTime, AcrossMidnight) {
    EXPECT_EQ(Elapsed(10, 5, 24), 5);
    EXPECT_EQ(Elapsed(1, 86399, 24), 2);
    // Milliseconds of the day.
    EXPECT_EQ(Elapsed(500, 86'399'900, 24, 3'600'000), 600);
}

TEST(ElapsedTime, TwelveHourClockKeepsTheLengthAcrossMidnight) {
    // The clock reads seconds of a 24-hour day; one 12-hour cycle is not enough to make the
    // difference positive, two are.
    EXPECT_EQ(Elapsed(1, 86399, 12), 2);
    EXPECT_EQ(Elapsed(43200 + 10, 43200 - 10, 12), 20);
}

TEST(ElapsedTime, ADamagedHoursPerDayFallsBackToADay) {
    EXPECT_EQ(Elapsed(1, 86399, 0), 2);
}

TEST(Rounding, TiesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundEven(2.5), 2);
    EXPECT_EQ(RoundEven(7.5), 8);
    EXPECT_EQ(RoundEven(653.65), 654);
    EXPECT_EQ(RoundEven(344.5), 344);
    EXPECT_EQ(RoundEven(-0.5), 0);
}
