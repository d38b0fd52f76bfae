// Marking two radar frames and projections of other lengths.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "app/app.h"
#include "core/numtext.h"
#include "sim_fixture.h"
#include "tracking/motion.h"

using namespace tessaly;

namespace {

const std::string kGeo = std::string(TESSALY_TESTDATA) + "/geonames/";

struct Marks : SimTest {
    // A linked GRLevel3 viewer, the cone drawn, frames mode `frames` minutes
    // apart (0: one-hour marks).
    void link(int frames) {
        boot(
            "setting version \"4.2\"\nsetting eta_database \"server\"\nsetting eta_style "
            "\"classic\"\nsetting hkselect \"Q\"\nsetting hkerase \"W\"\n"
            "setting hketa \"X\"\nsetting border \"yes\"\nsetting time_marks \"yes\"\n"
            "clock 10:00:00 12h\nstart\n"
            "desktop add \"KTLX - GRLevel3\"\ndesktop panel \"KTLX - GRLevel3\" \"35.0, -97.0\"\n"
            "wait 1000\nclick frmMain.optgr3\nclick frmMain.mnu_projection_cone\n");
        if (frames) {
            script("click frmMain.mnu_mark_frames\n");
            script("type frmInput.INP \"" + std::to_string(frames) + "\"\n");
            script("click frmInput.cmd_save\n");
        }
    }
    // Marks two positions, asks for the ETAs, and returns what the program
    // printed from the second press on: the placefile and the searches.
    std::string track(const std::string& first, const std::string& second) {
        script("desktop panel \"KTLX - GRLevel3\" \"" + first + "\"\npress Q\nwait 5\n" +
               "desktop panel \"KTLX - GRLevel3\" \"" + second + "\"\nwait 3\n");
        out.str("");
        std::string s = "press Q\nwait 5\nprint placefile\n";
        for (int i = 0; i < 8; ++i) s += "web reply \"" + kGeo + "ks_flinthills_r5_0places.xml\"\n";
        script(s + "press X\nwait 5\n");
        return out.str();
    }
    FrmMain& main() { return app().frmMain(); }
};

}  // namespace

// Two frames 20 minutes apart give the same cone, track, time marks and ETA
// searches as marking the current position and the one-hour point by hand.
TEST_F(Marks, TwoFramesEqualTheHandMarkedPair) {
    link(20);
    std::string framed = track("35.0, -97.0", "35.1, -96.85");
    // Figures from an independent calculation (motion_figures.py: the marks
    // 9.5015 nm apart on a bearing of 50.80 degrees): 28.5 kt shown as 29,
    // and the point 29 nm along 51 degrees from the second mark.
    EXPECT_EQ(main().cell_speed.text, "29");
    EXPECT_EQ(main().disazimuth.text, "51");
    EXPECT_EQ(main().start_lat.text, "35.1");
    EXPECT_EQ(main().start_lon.text, "-96.85");
    EXPECT_NEAR(to_number(main().stop_lat.text), 35.40301175347465, 1e-9);
    EXPECT_NEAR(to_number(main().stop_lon.text), -96.38961180778169, 1e-9);
    const std::string pair = main().stop_lat.text + ", " + main().stop_lon.text;

    link(0);
    std::string by_hand = track("35.1, -96.85", pair);
    EXPECT_EQ(main().cell_speed.text, "29");
    EXPECT_EQ(framed, by_hand);
    EXPECT_NE(framed.find("radius=5&maxRows"), std::string::npos);  // the searches ran
}

// The live speed follows the minutes between frames while the direction
// stays the one from the first mark to the cursor.
TEST_F(Marks, LiveMotionScalesToOneHour) {
    link(15);
    script("press Q\nwait 5\ndesktop panel \"KTLX - GRLevel3\" \"35.1666729, -97.0\"\nwait 3\n");
    EXPECT_EQ(main().cell_speed.text, "40");     // 10 nm in 15 minutes
    EXPECT_EQ(main().cell_speedkts.text, "46");  // 46.03 mph
    EXPECT_EQ(main().cor_azimuth.text, "180");
    // Mark One Hour while half marked: the same cursor reads as one hour again.
    script("click frmMain.mnu_mark_hour\nwait 3\n");
    EXPECT_EQ(main().cell_speed.text, "10");
}

// A whole-number key's default lies in its range (else the reader's
// fallback would be a value the key refuses), unusable text reads as the
// default, and the messages name the range the key holds.
TEST(MotionText, KeyRangesHoldTheirDefaults) {
    for (const SettingKey* k :
         {&keys::mark_minutes, &keys::projection_minutes, &keys::restore_hours, &keys::frame_delay,
          &keys::pathcast_miles, &keys::pathcast_min_population, &keys::alert_minutes}) {
        ASSERT_TRUE(k->has_range()) << k->key;
        EXPECT_EQ(minutes_setting(k->fallback, *k), k->fallback_number()) << k->key;
        EXPECT_EQ(number_in_range(*k, std::to_string(k->hi + 1)), k->fallback_number()) << k->key;
    }
    EXPECT_EQ(range_words(keys::projection_minutes), "from 15 to 180");
    EXPECT_EQ(range_brackets(keys::frame_delay), "(0-30)");
}

TEST(MotionText, MinutesAndClock) {
    EXPECT_EQ(minutes_setting(" 15 ", 15, 180), 15);
    EXPECT_EQ(minutes_setting("000180", 15, 180), 180);
    for (const char* bad :
         {"", " ", "14", "181", "-20", "+20", "20.0", "2e1", "20 min", "99999999999999999999"})
        EXPECT_FALSE(minutes_setting(bad, 15, 180)) << bad;
    EXPECT_EQ(projection_distance_nm(20, "30"), 10);
    EXPECT_EQ(projection_distance_nm(20, "abc"), 20);

    // The ETA list's hour form: two-digit hours on the 12-hour dial, also
    // from a 24-hour clock and across midnight.
    EXPECT_EQ(eta_clock_text({11, 50, 0, true}, 15), "12:05");
    EXPECT_EQ(eta_clock_text({23, 50, 0, false}, 180), "02:50");
    EXPECT_EQ(eta_clock_text({0, 5, 0, true}, 15), "12:20");
    EXPECT_EQ(eta_clock_text({12, 59, 0, true}, 1), "01:00");
}
