// The storm value's own arithmetic: letters, labels, pointing.
#include <gtest/gtest.h>

#include "storms/storm.h"

namespace tessaly {
namespace {

TEST(Storm, LettersCountLikeSpreadsheetColumns) {
    for (auto [n, letters] : std::initializer_list<std::pair<int, const char*>>{
             {1, "A"}, {26, "Z"}, {27, "AA"}, {52, "AZ"}, {53, "BA"}, {702, "ZZ"}, {703, "AAA"}})
        EXPECT_EQ(storm_letters(n), letters) << n;
    EXPECT_EQ(storm_letters(0), "");
}

TEST(Storm, LabelsAreShortPlainAndNeverAnotherStormsLetters) {
    Storms storms;
    Storm a;
    a.number = 1;
    a.label = "A";
    storms.add(a);
    Storm b;
    b.number = 2;
    b.label = "Hook";
    storms.add(b);
    EXPECT_EQ(label_problem(storms, 1, "Big one"), "");
    EXPECT_EQ(label_problem(storms, 1, "A"), "");                  // its own letter back
    EXPECT_EQ(label_problem(storms, 1, "\xC3\x89t\xC3\xA9"), "");  // 3 characters of UTF-8
    for (const char* bad :
         {"", "Thirteen char", "a;b", "say \"x\"", "Hook", "C", "AB", "tab\there"})
        EXPECT_NE(label_problem(storms, 1, bad), "") << bad;
}

TEST(Storm, PointingMeasuresToTheTrackSegment) {
    Storm s;
    s.first.lat = 35.0;
    s.first.lon = -97.0;
    s.stop_lat = 36.0;
    s.stop_lon = -97.0;
    EXPECT_NEAR(distance_to_track_nm(s, 35.5, -97.0), 0, 1e-9);
    // Beside the middle: the cross distance; beyond the stop: to the stop.
    EXPECT_NEAR(distance_to_track_nm(s, 35.5, -96.9), 4.89, 0.02);
    EXPECT_NEAR(distance_to_track_nm(s, 36.1, -97.0), 6.0, 0.01);
    Storms storms;
    s.number = 1;
    storms.add(s);
    EXPECT_EQ(storms.nearest(35.5, -96.9, 10), &storms.all()[0]);
    EXPECT_EQ(storms.nearest(35.5, -96.7, 10), nullptr);
}

}  // namespace
}  // namespace tessaly
