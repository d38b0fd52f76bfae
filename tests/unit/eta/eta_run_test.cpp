// The ETA run driven directly: stored points, speed bands, failures, and the
// lookup's single search.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/app.h"
#include "eta/frm_custom_eta.h"
#include "online/frm_new_eta.h"
#include "platform/sim/simulator.h"
#include "sim_fixture.h"

using namespace tessaly;
namespace fs = std::filesystem;

namespace {

const std::string kGeo = std::string(TESSALY_TESTDATA) + "/geonames/";

struct Run : SimTest {
    void SetUp() override {
        boot(
            "setting version \"4.2\"\nsetting eta_database \"server\"\nsetting eta_style "
            "\"classic\"\nclock 11:50:00 12h\nstart\n");
        FrmMain& m = app().frmMain();
        m.start_lat.text = "35";
        m.start_lon.text = "-97";
        m.stop_lat.text = "36";
        m.stop_lon.text = "-97";
        m.disazimuth.text = "0";
        m.tracker.text = "1";
        // Stored points P, 1/2, 3/4, 1/4, 1/8, 3/8, 5/8, 7/8 on an easy grid.
        const double lats[] = {36, 35.5, 35.75, 35.25, 35.125, 35.375, 35.625, 35.875};
        for (int i = 0; i < 8; ++i) m.eta_points[static_cast<size_t>(i)] = {lats[i], -97.5};
        m.edit.text = "1";
    }
    void replies(int n, const std::string& file, const std::string& extra = "") {
        std::string s;
        for (int i = 0; i < n; ++i) s += "web reply \"" + kGeo + file + "\"" + extra + "\n";
        script(s);
    }
    std::vector<std::string> fetched() {
        std::vector<std::string> v;
        std::istringstream in(out.str());
        const std::string p = "fetch \"https://secure.geonames.org/findNearbyPlaceName?";
        for (std::string l; std::getline(in, l);)
            if (l.rfind(p, 0) == 0) v.push_back(l.substr(p.size(), l.size() - p.size() - 1));
        return v;
    }
};

using Strings = std::vector<std::string>;

}  // namespace

