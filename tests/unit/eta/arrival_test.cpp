// The ETA lists' arrival arithmetic: travel minutes, the 12-hour dial and the
// in-path test, at the edges where rounding and wrapping decide.
#include <gtest/gtest.h>

#include <limits>

#include "core/failure.h"
#include "eta/arrival.h"

using namespace tessaly;

TEST(Arrival, TravelMinutesRoundHalfToEvenAndFailAtTheEdges) {
    struct Row {
        double nm, kt, minutes;
    } rows[] = {
        {30, 30, 60},    {10, 40, 15}, {0, 25, 0}, {0.25, 30, 0},  // 0.5 minutes: to the even 0
        {0.75, 30, 2},                                             // 1.5 minutes: to the even 2
        {1.25, 30, 2},                                             // 2.5 minutes: to the even 2
        {50, -25, -120},  // a speed read back negative keeps its sign
    };
    for (const Row& r : rows)
        EXPECT_EQ(travel_minutes(r.nm, r.kt), r.minutes) << r.nm << " " << r.kt;

    auto number_of = [](double nm, double kt) {
        try {
            travel_minutes(nm, kt);
        } catch (const Failure& f) {
            return f.number;
        }
        return 0;
    };
    EXPECT_EQ(number_of(10, 0), 11);  // a storm standing still
    EXPECT_EQ(number_of(1e9, 1), 6);  // past 10^7 minutes
    EXPECT_EQ(number_of(std::numeric_limits<double>::infinity(), 1), 6);
    EXPECT_EQ(number_of(1e7 / 60, 1), 0);  // exactly 10^7 minutes still counts
}

TEST(Arrival, TheDialShowsHoursOneToTwelve) {
    struct Row {
        int hour24, minute;
        bool twelve;
        long travel, hours, minutes;
    } rows[] = {
        {0, 0, true, 0, 12, 0},     // midnight reads 12
        {12, 30, true, 45, 1, 15},  // past noon onto 1
        {11, 59, true, 1, 12, 0},
        {23, 50, true, 130, 2, 0},  // over midnight
        {15, 10, false, 5, 3, 15},  // a 24-hour clock is kept up to 12 too
        {13, 0, false, 0, 1, 0},
        {9, 0, true, 60 * 25, 10, 0},  // more than a day ahead wraps the dial
    };
    for (const Row& r : rows) {
        ClockTime now{r.hour24, r.minute, 0, r.twelve};
        DialTime d = arrival_on_dial(now, r.travel);
        EXPECT_EQ(d.hours, r.hours) << r.hour24 << ":" << r.minute << " +" << r.travel;
        EXPECT_EQ(d.minutes, r.minutes) << r.hour24 << ":" << r.minute << " +" << r.travel;
    }
}

TEST(Arrival, InPathIsStrictlyWithin45DegreesEitherSide) {
    EXPECT_TRUE(in_path(90, 90));
    EXPECT_TRUE(in_path(134.9, 90));
    EXPECT_FALSE(in_path(135, 90));
    EXPECT_FALSE(in_path(45, 90));
    EXPECT_TRUE(in_path(10, 350));  // across north
    EXPECT_TRUE(in_path(350, 10));
    EXPECT_FALSE(in_path(35, 350));  // exactly 45 across north
    EXPECT_TRUE(in_path(-10, 20));   // a bearing below zero
    EXPECT_FALSE(in_path(270, 90));  // behind the storm
}
