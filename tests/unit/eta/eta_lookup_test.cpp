// The online ETA lookup on its own: reading replies, arrival times, the
// in-path test, the marker block and the list order.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/app.h"
#include "eta/frm_edit_eta.h"
#include "online/frm_new_eta.h"
#include "platform/sim/simulator.h"
#include "sim_fixture.h"

using namespace tessaly;
namespace fs = std::filesystem;

namespace {

std::string sample(const std::string& name) {
    std::ifstream f(std::string(TESSALY_TESTDATA) + "/geonames/" + name, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

std::string record(const std::string& name, const std::string& lat, const std::string& lng) {
    return "<geoname>\n<toponymName>" + name + "</toponymName>\n<name>" + name + "</name>\n<lat>" +
           lat + "</lat>\n<lng>" + lng + "</lng>\n<distance>1</distance>\n</geoname>\n";
}

std::string reply(const std::string& records) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n<geonames>\n" + records +
           "</geonames>\n";
}

struct Lookup : SimTest {
    void SetUp() override {
        boot();
        FrmEditETA& ed = app().frmEditETA();
        ed.eta_rgb.text = "255,255,0";
        ed.eta_fontsize.text = "14";
        ed.eta_rep.text = "ETA";
        ed.showcity.checked = ed.showtime.checked = ed.etaqc_historic.checked = false;
        storm("35", "-97", "0");
        app().frmMain().tracker.text = "3";
        lookup().mph.text = "72";
    }
    FrmNewETA& lookup() { return app().frmNewETA(); }
    void clock(const std::string& c) { script("clock " + c + "\n"); }
    void storm(const std::string& lat, const std::string& lon, const std::string& motion) {
        FrmMain& m = app().frmMain();
        m.start_lat.text = lat;
        m.start_lon.text = lon;
        m.disazimuth.text = motion;
    }
    void read(const std::string& body) {
        lookup().buffer.text = body;
        lookup().readdata();
    }
    // Placefile lines after the header-only placefile of the start.
    std::vector<std::string> added() {
        auto& pf = app().frmMain().placefile.items;
        return {pf.begin() + static_cast<long>(header_), pf.end()};
    }
    size_t header_ = 7;
    void reset_lists() {
        lookup().one.items.clear();
        lookup().two.items.clear();
    }
};

using Strings = std::vector<std::string>;

}  // namespace

// Places due north of the storm at 35.5, 35.3, 35.1 lie 30, 18 and 6 nm away
// (0.1 degree = 5.9998 nm with the program's constants): 25, 15 and 5 minutes
// at 72 knots, 150 minutes for 0.5 degree at 12 knots.
TEST_F(Lookup, ArrivalTimeCarriesAndWrapsToTwelveHours) {
    struct Case {
        const char* clock;
        const char* mph;
        const char* two;
        const char* shown;
    } cases[] = {
        {"11:50:00 12h", "72", "12:15", "12:15"},
        {"12:50:00 12h", "72", "01:15", "1:15"},
        {"10:30:00 12h", "12", "01:00", "1:00"},
        {"08:40:00 12h", "72", "09:05", "9:05"},
        {"00:10:00 12h", "72", "12:35", "12:35"},
        {"21:05:00 24h", "72", "09:30", "9:30"},  // the marker keeps the 12-hour dial
        {"07:35:00 24h", "72", "08:00", "8:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clock);
        clock(c.clock);
        reset_lists();
        app().frmMain().placefile.items.resize(header_);
        lookup().mph.text = c.mph;
        read(reply(record("Northtown", "35.5", "-97")));
        EXPECT_EQ(lookup().one.items, Strings{"Northtown"});
        EXPECT_EQ(lookup().two.items, Strings{c.two});
        EXPECT_EQ(added(),
                  (Strings{"Object:  35.5, -97 ;eta#3", "Color: 255 255 0, 100 ;eta#3",
                           "Font: 1, 14, 1, Segoe UI ;eta#3",
                           std::string("Text:  0, 0, 1, ETA ,Northtown ") + c.shown + " ;eta#3",
                           "End: ;eta#3", " ;eta#3"}));
    }
}

TEST_F(Lookup, MarkerTextLinesFollowTheLabelChoice) {
    clock("11:50:00 12h");
    FrmEditETA& ed = app().frmEditETA();
    ed.showcity.checked = true;
    ed.showtime.checked = true;
    read(reply(record("Northtown", "35.5", "-97")));
    EXPECT_EQ(added(),
              (Strings{"Object:  35.5, -97 ;eta#3", "Color: 255 255 0, 100 ;eta#3",
                       "Font: 1, 14, 1, Segoe UI ;eta#3", "Text:  0, 0, 1, Northtown, 12:15 ;eta#3",
                       "Text:  0, 0, 1, 12:15, Northtown ;eta#3", "End: ;eta#3", " ;eta#3"}));
    app().frmMain().placefile.items.resize(header_);
    ed.showcity.checked = false;
    read(reply(record("Northtown", "35.5", "-97")));
    EXPECT_EQ(added()[3], "Text:  0, 0, 1, 12:15, Northtown ;eta#3");
    EXPECT_EQ(added().size(), 6u);
    // The file holds what the buffer holds: it is written for every place.
    std::ifstream f(dir + "/korvel.txt", std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    EXPECT_NE(
        ss.str().find("Text:  0, 0, 1, 12:15, Northtown ;eta#3\r\nEnd: ;eta#3\r\n ;eta#3\r\n"),
        std::string::npos);
}

TEST_F(Lookup, ListsAreInArrivalOrderAcrossNoonAndAfterEarlierLists) {
    clock("11:50:00 12h");
    read(reply(record("A25", "35.5", "-97") + record("B5", "35.1", "-97") +
               record("C15", "35.3", "-97")));
    EXPECT_EQ(lookup().one.items, (Strings{"B5", "C15", "A25"}));
    EXPECT_EQ(lookup().two.items, (Strings{"11:55", "12:05", "12:15"}));

    // The 12 o'clock hour comes before the 1 o'clock hour that follows it.
    reset_lists();
    clock("12:50:00 12h");
    read(reply(record("A25", "35.5", "-97") + record("B5", "35.1", "-97")));
    EXPECT_EQ(lookup().one.items, (Strings{"B5", "A25"}));
    EXPECT_EQ(lookup().two.items, (Strings{"12:55", "01:15"}));

    // A later list is ordered by its own times: 09:45 before 10:00.
    reset_lists();
    clock("09:40:00 12h");
    read(reply(record("D20", "35.4", "-97") + record("E5", "35.1", "-97")));
    EXPECT_EQ(lookup().one.items, (Strings{"E5", "D20"}));
    EXPECT_EQ(lookup().two.items, (Strings{"09:45", "10:00"}));
}

// Bearings from the storm: due north 0, due east 90, due west 270 exactly.
TEST_F(Lookup, InPathComparesTheSmallestAngleAndLeavesFortyFiveOut) {
    clock("11:50:00 12h");
    const std::string places = reply(record("North", "35.5", "-97") +
                                     record("East", "35", "-96.5") + record("West", "35", "-97.5"));
    struct Case {
        const char* motion;
        Strings in;
    } cases[] = {
        {"0", {"North"}}, {"10", {"North"}}, {"320", {"North"}}, {"350", {"North"}}, {"45", {}},
        {"315", {}},      {"300", {"West"}}, {"90", {"East"}},   {"134", {"East"}},  {"135", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.motion);
        reset_lists();
        storm("35", "-97", c.motion);
        read(places);
        Strings got = lookup().one.items;
        EXPECT_EQ(got, c.in);
    }
}

TEST_F(Lookup, EachRecordKeepsItsOwnElements) {
    // Earlsboro and Shawnee share the latitude text 35.32729; seen from
    // (35.33, -96.86) Shawnee lies at 267 degrees, Tecumseh at 221, Earlsboro at 93.
    storm("35.33", "-96.86", "250");
    read(sample("ok_shawnee_r11_samelat_3places.xml"));
    Strings objects;
    for (auto& l : added())
        if (l.rfind("Object:", 0) == 0) objects.push_back(l);
    EXPECT_EQ(objects, (Strings{"Object:  35.32729, -96.9253 ;eta#3",
                                "Object:  35.25785, -96.93661 ;eta#3"}));
    Strings names = lookup().one.items;
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Strings{"Shawnee", "Tecumseh"}));
}

TEST_F(Lookup, AtMostTwentyPlacesAreRead) {
    // Far south of Dallas every place lies within a few degrees of north.
    storm("30", "-96.8", "0");
    read(sample("tx_dallas_r25_25places.xml"));
    Strings names = lookup().one.items;
    ASSERT_EQ(names.size(), 20u);
    for (const char* late : {"Carrollton", "Lancaster", "DeSoto", "Sunnyvale", "Wilmer"})
        EXPECT_EQ(std::count(names.begin(), names.end(), late), 0) << late;
    for (const char* early : {"Dallas", "Garland", "Addison", "Irving"})
        EXPECT_EQ(std::count(names.begin(), names.end(), early), 1) << early;

    // Twenty-five synthetic places in a row: the first twenty only.
    reset_lists();
    storm("35", "-97", "0");
    std::string recs;
    for (int i = 1; i <= 25; ++i)
        recs += record("P" + std::to_string(i), "35." + std::to_string(i + 10), "-97");
    read(reply(recs));
    Strings want;
    for (int i = 1; i <= 20; ++i) want.push_back("P" + std::to_string(i));
    EXPECT_EQ(lookup().one.items, want);
}

TEST_F(Lookup, NamesAreDecodedAndStayOnOneLine) {
    storm("20", "-98.45", "0");
    read(sample("tx_penitas_r15_9places_utf8_amp.xml"));
    Strings names = lookup().one.items;
    ASSERT_EQ(names.size(), 9u);
    for (const char* n : {"Peñitas", "Garza & Garza Subdivision", "Ciudad Gustavo Díaz Ordaz"})
        EXPECT_EQ(std::count(names.begin(), names.end(), n), 1) << n;
    std::ifstream f(dir + "/korvel.txt", std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    EXPECT_NE(ss.str().find("ETA ,Pe\xF1itas "), std::string::npos);  // code page 1252

    reset_lists();
    storm("35", "-97", "0");
    read(reply(record("Caf&#233; &#x41;&lt;B&gt; &amp;amp; &bogus; A&amp", "35.1", "-97") +
               record("Two\r\nLines\tHere", "35.2", "-97")));
    EXPECT_EQ(lookup().one.items,
              (Strings{"Caf\xC3\xA9 A<B> &amp, &bogus, A&amp", "Two  Lines Here"}));
    for (auto& l : app().frmMain().placefile.items)
        EXPECT_EQ(l.find_first_of("\r\n\t"), std::string::npos) << l;
}

TEST_F(Lookup, HistoricalTagIsRemovedOnlyWhenAskedAndNotAtTheStart) {
    const std::string body = reply(record("Keokuk Falls (historical)", "35.1", "-97") +
                                   record("(Historical) Mill", "35.2", "-97") +
                                   record("Old Town (HISTORICAL) (historical)", "35.3", "-97"));
    read(body);
    EXPECT_EQ(lookup().one.items, (Strings{"Keokuk Falls (historical)", "(Historical) Mill",
                                           "Old Town (HISTORICAL) (historical)"}));
    reset_lists();
    app().frmEditETA().etaqc_historic.checked = true;
    read(body);
    EXPECT_EQ(lookup().one.items, (Strings{"Keokuk Falls ", "(Historical) Mill", "Old Town  "}));
}

TEST_F(Lookup, ABadRecordEndsTheReadingAndKeepsWhatCameBefore) {
    read(reply(record("First", "35.1", "-97") + record("Bad", "abc", "-97") +
               record("Third", "35.3", "-97")));
    EXPECT_EQ(lookup().one.items, Strings{"First"});

    reset_lists();
    lookup().mph.text = "0";
    read(reply(record("First", "35.1", "-97")));
    EXPECT_TRUE(lookup().one.items.empty());

    reset_lists();
    lookup().mph.text = "72";
    read(reply(record("First", "35.1", "-97")) + "<name>Cut</name><lat>35.2</lat><lng>-97");
    EXPECT_EQ(lookup().one.items, Strings{"First"});

    reset_lists();
    size_t before = app().frmMain().placefile.items.size();
    read(sample("ks_flinthills_r5_0places.xml"));
    read(sample("html_503_service_unavailable.html"));
    read("");
    EXPECT_TRUE(lookup().one.items.empty());
    EXPECT_EQ(app().frmMain().placefile.items.size(), before);
}

TEST(LookupText, ServiceRefusalsAreRecognised) {
    auto e = FrmNewETA::service_error(sample("error_no_username.xml"));
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->description(),
              "Please add a username to each call in order for geonames to be able to identify "
              "the calling application and count the credits usage.");
    EXPECT_EQ(e->number, 10);
    e = FrmNewETA::service_error(sample("error_hourly_limit.xml"));
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->number, 19);
    EXPECT_FALSE(FrmNewETA::service_error(sample("tx_argyle_r7_5places.xml")).has_value());
    EXPECT_FALSE(FrmNewETA::service_error(sample("html_503_service_unavailable.html")).has_value());
    EXPECT_FALSE(FrmNewETA::service_error("").has_value());
}

TEST(LookupText, UserNamesAreUrlEncoded) {
    EXPECT_EQ(FrmNewETA::url_encode("storm_Spotter-1.x~"), "storm_Spotter-1.x~");
    EXPECT_EQ(FrmNewETA::url_encode("a b&c/=?\xC3\xA9"), "a%20b%26c%2F%3D%3F%C3%A9");
}

TEST_F(Lookup, RemoveDuplicatesTakesOneLaterCopyPerEntry) {
    auto& l = lookup().List1.items;
    l = {"a", "b", "a", "a", "c", "b"};
    lookup().Command1.click();
    EXPECT_EQ(l, (Strings{"a", "b", "a", "c"}));
    lookup().Command1.click();
    EXPECT_EQ(l, (Strings{"a", "b", "c"}));
    l = {};
    lookup().RemoveDuplicates();
    EXPECT_TRUE(l.empty());
}
