// The storm list over storms put straight into the main window's model:
// its rows, the highlighted row, and the buttons acting on that row's storm.
#include <gtest/gtest.h>

#include "app/frm_dialogs.h"
#include "sim_fixture.h"
#include "storms/frm_storms.h"

namespace tessaly {
namespace {

class StormListTest : public SimTest {
protected:
    std::int64_t now = 0;

    void SetUp() override {
        boot("setting version \"4.2\"\nclock 15:00:00 12h\nstart\n");
        now = app().platform.utc_seconds();
        Storm a;
        a.number = 1;
        a.label = "A";
        a.bearing_deg = 44;  // NE
        a.from_text = "224";
        a.speed_text = "25";
        a.speed_mph_text = "29";
        a.second.utc = now - 12 * 60;
        a.second.clock = ClockTime{14, 48, 0, true};
        // Past the first, out of the path the second: the third is next.
        a.arrivals.push_back(
            {"Moore", {}, 0, 0, 5, 10, ClockTime{14, 48, 0, true}, now - 120, true});
        a.arrivals.push_back(
            {"Noble", {}, 0, 0, 8, 20, ClockTime{14, 48, 0, true}, now + 480, false});
        a.arrivals.push_back(
            {"Norman", {}, 0, 0, 9, 52, ClockTime{14, 48, 0, true}, now + 2400, true});
        Storm b;
        b.number = 2;
        b.label = "B";
        b.bearing_deg = 181;
        b.from_text = "001";
        b.speed_text = "08";
        b.speed_mph_text = "09";
        b.second.utc = now - 30;
        b.second.clock = ClockTime{14, 59, 30, true};
        app().frmMain().storms.add(a);
        app().frmMain().storms.add(b);  // selected: the newest
        script("click frmMain.mnu_storms_list\n");
    }
    FrmStorms& list() { return app().frmStorms(); }
    const std::vector<std::string>& rows() { return list().storm_list.items; }
};

TEST_F(StormListTest, RowsShowEachStormAndTheSelectedOneIsHighlighted) {
    ASSERT_TRUE(list().visible);
    ASSERT_EQ(rows().size(), 2u);
    EXPECT_EQ(rows()[0],
              "A\tNE (from 224\xC2\xB0)\t25 kt / 29 mph\t2:48 PM\t12 min\t3:40 PM Norman");
    EXPECT_EQ(rows()[1], "B\tS (from 001\xC2\xB0)\t08 kt / 09 mph\t2:59 PM\t0 min\t");
    EXPECT_EQ(list().storm_list.selected_row, 1);
    // The ages move on with the window's own timer.
    script("wait 60000\n");
    EXPECT_NE(rows()[0].find("\t13 min\t"), std::string::npos) << rows()[0];
    EXPECT_NE(rows()[1].find("\t1 min\t"), std::string::npos) << rows()[1];
}

TEST_F(StormListTest, ButtonsActOnTheHighlightedRowsStorm) {
    script("select frmStorms.storm_list 0\n");
    EXPECT_EQ(list().storm_list.selected_row, 0);
    EXPECT_EQ(app().frmMain().storms.selected_number(), 2);  // highlighting selects nothing
    script("dblclick frmStorms.storm_list 0\n");
    EXPECT_EQ(app().frmMain().storms.selected_number(), 1);

    script("select frmStorms.storm_list 1\nclick frmStorms.erase_storm\n");
    ASSERT_EQ(app().frmMain().storms.size(), 1u);
    EXPECT_EQ(app().frmMain().storms.all()[0].number, 1);
    ASSERT_EQ(rows().size(), 1u);
    EXPECT_EQ(list().storm_list.selected_row, 0);

    script("click frmStorms.rename_storm\n");
    EXPECT_TRUE(app().frmInput().visible);
    EXPECT_EQ(app().frmInput().INP.text, "A");
    script("type frmInput.INP \"Hail\"\nclick frmInput.cmd_save\n");
    EXPECT_EQ(app().frmMain().storms.all()[0].label, "Hail");
    EXPECT_EQ(rows()[0].substr(0, 5), "Hail\t");
    EXPECT_EQ(app().frmInput().key, nullptr);  // nothing was stored for it
}

}  // namespace
}  // namespace tessaly
