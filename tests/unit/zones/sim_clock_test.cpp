// The simulator's clock: a day and zone of the script's choosing, the instant
// following from the zone's rules, and the short form's fixed day and zone.
#include "sim_fixture.h"

namespace tessaly {

using SimClock = SimTest;

TEST_F(SimClock, DatedFormSetsDayAndZone) {
    boot();
    // 01:30 on the day DST ends comes twice: the first, CDT (06:30 UTC).
    script("clock 2026-11-01 01:30:00 24h America/Chicago\n");
    EXPECT_EQ(app().platform.utc_seconds(), 1793514600);
    EXPECT_FALSE(app().platform.local_time().twelve_hour);
    // Noon on the day DST begins, after the change: MDT (UTC-6), 18:00 UTC.
    script("clock 2026-03-08 12:00:00 12h America/Denver\n");
    EXPECT_EQ(app().platform.utc_seconds(), 1772992800);
    EXPECT_EQ(app().platform.time_zone(), "America/Denver");
    // The short form goes back to 2026-06-01 in Chicago.
    script("clock 10:00:00\n");
    EXPECT_EQ(app().platform.utc_seconds(), 1780290000 + 10 * 3600);
    EXPECT_EQ(app().platform.time_zone(), "America/Chicago");
    EXPECT_NE(sim->run("clock 2026-02-30 10:00:00 12h America/Chicago\n", dir), 0);
    EXPECT_NE(sim->run("clock 2026-06-01 10:00:00 12h Mars/Olympus\n", dir), 0);
}

}  // namespace tessaly
