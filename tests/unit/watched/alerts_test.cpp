// When a watched place warns again: the rules that scenarios reach only
// through hours of marking, at the level of the alert book.
#include <gtest/gtest.h>

#include "storms/storm.h"
#include "watched/watched.h"

namespace tessaly {
namespace {

constexpr std::int64_t kNow = 1'779'312'000;  // 2026-05-20 21:20:00 UTC

// A storm over Oklahoma moving due east, anchored now.
Storm storm(int number, double speed_kt) {
    Storm s;
    s.number = number;
    s.label = storm_letters(number);
    s.first.lat = 35.0;
    s.first.lon = -98.0;
    s.first.utc = kNow;
    s.speed_kt = speed_kt;
    s.bearing_deg = 90;
    s.projection_minutes = 180;
    return s;
}

WatchedPlace place(int id, double lon) {
    WatchedPlace w;
    w.id = id;
    w.place = {35.0, lon, "Home", "35.0", std::to_string(lon)};
    w.zone = *zones::find_zone("America/Chicago");
    return w;
}

TEST(AlertBook, WarnsOnceThenWhenTheArrivalMovesTenMinutesEarlierAndAtTenMinutes) {
    AlertSettings settings;
    settings.alert_minutes = 60;
    Storms storms;
    storms.add(storm(1, 30));
    // 20 nm east: the 8-mile path's edge reaches it after about 26 minutes.
    const std::vector<WatchedPlace> places = {place(1, -98.0 + 20.0 / 60 / 0.8192)};
    AlertBook book;
    ASSERT_EQ(book.check(storms, places, settings, kNow).size(), 1u);
    EXPECT_TRUE(book.check(storms, places, settings, kNow + 60).empty());
    const std::int64_t first = book.all().begin()->second.alerted_arrival;

    // A faster storm (its arrival a few minutes earlier) stays quiet...
    storms.find(1)->speed_kt = 33;
    EXPECT_TRUE(book.check(storms, places, settings, kNow + 60).empty());
    // ...one 10 minutes or more earlier warns again.
    storms.find(1)->speed_kt = 90;
    const auto again = book.check(storms, places, settings, kNow + 60);
    ASSERT_EQ(again.size(), 1u);
    EXPECT_LE(book.all().begin()->second.alerted_arrival, first - 600);
    // Now within 10 minutes: that warning was given with it, not twice.
    EXPECT_TRUE(book.all().begin()->second.ten_minutes_given);
    EXPECT_TRUE(book.check(storms, places, settings, kNow + 120).empty());

    // The banner forgets what was acknowledged; the map keeps the place red.
    book.acknowledge();
    EXPECT_TRUE(book.banner_lines().empty());
    EXPECT_TRUE(book.place_alerted(1));
    EXPECT_TRUE(book.storm_alerted(1));

    // An erased storm takes its alerts along.
    storms.erase(1);
    EXPECT_TRUE(book.check(storms, places, settings, kNow + 180).empty());
    EXPECT_TRUE(book.all().empty());
    EXPECT_FALSE(book.place_alerted(1));
}

TEST(AlertBook, AStormStandingStillOrPastThePlaceNeverWarns) {
    AlertSettings settings;
    Storms storms;
    storms.add(storm(1, 0));
    storms.add(storm(2, 30));
    // West of the anchor: storm 2 has passed it already.
    const std::vector<WatchedPlace> places = {place(1, -98.0), place(2, -98.5)};
    AlertBook book;
    const auto due = book.check(storms, places, settings, kNow);
    // Storm 2 is over the place already (its path reached it before the
    // mark); storm 1 stands still.
    ASSERT_EQ(due.size(), 1u);
    EXPECT_EQ(due[0], "Storm B reaches Home at 4:06 PM CDT (now), passes over");
    EXPECT_FALSE(book.storm_alerted(1));
}

}  // namespace
}  // namespace tessaly