TEST_F(Run, StoredPointsAreSearchedAgainWhenEditIsSet) {
    app().frmNewETA().bufferr.items = {"kept"};
    struct Case {
        const char* speed;
        Strings radii;
    } cases[] = {
        {"66", {"9", "15", "15", "15", "20", "20", "25", "25"}},
        {"65", {"9", "9", "15", "15", "20", "20", "25", "25"}},
        {"37", {"9", "9", "15", "15", "20", "20", "25", "25"}},
        {"36", {"5", "5", "7", "7", "7", "9", "11", "11"}},
        {"35.5", {"5", "5", "7", "7", "7", "9", "11", "11"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.speed);
        out.str("");
        app().frmMain().cell_speed.text = c.speed;
        replies(8, "ks_flinthills_r5_0places.xml");
        app().frmMain().RUNeta();
        const char* lats[] = {"35",   "35.125", "35.25", "35.375",
                              "35.5", "35.625", "35.75", "35.875"};
        Strings want;
        for (int i = 0; i < 8; ++i)
            want.push_back(std::string("lat=") + lats[i] + "&lng=" + (i ? "-97.5" : "-97") +
                           "&radius=" + c.radii[static_cast<size_t>(i)] + "&maxRows=20");
        EXPECT_EQ(fetched(), want);
        EXPECT_EQ(app().frmNewETA().mph.text, c.speed);
    }
    // The raw replies of the runs pile up behind what was there.
    EXPECT_EQ(app().frmNewETA().bufferr.items.front(), "kept");
    EXPECT_EQ(app().frmNewETA().bufferr.items.size(), 1u + 5 * 8);
}

TEST_F(Run, RecomputingClearsTheBuffersAndUsesTheTrack) {
    app().frmNewETA().bufferr.items = {"old"};
    app().frmNewETA().buffer.text = "old";
    app().frmMain().edit.text = "0";
    app().frmMain().cell_speed.text = "60";
    replies(8, "ks_flinthills_r5_0places.xml");
    app().frmMain().RUNeta();
    Strings f = fetched();
    ASSERT_EQ(f.size(), 8u);
    // 60 nm due north is 0.9990444 degrees with the program's earth radius
    // (60 * 1.852 / 6372.797 rad); 1/8 of it is 0.1248806.
    EXPECT_EQ(f[0], "lat=35&lng=-97&radius=9&maxRows=20");
    EXPECT_EQ(f[1].substr(0, 13), "lat=35.124880");
    EXPECT_EQ(app().frmNewETA().bufferr.items.size(), 8u);
    EXPECT_EQ(app().frmNewETA().bufferr.items[0].find("<geonames/>") != std::string::npos, true);
}

TEST_F(Run, AFailureStopsTheRunWithOneMessage) {
    app().frmMain().cell_speed.text = "fast";
    app().frmMain().RUNeta();
    EXPECT_TRUE(fetched().empty());
    EXPECT_NE(out.str().find(
                  "msgbox \"Tessaly\" \"Source: run_eta Description: Type mismatch\\rNumber: 13\""),
              std::string::npos)
        << out.str();
    EXPECT_FALSE(app().frmNewETA().request_executing());
}

TEST_F(Run, RequestsCountAsExecutingUntilTheirRepliesAreHandled) {
    FrmNewETA& l = app().frmNewETA();
    replies(1, "ok_luther_r5_1place.xml", " delay 100");
    l.lat.text = "35.65";
    l.lon.text = "-97.2";
    l.radius.text = "5";
    int id = l.start_request();
    EXPECT_TRUE(l.request_executing());
    // A search while one is out cancels it and asks for nothing.
    l.getdata();
    EXPECT_FALSE(l.request_executing());
    EXPECT_EQ(fetched().size(), 1u);
    EXPECT_FALSE(l.wait_request(id));

    // A search of its own waits for its reply and reads it.
    app().frmMain().start_lat.text = "35.65";
    app().frmMain().start_lon.text = "-97.2";
    l.mph.text = "30";
    replies(1, "ok_luther_r5_1place.xml", " delay 100");
    l.getdata();
    EXPECT_FALSE(l.request_executing());
    EXPECT_EQ(l.one.items, Strings{"Luther"});
    EXPECT_EQ(l.two.items, Strings{"11:51"});
    EXPECT_NE(l.buffer.text.find("<name>Luther</name>"), std::string::npos);

    // A refusal reaches the caller.
    replies(1, "error_invalid_user.xml", " status 401");
    try {
        l.getdata();
        ADD_FAILURE() << "no failure";
    } catch (const Failure& f) {
        EXPECT_EQ(f.description(), "user does not exist.");
        EXPECT_EQ(f.number, 10);
    }
}

// A view over eight replies of 20 places writes the placefile once, at its
// end, and the file then holds the whole buffer; a place two searches find
// gets one marker.
TEST_F(Run, AViewWritesThePlacefileOnceAndEachPlaceOnce) {
    FrmMain& m = app().frmMain();
    m.start_lat.text = "37.2";
    m.start_lon.text = "-97.8";
    m.disazimuth.text = "45";
    m.cell_speed.text = "40";
    replies(8, "ks_wichita_r25_20places.xml");
    int writes = 0;
    std::string last;
    sim->platform().on_write = [&](const std::string&, const std::string& bytes) {
        ++writes;
        last = bytes;
    };
    m.Command2_Click();
    EXPECT_EQ(writes, 1);
    std::string joined;
    for (auto& l : m.placefile.items) joined += l + "\r\n";
    EXPECT_EQ(last, joined);
    size_t objects = 0;
    for (auto& l : m.placefile.items) objects += l.rfind("Object:  ", 0) == 0;
    EXPECT_GT(objects, 0u);
    EXPECT_EQ(objects, app().frmNewETA().List1.items.size());  // one marker, one entry each
}

// A small ETA window hidden by a pathcast view (or an erase) stops raising
// itself at its next tick; shown again, it raises itself again.
TEST_F(Run, AHiddenEtaWindowStopsItsTimer) {
    FrmCustomETA& w = app().frmCustomETA();
    w.show();
    w.Timer1.enabled = true;
    script("wait 50\n");
    EXPECT_TRUE(w.Timer1.enabled);
    app().frmMain().forget_classic_eta_windows();
    script("wait 50\n");
    EXPECT_FALSE(w.Timer1.enabled);
}
