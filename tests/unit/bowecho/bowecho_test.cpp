// The bow echo build: its exact lines, its switches and its reset.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "bowecho/frm_bow_echo.h"
#include "platform/sim/simulator.h"
#include "sim_fixture.h"

using namespace tessaly;

namespace {

class BowEcho : public SimTest {
protected:
    void SetUp() override {
        boot();
        app = sim->app();
        bow = &app->frmBowEcho();
        out.str("");
    }
    // Points 7 and 8 equal: bearing 0, distance 0, so every far point is its
    // marked point and the whole block can be written down by hand.
    void coincident_points() {
        bow->List.items = {"35.5", "-98.25", "35.4", "-98.1", "35.3",  "-98.0", "35.2",  "-98.05",
                           "35.1", "-98.15", "35.0", "-98.3", "35.25", "-97.5", "35.25", "-97.5"};
        bow->points.text = "8";
    }
    std::vector<std::string> appended(size_t before) {
        const auto& items = app->frmMain().placefile.items;
        return {items.begin() + static_cast<long>(before), items.end()};
    }

    App* app = nullptr;
    FrmBowEcho* bow = nullptr;
};

TEST_F(BowEcho, AllSwitchesOnWritesTheFiftySevenLinesAndResets) {
    for (const SettingKey& k : {keys::polygon, keys::border, keys::track})
        app->save_setting(k, "yes");
    for (const SettingKey& k : {keys::polygon_rgb, keys::polygon_trans, keys::border_rgb,
                                keys::border_width, keys::track_rgb, keys::track_width})
        app->save_setting(k, "");
    coincident_points();
    bow->one.items = {"x"};
    bow->eta.items = {"y"};
    size_t before = app->frmMain().placefile.items.size();
    bow->bow_echo();
    const std::vector<std::string> L = {"35.5, -98.25", "35.4, -98.1",  "35.3, -98",
                                        "35.2, -98.05", "35.1, -98.15", "35, -98.3"};
    const std::vector<std::string> marked = {"35.5, -98.25", "35.4, -98.1",  "35.3, -98.0",
                                             "35.2, -98.05", "35.1, -98.15", "35.0, -98.3"};
    std::vector<std::string> want = {";<BowEcho>"};
    for (int poly = 0; poly < 2; ++poly) {
        want.push_back("Polygon: ");
        want.push_back("35.5, -98.25, 248, 000, 000, 25");  // fallback in the R, G, B, form
        for (int k = 1; k < 6; ++k) want.push_back(marked[static_cast<size_t>(k)]);
        for (int k = 5; k >= 0; --k) want.push_back(L[static_cast<size_t>(k)]);
        want.push_back("35.5, -98.25");
        want.push_back("End:");
    }
    want.push_back("Color: 128 128 128 25");
    want.push_back("Line: 1, 0");
    for (auto& p : marked) want.push_back(p);
    for (int k = 5; k >= 0; --k) want.push_back(L[static_cast<size_t>(k)]);
    want.push_back("35.5, -98.25");
    want.push_back("End: ");
    // H, H1, H3 all equal L3 = (35.3, -98) when F3 = L3.
    for (const char* l :
         {"Color: 248 000 000 ", "Line: 2, 0", "35.3, -98.0", "35.3, -98",
          "End: ", "Icon: 35.3, -98.0, 0, 1, 1, ", "Icon: 35.3, -98, 0, 1, 2, ",
          "Icon: 35.3, -98, 0, 1, 2, ", "Icon: 35.3, -98, 0, 1, 3, ", ";</BowEcho>"})
        want.push_back(l);
    ASSERT_EQ(want.size(), 57u);
    EXPECT_EQ(appended(before), want);
    EXPECT_EQ(bow->points.text, "0");
    EXPECT_EQ(bow->cazimuth.text, "0");
    EXPECT_EQ(bow->crange.text, "0");
    EXPECT_TRUE(bow->List.items.empty());
    EXPECT_TRUE(bow->placefile.items.empty());
    EXPECT_TRUE(bow->one.items.empty());
    EXPECT_TRUE(bow->eta.items.empty());
    EXPECT_EQ(out.str(), "");
}

TEST_F(BowEcho, OnlyExactYesTurnsABlockOn) {
    app->save_setting(keys::polygon, "Yes");
    app->save_setting(keys::border, "no");
    app->save_setting(keys::track, "");
    coincident_points();
    size_t before = app->frmMain().placefile.items.size();
    bow->bow_echo();
    EXPECT_EQ(appended(before), (std::vector<std::string>{";<BowEcho>", ";</BowEcho>"}));
    EXPECT_EQ(bow->points.text, "0");
}

TEST_F(BowEcho, StoredColoursAreTreated) {
    app->save_setting(keys::polygon, "yes");
    app->save_setting(keys::border, "yes");
    app->save_setting(keys::track, "yes");
    app->save_setting(keys::polygon_rgb, "255, 0, 0,");
    app->save_setting(keys::border_rgb, "255, 0, 0,");
    app->save_setting(keys::track_rgb, "0, 0, 255,");
    app->save_setting(keys::polygon_trans, "");
    app->save_setting(keys::track_width, "7");
    coincident_points();
    size_t before = app->frmMain().placefile.items.size();
    bow->bow_echo();
    auto got = appended(before);
    ASSERT_EQ(got.size(), 57u);
    EXPECT_EQ(got[2], "35.5, -98.25, 255, 0, 0, 25");
    EXPECT_EQ(got[17], "35.5, -98.25, 255, 0, 0, 25");
    EXPECT_EQ(got[31], "Color: 255 0 0, 25");
    EXPECT_EQ(got[47], "Color: 0 0 255, ");
    EXPECT_EQ(got[48], "Line: 7, 0");
}

TEST_F(BowEcho, ShortPolygonColourIsReportedAndAppendsNothing) {
    app->save_setting(keys::polygon, "yes");
    app->save_setting(keys::polygon_rgb, "255,0,0,");
    coincident_points();
    auto before = app->frmMain().placefile.items;
    bow->bow_echo();
    EXPECT_EQ(app->frmMain().placefile.items, before);
    EXPECT_NE(out.str().find("polygon_rgb \\\"255,0,0,\\\" needs three colour values"),
              std::string::npos)
        << out.str();
    // The tool is ready for the next eight points.
    EXPECT_EQ(bow->points.text, "0");
    EXPECT_TRUE(bow->List.items.empty());
}

TEST_F(BowEcho, QuarterPolygonUsesAQuarterOfTheWholeRange) {
    app->save_setting(keys::polygon, "yes");
    app->save_setting(keys::border, "no");
    app->save_setting(keys::track, "no");
    // Point 8 is 10.0016 nm due north of point 7: crange "10", quarter 2.5.
    bow->List.items = {"35.0", "-97.0", "35.0", "-97.0", "35.0", "-97.0", "35.0",    "-97.0",
                       "35.0", "-97.0", "35.0", "-97.0", "35.0", "-97.0", "35.1667", "-97.0"};
    size_t before = app->frmMain().placefile.items.size();
    bow->bow_echo();
    auto got = appended(before);
    ASSERT_EQ(got.size(), 32u);
    // Due north the latitude grows by distance * 1.852 / 6372.797 radians,
    // in degrees with the program's pi: 35 + 18.52 / 6372.797 * 180 / 3.14159265358979
    // = 35.16650739645..., and 35 + 4.63 / 6372.797 * 180 / 3.14159265358979 = 35.04162684911...
    EXPECT_EQ(got[8], "35.1665073965, -97");
    EXPECT_EQ(got[23], "35.0416268491, -97");
    EXPECT_EQ(got[2], "35.0, -97.0, 248, 248, 248, 50");  // the stored start-up colour
}

}  // namespace
